#include "import/midi/MidiReader.h"

#include "common/Cp932.h"
#include "import/midi/MidiNotes.h"
#include "import/midi/MidiSanitizer.h"
#include "import/midi/SmfFile.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

namespace {

constexpr int kChannels = 16;
constexpr int kDrumChannel = 9; // channel 10 as players count
constexpr int kConductorTrack = 1;
constexpr int64_t kMicrosecondsPerMinute = 60'000'000;

struct MidiFile {
    SanitizedMidi midi;
    SmfPtr smf;
};

bool Open(const std::vector<uint8_t>& bytes, MidiFile& file)
{
    if (SanitizeMidi(bytes, file.midi) != ImportStatus::Ok)
        return false;
    file.smf = LoadSmf(file.midi.bytes);
    return file.smf && file.smf->number_of_tracks == file.midi.trackCount + 1;
}

// Calls f for every event of a track (1-based, libsmf's numbering).
template <class F>
void ForEachEvent(smf_t* smf, int track, F f)
{
    smf_track_t* t = smf_get_track_by_number(smf, track);
    for (int i = 1; t && i <= t->number_of_events; ++i)
        if (const smf_event_t* e = smf_track_get_event_by_number(t, i); e && e->midi_buffer_length > 0)
            f(*e);
}

bool IsNoteOn(const smf_event_t& e)
{
    return (e.midi_buffer[0] & 0xF0) == 0x90 && e.midi_buffer_length >= 3 && e.midi_buffer[2] > 0;
}

bool IsNoteOff(const smf_event_t& e)
{
    const int kind = e.midi_buffer[0] & 0xF0;
    return e.midi_buffer_length >= 3 && (kind == 0x80 || (kind == 0x90 && e.midi_buffer[2] == 0));
}

bool IsMeta(const smf_event_t& e, uint8_t type)
{
    return e.midi_buffer_length >= 3 && e.midi_buffer[0] == kMidiMetaStatus && e.midi_buffer[1] == type;
}

// The data of a meta event: after its type and its length.
std::string_view MetaData(const smf_event_t& e)
{
    int at = 2;
    uint32_t length = 0;
    while (at < e.midi_buffer_length && (e.midi_buffer[at] & 0x80))
        length = length << 7 | (e.midi_buffer[at++] & 0x7F);
    if (at >= e.midi_buffer_length)
        return {};
    length = length << 7 | e.midi_buffer[at++];
    const auto* data = reinterpret_cast<const char*>(e.midi_buffer + at);
    return std::string_view(data, std::min<size_t>(length, size_t(e.midi_buffer_length - at)));
}

bool IsUtf8(std::string_view s)
{
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const int extra = c < 0x80 ? 0 : (c >= 0xC2 && c <= 0xDF) ? 1 : (c >> 4) == 0xE ? 2 : (c >= 0xF0 && c <= 0xF4) ? 3 : -1;
        if (extra < 0 || s.size() - i - 1 < size_t(extra))
            return false;
        for (int k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += extra + 1;
    }
    return true;
}

// Names are UTF-8 in newer files and Shift-JIS in older Japanese ones. A name the rewriting
// cut may end inside a character.
std::string NameText(std::string_view raw)
{
    for (size_t cut = 0; cut <= (raw.size() == kMaxMidiNameBytes ? 3u : 0u); ++cut)
        if (IsUtf8(raw.substr(0, raw.size() - cut)))
            return std::string(raw.substr(0, raw.size() - cut));
    return Cp932ToUtf8(raw);
}

struct TrackSummary {
    std::string name;
    std::array<int, kChannels> notes{};
    int Total() const
    {
        int n = 0;
        for (int c : notes)
            n += c;
        return n;
    }
    int Pitched() const { return Total() - notes[kDrumChannel]; }
};

TrackSummary Summarise(smf_t* smf, int fileTrack)
{
    TrackSummary s;
    bool named = false;
    ForEachEvent(smf, fileTrack + 1, [&](const smf_event_t& e) {
        if (IsNoteOn(e))
            ++s.notes[e.midi_buffer[0] & 0x0F];
        else if (!named && IsMeta(e, kMidiMetaTrackName)) {
            s.name = NameText(MetaData(e));
            named = true;
        }
    });
    return s;
}

std::vector<int> ChannelsWithNotes(const TrackSummary& s)
{
    std::vector<int> channels;
    for (int c = 0; c < kChannels; ++c)
        if (s.notes[c] > 0)
            channels.push_back(c);
    return channels;
}

// What to read: a track of the file and the channels of it that make the melody.
struct Selection {
    int fileTrack = 0;
    std::array<bool, kChannels> channels{};
};

std::array<bool, kChannels> MelodyChannels(const TrackSummary& s)
{
    std::array<bool, kChannels> use{};
    const bool drumsOnly = s.Pitched() == 0;
    for (int c = 0; c < kChannels; ++c)
        use[c] = (c == kDrumChannel) == drumsOnly;
    return use;
}

ImportStatus SelectTrack(smf_t* smf, int trackCount, int choice, Selection& sel)
{
    if (choice != kDefaultChoice && (choice < 1 || choice > trackCount))
        return ImportStatus::NoSuchChoice;
    for (int t = 1; t <= trackCount; ++t) {
        if (choice != kDefaultChoice && t != choice)
            continue;
        const TrackSummary s = Summarise(smf, t);
        if (choice == kDefaultChoice && s.Pitched() == 0)
            continue;
        if (s.Total() == 0)
            return ImportStatus::NoMelody;
        sel.fileTrack = t;
        sel.channels = MelodyChannels(s);
        return ImportStatus::Ok;
    }
    return ImportStatus::NoMelody;
}

ImportStatus SelectChannel(smf_t* smf, int choice, Selection& sel)
{
    const std::vector<int> channels = ChannelsWithNotes(Summarise(smf, 1));
    if (choice != kDefaultChoice && (choice < 1 || size_t(choice) > channels.size()))
        return ImportStatus::NoSuchChoice;
    int channel = -1;
    if (choice != kDefaultChoice)
        channel = channels[choice - 1];
    else if (auto it = std::find_if(channels.begin(), channels.end(), [](int c) { return c != kDrumChannel; });
             it != channels.end())
        channel = *it;
    if (channel < 0)
        return ImportStatus::NoMelody;
    sel.fileTrack = 1;
    sel.channels[channel] = true;
    return ImportStatus::Ok;
}

int64_t ToMelodyTicks(int64_t tick, int ticksPerQuarter)
{
    return (tick * kTicksPerQuarter + ticksPerQuarter / 2) / ticksPerQuarter;
}

void ReadNotes(const MidiFile& file, const Selection& sel, Melody& out)
{
    std::vector<MidiNoteEvent> events;
    int64_t trackEnd = 0;
    ForEachEvent(file.smf.get(), sel.fileTrack + 1, [&](const smf_event_t& e) {
        trackEnd = e.time_pulses;
        const bool on = IsNoteOn(e);
        if ((on || IsNoteOff(e)) && sel.channels[e.midi_buffer[0] & 0x0F])
            events.push_back({e.time_pulses, e.midi_buffer[0] & 0x0F, e.midi_buffer[1], on});
    });
    const int tpq = file.midi.ticksPerQuarter;
    std::vector<MidiTimedNote> notes = PairNotes(events, trackEnd, out.skipped);
    for (MidiTimedNote& n : notes) {
        n.start = ToMelodyTicks(n.start, tpq);
        n.end = std::max(ToMelodyTicks(n.end, tpq), n.start + 1);
    }
    for (const MidiTimedNote& n : HighestAtEachOnset(std::move(notes)))
        out.notes.push_back({n.start, n.end - n.start, n.pitch, {}});
}

// The file's meters: a later change at the same tick wins, repeats of the meter in force are
// dropped, and a first change after the start has 4/4 before it.
std::vector<MeterChange> TidyMeters(const std::vector<MeterChange>& changes)
{
    std::vector<MeterChange> atOnset;
    for (const MeterChange& m : changes) {
        if (!atOnset.empty() && atOnset.back().onset == m.onset)
            atOnset.pop_back();
        atOnset.push_back(m);
    }
    if (!atOnset.empty() && atOnset.front().onset > 0)
        atOnset.insert(atOnset.begin(), MeterChange{});
    std::vector<MeterChange> meters;
    for (const MeterChange& m : atOnset)
        if (meters.empty() || meters.back().numerator != m.numerator || meters.back().denominator != m.denominator)
            meters.push_back(m);
    return meters;
}

void ReadTiming(const MidiFile& file, Melody& out)
{
    std::vector<MeterChange> changes;
    ForEachEvent(file.smf.get(), kConductorTrack, [&](const smf_event_t& e) {
        const auto d = MetaData(e);
        const int64_t onset = ToMelodyTicks(e.time_pulses, file.midi.ticksPerQuarter);
        if (IsMeta(e, kMidiMetaTimeSignature) && d.size() >= 2)
            changes.push_back({onset, uint8_t(d[0]), 1 << uint8_t(d[1])});
        else if (IsMeta(e, kMidiMetaKeySignature) && d.size() >= 2 && !out.hasKey) {
            out.keyFifths = int8_t(d[0]);
            out.keyMinor = d[1] != 0;
            out.hasKey = true;
        } else if (IsMeta(e, kMidiMetaTempo) && d.size() >= 3 && out.tempoQuarterBpm == 0) {
            const int64_t us = uint8_t(d[0]) << 16 | uint8_t(d[1]) << 8 | uint8_t(d[2]);
            out.tempoQuarterBpm = double(kMicrosecondsPerMinute) / double(us);
        }
    });
    out.meters = TidyMeters(changes);
}

} // namespace

