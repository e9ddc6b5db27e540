#pragma once
// Standard MIDI files (formats 0 and 1, counted in ticks per quarter) to the neutral melody.
// The reader shows no message; its caller turns the status into one.

#include "import/Melody.h"

#include <cstdint>
#include <vector>

// False when the bytes are not a readable MIDI file. Format 1 lists every track by position
// with its name and its count of notes; format 0 lists the channels that play notes, as
// "チャンネル N", numbered by their place in the list.
bool ListMidiTracks(const std::vector<uint8_t>& bytes, std::vector<MelodyChoice>& tracks);

// choice: a number from the listing, or kDefaultChoice for the first track (format 0: channel)
// with notes outside the drum channel 10. The melody is the highest note at each onset of the
// chosen track's channels other than 10 (only when it plays nothing else, channel 10 itself).
// Every track with pitched notes (format 0: every channel but 10) is one of the melody's voices,
// with all the notes it plays.
ImportStatus ReadMidi(const std::vector<uint8_t>& bytes, int choice, Melody& out);
