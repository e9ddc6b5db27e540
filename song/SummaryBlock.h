#pragma once
// The song summary block: 320 bytes at a fixed offset of the newer song files. The library
// reads it straight from the file; the song object keeps a copy. Its fields are read and
// written here only, so that every writer cuts the title alike.

#include "common/ByteIO.h"
#include "common/Cp932.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace SummaryBlock {
constexpr uint32_t kFileOffset = 90112;
constexpr uint32_t kSize = 320;
constexpr uint32_t kMarkOffset = 64;   // byte; 0xDD, a filler, reads as 0
constexpr uint32_t kWordOffset = 192;  // int32; 0xFEEEFEEE, a filler, reads as 0
constexpr uint32_t kOneOffset = 196;   // int32, 1 in a new song
constexpr uint32_t kTempoOffset = 200; // int32, beats per minute
constexpr uint32_t kRangeOffset = 204; // int32, 0..127
constexpr uint32_t kFameOffset = 237;  // byte
constexpr uint32_t kTitleOffset = 256; // list title, ends before kTitleEnd
constexpr uint32_t kTitleEnd = 289;
constexpr size_t kTitleBytes = kTitleEnd - kTitleOffset - 1; // the field keeps a terminator

constexpr int32_t kNewTempo = 120;
constexpr int32_t kMinTempo = 40, kMaxTempo = 240, kRepairedTempo = 80;
// A score's own tempo where the field cannot hold it travels beside the song within these.
constexpr int32_t kMinPlayedTempo = 20, kMaxPlayedTempo = 960;
constexpr uint32_t kFiller = 0xFEEEFEEE;

using Block = std::span<uint8_t, kSize>;
using ConstBlock = std::span<const uint8_t, kSize>;

// The list title, raw CP932, up to its terminator or the end of its field.
inline std::string Title(ConstBlock block)
{
    return std::string(FieldText(reinterpret_cast<const char*>(block.data()) + kTitleOffset, kTitleEnd - kTitleOffset));
}

// Stores the CP932 title cut on a character boundary to kTitleBytes, the rest of the field zero.
inline void SetTitle(Block block, std::string_view cp932)
{
    const std::string cut = CutCp932(cp932, kTitleBytes);
    std::fill(block.begin() + kTitleOffset, block.begin() + kTitleEnd, uint8_t(0));
    std::copy(cut.begin(), cut.end(), block.begin() + kTitleOffset);
}

// The tempo a song keeps: beats per minute within kMinTempo..kMaxTempo, else kRepairedTempo.
inline int32_t KeptTempo(double bpm)
{
    return bpm >= kMinTempo && bpm <= kMaxTempo ? static_cast<int32_t>(bpm) : kRepairedTempo;
}

// The tempo a writer stores for one the song should have: the nearest within kMinTempo..kMaxTempo.
inline int32_t NearestKeptTempo(double bpm)
{
    return bpm >= kMinTempo ? static_cast<int32_t>(std::min(bpm, double(kMaxTempo))) : kMinTempo;
}

inline int Fame(ConstBlock block) { return block[kFameOffset]; }
inline void SetFame(Block block, uint8_t fame) { block[kFameOffset] = fame; }
inline int32_t Tempo(ConstBlock block) { return bytes::ReadInt32(block, kTempoOffset); }
inline void SetTempo(Block block, int32_t bpm) { bytes::WriteInt32(block, kTempoOffset, bpm); }

// The block of a new song: zeros but for the one and the tempo.
inline void MakeNew(Block block)
{
    std::fill(block.begin(), block.end(), uint8_t(0));
    bytes::WriteInt32(block, kOneOffset, 1);
    SetTempo(block, kNewTempo);
}

// The song reader's repairs of a block read from a file.
inline void Repair(Block block)
{
    if (block[kMarkOffset] == 0xDD)
        block[kMarkOffset] = 0;
    if (bytes::ReadUInt32(block, kWordOffset) == kFiller)
        bytes::WriteInt32(block, kWordOffset, 0);
    if (bytes::ReadUInt32(block, kOneOffset) == kFiller)
        bytes::WriteInt32(block, kOneOffset, 1);
    SetTempo(block, KeptTempo(Tempo(block)));
    if (const int32_t v = bytes::ReadInt32(block, kRangeOffset); v < 0 || v > 127)
        bytes::WriteInt32(block, kRangeOffset, 0);
}
} // namespace SummaryBlock
