#pragma once
// The voices a song draws beside its melody: a second to fourth voice and an accompaniment,
// taken from a score's other parts or made from its chord names. Song files keep none of them;
// an imported score keeps them beside the grid, as it keeps its repeats.

#include <cstdint>
#include <string>
#include <vector>

enum class VoiceRole : uint8_t { kMelody, kSecond, kThird, kFourth, kAccompaniment };

constexpr int kVoiceRoleCount = 5;

// The names --voices and --info use: melody, 2, 3, 4, acc.
const char* VoiceRoleName(VoiceRole role);
// The load dialog's: "旋律", "第2声", "第3声", "第4声", "伴奏".
const char* VoiceRoleLabel(VoiceRole role);

// Voices 1 and 3 are joined by solid flow lines, 2 and 4 by dotted ones, the accompaniment by none.
enum class VoiceFlow : uint8_t { kSolid, kDotted, kNone };
VoiceFlow FlowOf(VoiceRole role);

struct VoiceNote {
    int32_t time = 0;   // time units (a sixth of a beat) from the song's start, as the grid counts
    int32_t pitch = 0;  // note number
    int32_t length = 1; // time units, at least one
    // A chord's fifth that the accompaniment made: left out where the harp has no string for it.
    bool optional = false;
    bool operator==(const VoiceNote&) const = default;
};

// The most notes one voice keeps, and the most voices a song draws besides its melody.
constexpr size_t kMaxVoiceNotes = 8192;
constexpr size_t kMaxDrawnVoices = 4;

struct SongVoice {
    VoiceRole role = VoiceRole::kSecond;
    std::string name;   // UTF-8
    int candidate = 0;  // the import's voice number it came from (1-based); 0: made from chord names
    std::vector<VoiceNote> notes; // by time; the accompaniment may hold several at one time
};
