#pragma once
// The song summary block: 320 bytes at a fixed offset of the newer song files. The library
// reads it straight from the file; the song object keeps a copy.

#include "common/Cp932.h"

#include <cstdint>
#include <string>

namespace SummaryBlock {
constexpr uint32_t kFileOffset = 90112;
constexpr uint32_t kSize = 320;
constexpr uint32_t kOneOffset = 196;   // int32, 1 in a new song
constexpr uint32_t kTempoOffset = 200; // int32, beats per minute
constexpr uint32_t kFameOffset = 237;  // byte
constexpr uint32_t kTitleOffset = 256; // list title, ends before kTitleEnd
constexpr uint32_t kTitleEnd = 289;

// The list title, raw CP932, up to its terminator or the end of its field.
inline std::string Title(const uint8_t* block)
{
    return std::string(FieldText(reinterpret_cast<const char*>(block) + kTitleOffset, kTitleEnd - kTitleOffset));
}
} // namespace SummaryBlock
