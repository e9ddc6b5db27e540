#pragma once
#include <cstdint>

// Codes of the general message family ("GENE").
namespace GeneralError {
constexpr uint32_t kOutOfMemory = 0x01000002;
constexpr uint32_t kPerformance = 0x01000004;
constexpr uint32_t kFileNotFound = 0x01000005;
constexpr uint32_t kBadHexData = 0x01000006;
constexpr uint32_t kCannotOpenFile = 0x01000007;
constexpr uint32_t kDataTooLarge = 0x0100000A;
constexpr uint32_t kBadParameter = 0x0100000B;
constexpr uint32_t kNoCurrentDirectory = 0x0100000C;
constexpr uint32_t kFileSize = 0x0100000D;
constexpr uint32_t kTimeSignature = 0x0100000E;
constexpr uint32_t kArrangement1 = 0x0100000F;
constexpr uint32_t kAnalysis = 0x01000010;
constexpr uint32_t kArrangement2 = 0x01000011;
constexpr uint32_t kBpmConversion = 0x01000012;
constexpr uint32_t kTempoConversion = 0x01000013;
} // namespace GeneralError

// Codes of the song message family ("SGDT").
namespace SongError {
constexpr uint32_t kSongInformation = 0;
constexpr uint32_t kNoteValuePosition = 2;
constexpr uint32_t kLyricTooLong = 3;
constexpr uint32_t kOldData = 4;
} // namespace SongError

// Codes of the strings message family ("STRG").
namespace StringError {
constexpr uint32_t kNotesWithoutString = 1;
} // namespace StringError

// Codes of the score import family ("IMPT"); 1, 2 and 4 are the readers' ImportStatus values.
namespace ImportError {
constexpr uint32_t kUnreadable = 1;
constexpr uint32_t kNoMelody = 2;
constexpr uint32_t kTooLong = 3;
constexpr uint32_t kNoSuchChoice = 4;
} // namespace ImportError
