// Reads any bytes as an ABC file: lists its tunes, reads the default one and a few chosen
// ones, checks that every result is a melody the song builder can trust, and builds, fits
// and lays out its song.

#include "fuzz/FuzzFile.h"
#include "fuzz/FuzzSong.h"
#include "import/abc/AbcReader.h"

#include <cstdlib>

namespace {

bool ValidUtf8(const std::string& text)
{
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<uint8_t>(text[i]);
        const size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                           : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
        if (length == 0 || text.size() - i < length)
            return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<uint8_t>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

void Check(const Melody& m)
{
    bool pitched = false;
    int64_t lastOnset = 0;
    for (const MelodyNote& n : m.notes) {
        if (n.duration <= 0 || n.onset < lastOnset || n.pitch < MelodyNote::kRest || n.pitch > 127 || !ValidUtf8(n.lyric))
            std::abort();
        lastOnset = n.onset;
        pitched = pitched || n.pitch != MelodyNote::kRest;
    }
    for (const MeterChange& meter : m.meters)
        if (meter.numerator < 1 || meter.denominator < 1 || meter.onset < 0)
            std::abort();
    for (const ChordSymbol& chord : m.chords)
        if (chord.root < 'A' || chord.root > 'G' || !ValidUtf8(chord.suffix))
            std::abort();
    if (!pitched || !ValidUtf8(m.title) || m.pickupTicks < 0 || m.keyFifths < -7 || m.keyFifths > 7 || m.skipped < 0)
        std::abort();
    BuildFitAndLayOut(m, m.keyFifths % 2 != 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static SilentSink sink;
    SetMessageSink(&sink);
    const std::vector<uint8_t> bytes(data, data + size);
    std::vector<MelodyChoice> tunes;
    if (ListAbcTunes(bytes, tunes) == tunes.empty())
        std::abort();
    for (const MelodyChoice& tune : tunes)
        if (!ValidUtf8(tune.name))
            std::abort();
    Melody melody;
    if (ReadAbc(bytes, kDefaultChoice, melody) == ImportStatus::Ok)
        Check(melody);
    for (size_t i = 0; i < tunes.size() && i < 3; ++i)
        if (ReadAbc(bytes, tunes[i].number, melody) == ImportStatus::Ok)
            Check(melody);
    return 0;
}
