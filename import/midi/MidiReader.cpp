#include "import/midi/MidiReader.h"

#include "common/TextTranslation.h"
#include "common/Cp932.h"
#include "import/HighestNote.h"
#include "import/VoiceCandidates.h"
#include "import/midi/MidiFile.h"

#include <algorithm>
#include <array>
#include <span>
#include <string>
#include <string_view>

namespace {

constexpr int kChannels = 16;
constexpr int kDrumChannel = 9; // channel 10 as players count
constexpr int64_t kMicrosecondsPerMinute = 60'000'000;

bool Open(const std::vector<uint8_t>& bytes, MidiFile& file)
{
    return ReadMidiFile(std::span(bytes), file) == ImportStatus::Ok;
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

// Names are UTF-8 in newer files and Shift-JIS in older Japanese ones. A name cut to
// kMaxMidiNameBytes may end inside a character.
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

TrackSummary Summarise(const MidiTrack& track)
{
    TrackSummary s;
    s.name = NameText(track.name);
    for (const MidiNoteEvent& e : track.notes)
        if (e.on)
            ++s.notes[e.channel];
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

ImportStatus SelectTrack(const MidiFile& file, int choice, Selection& sel)
{
    const int trackCount = static_cast<int>(file.tracks.size());
    if (choice != kDefaultChoice && (choice < 1 || choice > trackCount))
        return ImportStatus::NoSuchChoice;
    for (int t = 1; t <= trackCount; ++t) {
        if (choice != kDefaultChoice && t != choice)
            continue;
        const TrackSummary s = Summarise(file.tracks[t - 1]);
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

ImportStatus SelectChannel(const MidiFile& file, int choice, Selection& sel)
{
    const std::vector<int> channels = ChannelsWithNotes(Summarise(file.tracks.front()));
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

// The notes a track plays on the given channels, in melody ticks.
std::vector<MidiTimedNote> TimedNotes(const MidiFile& file, const MidiTrack& track,
                                      const std::array<bool, kChannels>& channels, int& skipped)
{
    std::vector<MidiNoteEvent> events;
    events.reserve(track.notes.size());
    for (const MidiNoteEvent& e : track.notes)
        if (channels[e.channel])
            events.push_back(e);
    const int tpq = file.ticksPerQuarter;
    std::vector<MidiTimedNote> notes = PairNotes(events, track.end, skipped);
    for (MidiTimedNote& n : notes) {
        n.start = ToMelodyTicks(n.start, tpq);
        n.end = std::max(ToMelodyTicks(n.end, tpq), n.start + 1);
    }
    return notes;
}

void ReadNotes(const MidiFile& file, const Selection& sel, Melody& out)
{
    const MidiTrack& track = file.tracks[sel.fileTrack - 1];
    for (const MidiTimedNote& n : HighestAtEachOnset(TimedNotes(file, track, sel.channels, out.skipped)))
        out.notes.push_back({n.start, n.end - n.start, n.pitch, {}});
}

// A voice keeps every note it plays, highest first at each onset.
VoiceCandidate VoiceOf(const MidiFile& file, const MidiTrack& track, const std::array<bool, kChannels>& channels,
                       std::string name, std::string origin)
{
    int skippedByMelody = 0; // counted once, by the melody's reading
    std::vector<MidiTimedNote> notes = TimedNotes(file, track, channels, skippedByMelody);
    OrderHighestFirst(notes, [](const MidiTimedNote& n) { return n.start; }, [](const MidiTimedNote& n) { return n.pitch; });
    VoiceCandidate voice{std::move(name), std::move(origin), {}};
    voice.notes.reserve(notes.size());
    for (const MidiTimedNote& n : notes)
        voice.notes.push_back({n.start, n.end - n.start, n.pitch, {}});
    return voice;
}

// Every track with pitched notes (format 0: every channel but the drums') is a voice.
void ListVoices(const MidiFile& file, const Selection& sel, Melody& out)
{
    if (file.format == 0) {
        const MidiTrack& track = file.tracks.front();
        for (int c : ChannelsWithNotes(Summarise(track))) {
            if (c == kDrumChannel || out.voices.size() >= kMaxVoiceCandidates)
                continue;
            std::array<bool, kChannels> channel{};
            channel[c] = true;
            const std::string number = std::to_string(c + 1);
            const int listed =
                AddVoiceCandidate(out, VoiceOf(file, track, channel, FilledText(CoreText::translate("ScoreImport", "チャンネル %1"), {number}), "channel " + number));
            if (sel.channels[c])
                out.melodyVoice = listed;
        }
        return;
    }
    for (size_t t = 1; t <= file.tracks.size() && out.voices.size() < kMaxVoiceCandidates; ++t) {
        const MidiTrack& track = file.tracks[t - 1];
        TrackSummary s = Summarise(track);
        if (s.Pitched() == 0)
            continue;
        const std::string number = std::to_string(t);
        std::string name = s.name.empty() ? FilledText(CoreText::translate("ScoreImport", "トラック %1"), {number}) : std::move(s.name);
        const int listed = AddVoiceCandidate(
            out, VoiceOf(file, track, MelodyChannels(s), std::move(name), "track " + number));
        if (int(t) == sel.fileTrack && !sel.channels[kDrumChannel])
            out.melodyVoice = listed;
    }
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
    for (const MidiTimingChange& e : file.timing) {
        const uint8_t* d = e.data;
        const int64_t onset = ToMelodyTicks(e.tick, file.ticksPerQuarter);
        if (e.type == kMidiMetaTimeSignature)
            changes.push_back({onset, d[0], 1 << d[1]});
        else if (e.type == kMidiMetaKeySignature && !out.hasKey) {
            out.keyFifths = int8_t(d[0]);
            out.keyMinor = d[1] != 0;
            out.hasKey = true;
        } else if (e.type == kMidiMetaTempo && out.tempoQuarterBpm == 0) {
            const int64_t us = d[0] << 16 | d[1] << 8 | d[2];
            out.tempoQuarterBpm = double(kMicrosecondsPerMinute) / double(us);
        }
    }
    out.meters = TidyMeters(changes);
}

} // namespace

bool ListMidiTracks(const std::vector<uint8_t>& bytes, std::vector<MelodyChoice>& tracks)
{
    tracks.clear();
    MidiFile file;
    if (!Open(bytes, file))
        return false;
    if (file.format == 0) {
        const TrackSummary s = Summarise(file.tracks.front());
        for (int c : ChannelsWithNotes(s))
            tracks.push_back({int(tracks.size()) + 1, FilledText(CoreText::translate("ScoreImport", "チャンネル %1"), {std::to_string(c + 1)}), s.notes[c]});
        return true;
    }
    for (int t = 1; t <= int(file.tracks.size()); ++t) {
        TrackSummary s = Summarise(file.tracks[t - 1]);
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
    const ImportStatus chosen = file.format == 0 ? SelectChannel(file, choice, sel) : SelectTrack(file, choice, sel);
    if (chosen != ImportStatus::Ok)
        return chosen;
    out.skipped = file.skipped;
    ReadNotes(file, sel, out);
    if (out.notes.empty())
        return ImportStatus::NoMelody;
    out.title = NameText(file.tracks.front().name);
    ReadTiming(file, out);
    ListVoices(file, sel, out);
    return ImportStatus::Ok;
}
