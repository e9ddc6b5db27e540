#pragma once
// A standard MIDI file decoded in one bounded pass into what the melody reader needs: each
// track's first name and note events, and the tempo, time- and key-signature changes of every
// track in time order. A track is kept up to its first damaged event; no count or length in
// the file is trusted before it is checked.

#include "import/Melody.h"
#include "import/midi/MidiNotes.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

constexpr size_t kMaxMidiTracks = 256;              // tracks read from one file
constexpr size_t kMaxMidiEvents = size_t(1) << 18;  // note and name events kept from one file
constexpr size_t kMaxMidiTimingEvents = 256;        // tempo, time- and key-signature changes kept
constexpr int64_t kMaxMidiQuarters = int64_t(1) << 15; // a track's length; later events are cut
constexpr uint32_t kMaxMidiTicks = (1u << 28) - 1;  // the largest delta a file writes in 4 bytes
constexpr size_t kMaxMidiNameBytes = 127;           // a track name's bytes kept

constexpr uint8_t kMidiMetaStatus = 0xFF;
constexpr uint8_t kMidiMetaTrackName = 0x03;
constexpr uint8_t kMidiMetaEndOfTrack = 0x2F;
constexpr uint8_t kMidiMetaTempo = 0x51;         // 3 bytes: microseconds per quarter, > 0
constexpr uint8_t kMidiMetaTimeSignature = 0x58; // 4 bytes: numerator >= 1, power of 2 <= 6, ...
constexpr uint8_t kMidiMetaKeySignature = 0x59;  // 2 bytes: fifths -7..7, minor 0 or 1

struct MidiTrack {
    std::string name;                 // the first non-empty one, raw bytes, cut to kMaxMidiNameBytes
    std::vector<MidiNoteEvent> notes; // note-ons and -offs of every channel, in file order
    int64_t end = 0;                  // the tick of the track's last event read
};

struct MidiTimingChange {
    int64_t tick = 0;
    uint8_t type = 0;     // kMidiMetaTempo, kMidiMetaTimeSignature or kMidiMetaKeySignature
    uint8_t data[4] = {}; // the event's data, checked: 3, 4 or 2 bytes of it by type
};

struct MidiFile {
    int format = 0; // 0 or 1
    int ticksPerQuarter = 0;
    std::vector<MidiTrack> tracks;         // the file's MTrk chunks in order, at least one
    std::vector<MidiTimingChange> timing;  // every track's, by tick; file order at one tick
    int skipped = 0;                       // damaged tails, events beyond a limit, invalid changes
};

// The standard MIDI file inside a RIFF "RMID" wrapping (its "data" chunk), else the bytes as
// they are; empty when the wrapping holds no data chunk.
std::span<const uint8_t> UnwrapRiff(std::span<const uint8_t> file);

// Unreadable for anything but a format 0 or 1 file counted in ticks per quarter with a track,
// bare or in its RIFF wrapping.
ImportStatus ReadMidiFile(std::span<const uint8_t> file, MidiFile& out);
