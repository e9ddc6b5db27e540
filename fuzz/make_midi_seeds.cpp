// Writes the MIDI seed corpus: files of both formats with the events the reader looks at.

#include "song/CSongFileWriter.h"
#include "tests/support/MidiBytes.h"

#include <string>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const std::string dir = argv[1];
    MidiTrackBytes conductor;
    conductor.Name("seed").TimeSignature(0, 6, 3).KeySignature(0, 2, false).Tempo(0, 400000);
    conductor.TimeSignature(1440, 9, 3).End();
    MidiTrackBytes melody;
    melody.Name("\x83\x81\x83\x8D"); // Shift-JIS
    for (int i = 0; i < 12; ++i)
        melody.Note(i % 3 ? 0 : 60, 60 + (i * 5) % 12, 240 + 60 * (i % 2));
    melody.On(0, 0, 64).On(0, 0, 67).Raw({0x83, 0x60, 64, 0}).Off(0, 0, 67).End();
    MidiTrackBytes drums;
    drums.Note(0, 36, 120, 9).Note(0, 38, 120, 9).End();
    MidiTrackBytes mixed;
    mixed.Raw({0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7}).Meta(0, 0x01, std::string(130, 't'));
    mixed.On(0, 1, 62).Raw({0x60, 65, 80, 0x60, 62, 0}).Raw({0x00, 0xB0, 7, 100, 0x00, 0xC1, 5});
    mixed.Note(0, 40, 60, 9).Off(120, 1, 65);
    // Many overlapping notes of one pitch, and a last note a few ticks long.
    MidiTrackBytes overlapping;
    for (int i = 0; i < 16; ++i)
        overlapping.On(i ? 7 : 0, 0, 64);
    overlapping.Off(4 * 480 - 7 * 15 - 5, 0, 64).Note(0, 67, 5).End();
    const bool ok = WriteBytes(dir + "/format1.mid", MidiFileBytes(1, 480, {conductor, melody, drums})) &&
                    WriteBytes(dir + "/overlapping.mid", MidiFileBytes(1, 480, {overlapping})) &&
                    WriteBytes(dir + "/format0.mid", MidiFileBytes(0, 96, {mixed})) &&
                    WriteBytes(dir + "/claims-more.mid", MidiFileBytes(1, 384, {melody}, 3));
    return ok ? 0 : 1;
}
