#pragma once
// Builds standard MIDI file bytes in code, for the tests, the fuzz seeds and the benchmarks.

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

// One track's events; every call takes the delta time before its event.
class MidiTrackBytes {
public:
    std::vector<uint8_t> data;

    MidiTrackBytes& Delta(uint32_t ticks)
    {
        uint8_t groups[5];
        int n = 0;
        do {
            groups[n++] = static_cast<uint8_t>(ticks & 0x7F);
            ticks >>= 7;
        } while (ticks != 0);
        while (n-- > 0)
            data.push_back(static_cast<uint8_t>(groups[n] | (n > 0 ? 0x80 : 0)));
        return *this;
    }
    MidiTrackBytes& Raw(std::initializer_list<uint8_t> bytes)
    {
        data.insert(data.end(), bytes);
        return *this;
    }
    MidiTrackBytes& On(uint32_t delta, int channel, int pitch, int velocity = 100)
    {
        return Delta(delta).Raw({uint8_t(0x90 | channel), uint8_t(pitch), uint8_t(velocity)});
    }
    MidiTrackBytes& Off(uint32_t delta, int channel, int pitch)
    {
        return Delta(delta).Raw({uint8_t(0x80 | channel), uint8_t(pitch), 64});
    }
    // A note of the given length starting after delta; nothing else sounds meanwhile.
    MidiTrackBytes& Note(uint32_t delta, int pitch, uint32_t length, int channel = 0)
    {
        return On(delta, channel, pitch).Off(length, channel, pitch);
    }
    MidiTrackBytes& Meta(uint32_t delta, int type, std::string_view text)
    {
        Delta(delta).Raw({0xFF, uint8_t(type)}).Delta(static_cast<uint32_t>(text.size()));
        data.insert(data.end(), text.begin(), text.end());
        return *this;
    }
    MidiTrackBytes& Name(std::string_view name) { return Meta(0, 0x03, name); }
    MidiTrackBytes& Tempo(uint32_t delta, uint32_t microsecondsPerQuarter)
    {
        return Delta(delta).Raw({0xFF, 0x51, 3, uint8_t(microsecondsPerQuarter >> 16),
                                 uint8_t(microsecondsPerQuarter >> 8), uint8_t(microsecondsPerQuarter)});
    }
    MidiTrackBytes& TimeSignature(uint32_t delta, int numerator, int denominatorPower)
    {
        return Delta(delta).Raw({0xFF, 0x58, 4, uint8_t(numerator), uint8_t(denominatorPower), 24, 8});
    }
    MidiTrackBytes& KeySignature(uint32_t delta, int fifths, bool minor)
    {
        return Delta(delta).Raw({0xFF, 0x59, 2, uint8_t(int8_t(fifths)), uint8_t(minor ? 1 : 0)});
    }
    MidiTrackBytes& End(uint32_t delta = 0) { return Delta(delta).Raw({0xFF, 0x2F, 0}); }
};

inline void AppendBigEndian(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

inline void AppendChunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body)
{
    out.insert(out.end(), id, id + 4);
    AppendBigEndian(out, static_cast<uint32_t>(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
}

// A whole file; claimedTracks < 0 claims as many tracks as given.
inline std::vector<uint8_t> MidiFileBytes(int format, uint16_t division, const std::vector<MidiTrackBytes>& tracks,
                                          int claimedTracks = -1)
{
    std::vector<uint8_t> header;
    AppendBigEndian(header, static_cast<uint32_t>(format), 2);
    AppendBigEndian(header, static_cast<uint32_t>(claimedTracks < 0 ? tracks.size() : claimedTracks), 2);
    AppendBigEndian(header, division, 2);
    std::vector<uint8_t> file;
    AppendChunk(file, "MThd", header);
    for (const MidiTrackBytes& t : tracks)
        AppendChunk(file, "MTrk", t.data);
    return file;
}
