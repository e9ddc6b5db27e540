#pragma once
// Reads ABC files (.abc): collections of tunes, each started by X:. Pure: shows no message;
// the caller turns the status into one.

#include "import/Melody.h"

#include <cstdint>
#include <vector>

// Every tune's X: number and T: title, found without reading the music; false when the
// file has no tune at all.
bool ListAbcTunes(const std::vector<uint8_t>& bytes, std::vector<MelodyChoice>& tunes);

// Reads the tune with X: number `choice` (the first one with that number), or with
// kDefaultChoice the first tune that has notes. `out` is only written on success.
ImportStatus ReadAbc(const std::vector<uint8_t>& bytes, int choice, Melody& out);
