#pragma once
// The settings record and its 184-byte little-endian image ("setup.ini").

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// The most strings a harp has here: the settings' string table and the score's hold this many.
constexpr int kMaxStrings = 37;

struct ConfigRecord {
    int32_t stringCount = 0;
    int32_t lowestNote = 0;
    std::array<int32_t, kMaxStrings> stringNotes{};
    int32_t lineSpacing = 0;
    int32_t startMeasure = 0;
    int32_t endMeasure = 0;
    int32_t verticalSize = 0;
    int32_t leftAdjust = 0;
    double displayZoom = 0.0;

    bool operator==(const ConfigRecord&) const = default;
};

constexpr size_t kConfigRecordSize = 184;
using ConfigImage = std::array<uint8_t, kConfigRecordSize>;

// Ranges the settings dialog offers.
namespace ConfigRange {
constexpr int kStringsMin = 5, kStringsMax = 37;
constexpr int kSpacingMin = 4, kSpacingMax = 36;
constexpr int kVerticalMin = 100, kVerticalMax = 2000;
constexpr int kLeftAdjustMin = 0, kLeftAdjustMax = 100;
constexpr int kLowestNoteMin = 43, kLowestNoteMax = 59; // G2, the lowest string of the largest harp, to B3
constexpr double kZoomMin = 0.1, kZoomMax = 4.0;
} // namespace ConfigRange

ConfigRecord DefaultConfigRecord();

ConfigImage EncodeConfigRecord(const ConfigRecord& record);

// Fields the bytes cover come from them; a shorter image leaves the rest of `into` as it was.
void DecodeConfigRecord(std::span<const uint8_t> image, ConfigRecord& into);

// Puts every field that sizes a picture or bounds a table back into a usable range; a field
// outside it takes its default. Returns true when something was changed.
bool SanitizeConfigRecord(ConfigRecord& record);

// Rewrites the string pitches 0 to stringCount - 1 as consecutive semitones from lowestNote.
void FillStringNotes(ConfigRecord& record);
