// Reads any bytes as a MIDI file: the track listing, the default melody and a chosen one,
// each built, fitted and laid out as a song.

#include "fuzz/FuzzFile.h"
#include "fuzz/FuzzSong.h"
#include "import/midi/MidiReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static SilentSink sink;
    SetMessageSink(&sink);
    const std::vector<uint8_t> bytes(data, data + size);
    std::vector<MelodyChoice> tracks;
    if (!ListMidiTracks(bytes, tracks))
        return 0;
    Melody melody;
    if (ReadMidi(bytes, kDefaultChoice, melody) == ImportStatus::Ok)
        BuildFitAndLayOut(melody, false);
    if (ReadMidi(bytes, 1 + static_cast<int>(size % 4), melody) == ImportStatus::Ok)
        BuildFitAndLayOut(melody, true);
    return 0;
}
