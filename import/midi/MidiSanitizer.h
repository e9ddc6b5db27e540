#pragma once
// libsmf trusts its input: it aborts on a track without an end-of-track event or with an
// escaped (F7) event, reads a meta event's length as one byte, leaks on a bad header, counts
// ticks in int, and rebuilds its whole tempo map for every tempo change in a track after the
// first. So every file is first rewritten into the plain subset the MIDI reader needs, which
// libsmf reads safely: a conductor track holding every tempo, time- and key-signature change of
// the file in time order, then the file's tracks with only their first name and their note
// events, each closed by an end-of-track event. A track is kept up to its first damaged event.

#include "import/Melody.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

constexpr size_t kMaxMidiTracks = 256;              // tracks read from one file
constexpr size_t kMaxMidiEvents = size_t(1) << 18;  // note and name events kept from one file
constexpr size_t kMaxMidiTimingEvents = 256;        // tempo, time- and key-signature changes kept
constexpr int64_t kMaxMidiQuarters = int64_t(1) << 15; // a track's length; later events are cut
constexpr uint32_t kMaxMidiTicks = (1u << 28) - 1;  // fits libsmf's int and one 4-byte delta
constexpr size_t kMaxMidiNameBytes = 127;           // libsmf reads a meta length of one byte only

// The meta events the rewritten file keeps.
constexpr uint8_t kMidiMetaStatus = 0xFF;
constexpr uint8_t kMidiMetaTrackName = 0x03;
constexpr uint8_t kMidiMetaEndOfTrack = 0x2F;
constexpr uint8_t kMidiMetaTempo = 0x51;         // 3 bytes: microseconds per quarter, > 0
constexpr uint8_t kMidiMetaTimeSignature = 0x58; // 4 bytes: numerator >= 1, power of 2 <= 6, ...
constexpr uint8_t kMidiMetaKeySignature = 0x59;  // 2 bytes: fifths -7..7, minor 0 or 1

struct SanitizedMidi {
    std::vector<uint8_t> bytes; // format 1; track 1 the conductor, track n + 1 the file's track n
    int format = 0;             // the file's format: 0 or 1
    int ticksPerQuarter = 0;
    int trackCount = 0;         // the file's tracks kept
    int skipped = 0;            // damaged tails, events beyond a limit, invalid changes
};

// The standard MIDI file inside a RIFF "RMID" wrapping (its "data" chunk), else the bytes as
// they are; empty when the wrapping holds no data chunk.
std::span<const uint8_t> UnwrapRiff(std::span<const uint8_t> file);

// Unreadable for anything but a format 0 or 1 file counted in ticks per quarter with a track,
// bare or in its RIFF wrapping.
ImportStatus SanitizeMidi(std::span<const uint8_t> file, SanitizedMidi& out);
