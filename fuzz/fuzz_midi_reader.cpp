// Reads any bytes as a MIDI file: the track listing, the default melody and a chosen one.

#include "import/MidiReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> bytes(data, data + size);
    std::vector<MelodyChoice> tracks;
    if (!ListMidiTracks(bytes, tracks))
        return 0;
    Melody melody;
    ReadMidi(bytes, kDefaultChoice, melody);
    ReadMidi(bytes, 1 + static_cast<int>(size % 4), melody);
    return 0;
}