bool ListMidiTracks(const std::vector<uint8_t>& bytes, std::vector<MelodyChoice>& tracks)
{
    tracks.clear();
    MidiFile file;
    if (!Open(bytes, file))
        return false;
    if (file.midi.format == 0) {
        const TrackSummary s = Summarise(file.smf.get(), 1);
        for (int c : ChannelsWithNotes(s))
            tracks.push_back({int(tracks.size()) + 1, "チャンネル " + std::to_string(c + 1), s.notes[c]});
        return true;
    }
    for (int t = 1; t <= file.midi.trackCount; ++t) {
        TrackSummary s = Summarise(file.smf.get(), t);
        tracks.push_back({t, std::move(s.name), s.Total()});
    }
    return true;
}

ImportStatus ReadMidi(const std::vector<uint8_t>& bytes, int choice, Melody& out)
{
    out = Melody{};
    MidiFile file;
    if (!Open(bytes, file))
        return ImportStatus::Unreadable;
    Selection sel;
    const ImportStatus chosen = file.midi.format == 0 ? SelectChannel(file.smf.get(), choice, sel)
                                                      : SelectTrack(file.smf.get(), file.midi.trackCount, choice, sel);
    if (chosen != ImportStatus::Ok)
        return chosen;
    out.skipped = file.midi.skipped;
    ReadNotes(file, sel, out);
    if (out.notes.empty())
        return ImportStatus::NoMelody;
    out.title = Summarise(file.smf.get(), 1).name;
    ReadTiming(file, out);
    return ImportStatus::Ok;
}
