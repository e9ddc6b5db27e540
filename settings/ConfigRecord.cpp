#include "settings/ConfigRecord.h"

#include "common/ByteIO.h"

#include <algorithm>
#include <cmath>

namespace {

// The one declaration of the record's image: the fields in file order. Reading and writing
// both walk it, and the offsets add up to the record size.
template <class Record, class IntField, class DoubleField>
size_t VisitFields(Record& r, IntField onInt, DoubleField onDouble)
{
    size_t offset = 0;
    auto i32 = [&](auto& field) { onInt(offset, field); offset += 4; };
    i32(r.stringCount);
    i32(r.lowestNote);
    for (auto& note : r.stringNotes)
        i32(note);
    i32(r.lineSpacing);
    i32(r.startMeasure);
    i32(r.endMeasure);
    i32(r.verticalSize);
    i32(r.leftAdjust);
    onDouble(offset, r.displayZoom);
    offset += 8;
    return offset;
}

static_assert(4 * (2 + kMaxStrings + 5) + 8 == kConfigRecordSize, "settings image is 184 bytes");

bool InRange(int32_t v, int lo, int hi)
{
    return v >= lo && v <= hi;
}

} // namespace

ConfigRecord DefaultConfigRecord()
{
    ConfigRecord r;
    r.displayZoom = 0.5;
    r.stringCount = 25;
    r.lowestNote = 55;
    r.lineSpacing = 32;
    r.startMeasure = 1;
    r.endMeasure = 1;
    r.verticalSize = 830;
    r.leftAdjust = 10;
    FillStringNotes(r);
    return r;
}

void FillStringNotes(ConfigRecord& record)
{
    const int count = record.stringCount < 0 ? 0 : std::min(record.stringCount, kMaxStrings);
    const int lowest = std::clamp(record.lowestNote, 0, 127); // a damaged file's number cannot overflow
    for (int i = 0; i < count; ++i)
        record.stringNotes[i] = lowest + i;
}

ConfigImage EncodeConfigRecord(const ConfigRecord& record)
{
    ConfigImage image{};
    ConfigRecord copy = record;
    VisitFields(
        copy, [&](size_t off, int32_t& v) { bytes::WriteInt32(image, off, v); },
        [&](size_t off, double& v) { bytes::WriteDouble(image, off, v); });
    return image;
}

void DecodeConfigRecord(std::span<const uint8_t> image, ConfigRecord& into)
{
    VisitFields(
        into,
        [&](size_t off, int32_t& v) {
            if (off + 4 <= image.size())
                v = bytes::ReadInt32(image, off);
        },
        [&](size_t off, double& v) {
            if (off + 8 <= image.size())
                v = bytes::ReadDouble(image, off);
        });
}

bool SanitizeConfigRecord(ConfigRecord& record)
{
    using namespace ConfigRange;
    const ConfigRecord defaults = DefaultConfigRecord();
    bool changed = false;
    auto clampField = [&](int32_t& field, int lo, int hi, int32_t fallback) {
        if (!InRange(field, lo, hi)) {
            field = fallback;
            changed = true;
        }
    };
    clampField(record.stringCount, kStringsMin, kStringsMax, defaults.stringCount);
    clampField(record.lineSpacing, kSpacingMin, kSpacingMax, defaults.lineSpacing);
    clampField(record.verticalSize, kVerticalMin, kVerticalMax, defaults.verticalSize);
    clampField(record.leftAdjust, kLeftAdjustMin, kLeftAdjustMax, defaults.leftAdjust);
    if (!std::isfinite(record.displayZoom) || record.displayZoom < kZoomMin || record.displayZoom > kZoomMax) {
        record.displayZoom = defaults.displayZoom;
        changed = true;
    }
    return changed;
}
