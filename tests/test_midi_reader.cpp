#include "import/midi/MidiFile.h"
#include "import/midi/MidiNotes.h"
#include "import/midi/MidiReader.h"
#include "tests/support/MidiBytes.h"

#include <ctime>
#include <gtest/gtest.h>
#include <random>

namespace {

constexpr int64_t kQ = kTicksPerQuarter;

// "onset:pitch:duration" per note, in quarters' 1/kQ, for readable failures.
std::vector<std::string> NotesOf(const Melody& m)
{
    std::vector<std::string> out;
    for (const MelodyNote& n : m.notes)
        out.push_back(std::to_string(n.onset) + ":" + std::to_string(n.pitch) + ":" + std::to_string(n.duration));
    return out;
}

std::string N(int64_t onset, int pitch, int64_t duration)
{
    return std::to_string(onset) + ":" + std::to_string(pitch) + ":" + std::to_string(duration);
}

MidiTrackBytes Conductor()
{
    MidiTrackBytes t;
    t.Name("Song").TimeSignature(0, 3, 2).KeySignature(0, -1, true).Tempo(0, 600000);
    return t.End();
}

MidiTrackBytes Scale(int channel = 0)
{
    MidiTrackBytes t;
    t.Name("Melody");
    for (int p : {60, 62, 64})
        t.Note(0, p, 480, channel);
    return t.End();
}

ImportStatus Read(const std::vector<uint8_t>& bytes, Melody& m, int choice = kDefaultChoice)
{
    return ReadMidi(bytes, choice, m);
}

} // namespace

TEST(MidiReader, ReadsTheFirstTrackWithNotesAndTheConductorsFacts)
{
    Melody m;
    ASSERT_EQ(Read(MidiFileBytes(1, 480, {Conductor(), Scale()}), m), ImportStatus::Ok);
    EXPECT_EQ(NotesOf(m), (std::vector<std::string>{N(0, 60, kQ), N(kQ, 62, kQ), N(2 * kQ, 64, kQ)}));
    EXPECT_EQ(m.title, "Song");
    EXPECT_DOUBLE_EQ(m.tempoQuarterBpm, 100.0);
    ASSERT_EQ(m.meters.size(), 1u);
    EXPECT_EQ((std::vector<int>{int(m.meters[0].onset), m.meters[0].numerator, m.meters[0].denominator}),
              (std::vector<int>{0, 3, 4}));
    EXPECT_TRUE(m.hasKey);
    EXPECT_EQ(m.keyFifths, -1);
    EXPECT_TRUE(m.keyMinor);
    EXPECT_EQ(m.skipped, 0);
}

TEST(MidiReader, ConvertsTicksOfAnyResolutionAndRoundsToTheNearest)
{
    MidiTrackBytes t;
    t.Note(0, 60, 100).Note(50, 62, 1).End();
    Melody m;
    ASSERT_EQ(Read(MidiFileBytes(0, 384, {t}), m), ImportStatus::Ok);
    // 100/384 quarter = 1750; the second note starts at 150/384 = 2625 and lasts 17.5 -> 18.
    EXPECT_EQ(NotesOf(m), (std::vector<std::string>{N(0, 60, 1750), N(2625, 62, 18)}));
    EXPECT_TRUE(m.meters.empty()); // no time signature: 4/4
    EXPECT_FALSE(m.hasKey);
    EXPECT_EQ(m.tempoQuarterBpm, 0);
    EXPECT_EQ(m.title, "");
}

TEST(MidiReader, MetersFromAnyTrackInTimeOrderWithoutRepeats)
{
    MidiTrackBytes conductor;
    conductor.TimeSignature(960, 6, 3).TimeSignature(480, 6, 3).TimeSignature(480, 6, 3).End();
    MidiTrackBytes melody;
    melody.TimeSignature(0, 2, 2).Note(0, 60, 480).TimeSignature(480, 3, 2).End();
    Melody m;
    ASSERT_EQ(Read(MidiFileBytes(1, 480, {conductor, melody}), m), ImportStatus::Ok);
    std::vector<std::string> meters;
    for (const MeterChange& c : m.meters)
        meters.push_back(std::to_string(c.onset / kQ) + "@" + std::to_string(c.numerator) + "/" +
                         std::to_string(c.denominator));
    // At beat 2 both tracks change the meter: the later track wins. Beat 4 repeats 6/8.
    EXPECT_EQ(meters, (std::vector<std::string>{"0@2/4", "2@3/4", "3@6/8"}));

    MidiTrackBytes late;
    late.Note(0, 60, 480).TimeSignature(480, 3, 2).End();
    ASSERT_EQ(Read(MidiFileBytes(0, 480, {late}), m), ImportStatus::Ok);
    ASSERT_EQ(m.meters.size(), 2u);
    EXPECT_EQ(m.meters[0].numerator, 4);
    EXPECT_EQ(m.meters[1].onset, 2 * kQ);
}

TEST(MidiReader, NoteEventsAsKeyboardsWriteThem)
{
    MidiTrackBytes t;
    t.On(0, 0, 60).Raw({0x00, 60, 0})       // running status; velocity 0 ends the note at once
        .Raw({0x83, 0x60, 62, 90})           // running status note-on at 480
        .Raw({0x83, 0x60, 62, 0})            // ended by velocity 0 at 960
        .On(0, 0, 64).On(240, 0, 64)         // the same pitch again before its off
        .Off(240, 0, 64).Off(0, 0, 64)       // both offs at 1440
        .On(0, 0, 65).On(480, 0, 65).Off(0, 0, 65) // the next 65 written before the old one's off
        .Raw({0x83, 0x60, 0xB0, 7, 100});    // a controller at 2400, then no end-of-track event
    Melody m;
    ASSERT_EQ(Read(MidiFileBytes(0, 480, {t}), m), ImportStatus::Ok);
    EXPECT_EQ(NotesOf(m), (std::vector<std::string>{N(kQ, 62, kQ), N(2 * kQ, 64, kQ / 2), N(5 * kQ / 2, 64, kQ / 2),
                                                    N(3 * kQ, 65, kQ), N(4 * kQ, 65, kQ)}));
    EXPECT_EQ(m.skipped, 1); // the note of no length at tick 0
}

TEST(MidiReader, HighestNoteAtEachOnsetAndNoDrumsByDefault)
{
    MidiTrackBytes t;
    t.On(0, 9, 80).On(0, 0, 60).On(0, 0, 67).On(0, 0, 64).Off(480, 0, 60).Off(0, 0, 67).Off(0, 0, 64).Off(0, 9, 80);
    t.End();
    Melody m;
    ASSERT_EQ(Read(MidiFileBytes(1, 480, {t}), m), ImportStatus::Ok);
    EXPECT_EQ(NotesOf(m), (std::vector<std::string>{N(0, 67, kQ)}));
}

TEST(MidiReader, TrackChoiceFormat1)
{
    MidiTrackBytes drums;
    drums.Name("Drums").Note(0, 36, 480, 9).Note(0, 38, 480, 9).End();
    MidiTrackBytes sjis;
    sjis.Name("\x83\x81\x83\x8D\x83\x66\x83\x42").Note(0, 72, 480).End(); // メロディ in Shift-JIS
    std::string longName;
    for (int i = 0; i < 100; ++i)
        longName += "あ";
    MidiTrackBytes named;
    named.Name(longName).Note(0, 72, 480).End();
    const auto file = MidiFileBytes(1, 480, {Conductor(), drums, Scale(), sjis, named});
    std::vector<MelodyChoice> tracks;
    ASSERT_TRUE(ListMidiTracks(file, tracks));
    ASSERT_EQ(tracks.size(), 5u);
    EXPECT_EQ((std::vector<std::string>{tracks[0].name, tracks[1].name, tracks[2].name, tracks[3].name}),
              (std::vector<std::string>{"Song", "Drums", "Melody", "メロディ"}));
    EXPECT_EQ(tracks[4].name, longName.substr(0, 42 * 3)); // cut at a character's start
    EXPECT_EQ((std::vector<int>{tracks[0].noteCount, tracks[1].noteCount, tracks[2].noteCount, tracks[3].noteCount}),
              (std::vector<int>{0, 2, 3, 1}));
    EXPECT_EQ(tracks[3].number, 4);

    Melody m;
    ASSERT_EQ(Read(file, m), ImportStatus::Ok);
    EXPECT_EQ(m.notes.size(), 3u); // the drums are passed over
    ASSERT_EQ(Read(file, m, 2), ImportStatus::Ok);
    EXPECT_EQ(NotesOf(m), (std::vector<std::string>{N(0, 36, kQ), N(kQ, 38, kQ)})); // chosen: drums
    ASSERT_EQ(Read(file, m, 4), ImportStatus::Ok);
    EXPECT_EQ(m.notes[0].pitch, 72);
    EXPECT_EQ(m.title, "Song");
    EXPECT_EQ(Read(file, m, 1), ImportStatus::NoMelody);
    for (int bad : {0, 6, -2})
        EXPECT_EQ(Read(file, m, bad), ImportStatus::NoSuchChoice) << bad;
    EXPECT_EQ(Read(MidiFileBytes(1, 480, {Conductor(), drums}), m), ImportStatus::NoMelody);
}

TEST(MidiReader, ChannelChoiceFormat0)
{
    MidiTrackBytes t;
    t.Name("Tune").Note(0, 40, 480, 9).Note(0, 50, 480, 3).Note(0, 62, 480, 1).End();
    const auto file = MidiFileBytes(0, 480, {t});
    std::vector<MelodyChoice> channels;
    ASSERT_TRUE(ListMidiTracks(file, channels));
    ASSERT_EQ(channels.size(), 3u);
    EXPECT_EQ(channels[0].name, "チャンネル 2");
    EXPECT_EQ(channels[2].name, "チャンネル 10");
    EXPECT_EQ(channels[2].number, 3);
    Melody m;
    ASSERT_EQ(Read(file, m), ImportStatus::Ok);
    EXPECT_EQ(NotesOf(m), (std::vector<std::string>{N(2 * kQ, 62, kQ)}));
    EXPECT_EQ(m.title, "Tune");
    ASSERT_EQ(Read(file, m, 3), ImportStatus::Ok);
    EXPECT_EQ(m.notes[0].pitch, 40);
    EXPECT_EQ(Read(file, m, 4), ImportStatus::NoSuchChoice);
}

TEST(MidiReader, RefusesWhatItCannotRead)
{
    Melody m;
    std::vector<MelodyChoice> list;
    const auto smpte = MidiFileBytes(1, 0xE728, {Scale()}); // -25 frames, 40 ticks each
    EXPECT_EQ(Read(smpte, m), ImportStatus::Unreadable);
    EXPECT_FALSE(ListMidiTracks(smpte, list));
    EXPECT_EQ(Read(MidiFileBytes(2, 480, {Scale()}), m), ImportStatus::Unreadable);
    EXPECT_EQ(Read(MidiFileBytes(1, 0, {Scale()}), m), ImportStatus::Unreadable);
    EXPECT_EQ(Read(MidiFileBytes(1, 480, {}), m), ImportStatus::Unreadable);
    EXPECT_EQ(Read({}, m), ImportStatus::Unreadable);
}

// Hand-made damage after the first note; what precedes it is kept.
TEST(MidiReaderBadInput, DamagedTracksAreReadUpToTheDamage)
{
    struct Case {
        const char* what;
        std::initializer_list<uint8_t> tail;
        int notes;
    } cases[] = {
        {"escaped event", {0x00, 0xF7, 0x02, 0xF3, 0x01}, 2},
        {"system exclusive", {0x00, 0xF0, 0x03, 0x7E, 0x7F, 0xF7}, 2},
        {"real-time status", {0x00, 0xF8}, 1},
        {"five-byte delta of 2^28", {0x81, 0x80, 0x80, 0x80, 0x00, 0x90, 70, 90}, 1},
        {"data byte as status", {0x00, 0xFF, 0x01, 0x00, 0x00, 0x40}, 1},
        {"data where a data byte belongs", {0x00, 0x90, 0x90, 0x40}, 1},
        {"meta longer than the track", {0x00, 0xFF, 0x01, 0x7F, 'a'}, 1},
        {"short time signature", {0x00, 0xFF, 0x58, 0x01, 0x04}, 2},
    };
    for (const Case& c : cases) {
        MidiTrackBytes t;
        t.Note(0, 60, 480).Raw(c.tail);
        if (c.notes == 2)
            t.Note(0, 62, 480).End();
        Melody m;
        ASSERT_EQ(Read(MidiFileBytes(0, 480, {t}), m), ImportStatus::Ok) << c.what;
        EXPECT_EQ(int(m.notes.size()), c.notes) << c.what;
    }
}

TEST(MidiReaderBadInput, LengthsCountsAndTimesBeyondReason)
{
    Melody m;
    auto longTrack = MidiFileBytes(0, 480, {Scale()});
    longTrack[18] = 0xFF; // track length 0xFF...: beyond the file
    ASSERT_EQ(Read(longTrack, m), ImportStatus::Ok);
    EXPECT_EQ(m.notes.size(), 3u);

    ASSERT_EQ(Read(MidiFileBytes(1, 480, {Conductor(), Scale()}, 65535), m), ImportStatus::Ok);
    EXPECT_EQ(m.notes.size(), 3u);

    std::vector<MidiTrackBytes> many(kMaxMidiTracks + 10, Scale());
    std::vector<MelodyChoice> list;
    ASSERT_TRUE(ListMidiTracks(MidiFileBytes(1, 480, many, 65535), list));
    EXPECT_EQ(list.size(), kMaxMidiTracks);

    MidiTrackBytes far;
    far.Note(0, 60, 1);
    for (int i = 0; i < 40; ++i)
        far.Note((1u << 28) - 1, 62, 1);
    ASSERT_EQ(Read(MidiFileBytes(0, 1, {far}), m), ImportStatus::Ok);
    EXPECT_EQ(m.notes.back().onset, 0); // the next note would be beyond kMaxMidiQuarters
    EXPECT_EQ(m.skipped, 1);

    MidiTrackBytes dense;
    for (size_t i = 0; i < kMaxMidiEvents; ++i)
        dense.Note(0, 60 + i % 2, 1);
    ASSERT_EQ(Read(MidiFileBytes(0, 480, {dense}), m), ImportStatus::Ok);
    EXPECT_EQ(m.notes.size(), kMaxMidiEvents / 2);
    EXPECT_EQ(m.skipped, 1);
}

TEST(MidiReaderBadInput, EveryTruncationAndGarbageFailsCleanly)
{
    const auto file = MidiFileBytes(1, 480, {Conductor(), Scale()});
    Melody m;
    std::vector<MelodyChoice> list;
    for (size_t n = 0; n < file.size(); ++n) {
        const std::vector<uint8_t> cut(file.begin(), file.begin() + n);
        const ImportStatus s = Read(cut, m);
        EXPECT_TRUE(s == ImportStatus::Ok || s == ImportStatus::Unreadable || s == ImportStatus::NoMelody) << n;
        ListMidiTracks(cut, list);
    }
    std::mt19937 random(14);
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> bytes = file;
        for (int k = 0; k < 4; ++k)
            bytes[14 + random() % (bytes.size() - 14)] = static_cast<uint8_t>(random());
        Read(bytes, m, 1 + round % 3);
        ListMidiTracks(bytes, list);
    }
}

TEST(MidiFileDecode, TracksKeepTheirFirstNameNotesAndEndAndTimingIsMergedByTick)
{
    MidiTrackBytes first;
    first.Name("").Name("Lead").Name("Other").Tempo(0, 500000).KeySignature(480, 2, false);
    first.On(0, 3, 60).Raw({0x00, 60, 0}).Tempo(0, 0).Raw({0x60, 0xB0, 7, 100}); // ends at 576, no EOT
    MidiTrackBytes second;
    second.TimeSignature(480, 3, 2).KeySignature(0, 9, false).Tempo(0, 400000).Note(0, 72, 10, 1).End(5);
    MidiFile file;
    ASSERT_EQ(ReadMidiFile(MidiFileBytes(1, 480, {first, second}), file), ImportStatus::Ok);
    ASSERT_EQ(file.tracks.size(), 2u);
    EXPECT_EQ(file.tracks[0].name, "Lead");
    EXPECT_EQ(file.tracks[1].name, "");
    std::vector<std::string> notes;
    for (const MidiTrack& t : file.tracks)
        for (const MidiNoteEvent& e : t.notes)
            notes.push_back(std::to_string(e.tick) + (e.on ? " on " : " off ") + std::to_string(e.channel) + ":" +
                            std::to_string(e.pitch));
    EXPECT_EQ(notes, (std::vector<std::string>{"480 on 3:60", "480 off 3:60", "480 on 1:72", "490 off 1:72"}));
    EXPECT_EQ((std::vector<int64_t>{file.tracks[0].end, file.tracks[1].end}), (std::vector<int64_t>{576, 495}));
    std::vector<std::string> timing;
    for (const MidiTimingChange& c : file.timing)
        timing.push_back(std::to_string(c.tick) + ":" + std::to_string(c.type) + ":" + std::to_string(c.data[0]));
    // Tempo 0 and nine sharps are invalid; at tick 480 the tracks' changes stay in file order.
    EXPECT_EQ(timing, (std::vector<std::string>{"0:81:7", "480:89:2", "480:88:3", "480:81:6"}));
    EXPECT_EQ(file.skipped, 2);
}

TEST(MidiNotes, EachOffEndsTheEarliestSoundingNoteOfItsChannelAndPitch)
{
    int skipped = 0;
    const auto notes = PairNotes({{0, 0, 60, true}, {5, 0, 60, true}, {10, 1, 60, false}, {10, 0, 60, false},
                                  {20, 0, 60, false}, {20, 0, 61, false}},
                                 100, skipped);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ((std::vector<int64_t>{notes[0].start, notes[0].end, notes[1].start, notes[1].end}),
              (std::vector<int64_t>{0, 5, 5, 20}));
    EXPECT_EQ(skipped, 0);
}

TEST(MidiNotes, StackedNotesOfOnePitchArePairedInLinearTime)
{
    // All ons first, then all offs: each off ends the earliest, as one at a time would.
    constexpr int kStacked = 200000;
    std::vector<MidiNoteEvent> events;
    for (int i = 0; i < kStacked; ++i)
        events.push_back({i, 0, 60, true});
    for (int i = 0; i < kStacked; ++i)
        events.push_back({kStacked + i, 0, 60, false});
    // Stacked again after the first have ended: the emptied list is used anew.
    events.push_back({3 * kStacked, 0, 60, true});
    events.push_back({3 * kStacked + 5, 0, 60, false});
    int skipped = 0;
    const std::clock_t begin = std::clock();
    const auto notes = PairNotes(events, 4 * kStacked, skipped);
    const double seconds = double(std::clock() - begin) / CLOCKS_PER_SEC;
    ASSERT_EQ(notes.size(), size_t(kStacked) + 1);
    // A note still sounding when the next of its pitch starts ends there.
    EXPECT_EQ(notes.front().end, 1);
    EXPECT_EQ(notes[kStacked - 1].start, kStacked - 1);
    EXPECT_EQ(notes[kStacked - 1].end, kStacked + kStacked - 1);
    EXPECT_EQ(notes.back().start, 3 * kStacked);
    EXPECT_EQ(notes.back().end, 3 * kStacked + 5);
    EXPECT_EQ(skipped, 0);
    EXPECT_LT(seconds, 1.0) << "processor seconds";
}

namespace {

std::vector<std::string> NotesOf(const VoiceCandidate& voice)
{
    Melody m;
    m.notes = voice.notes;
    return NotesOf(m);
}

} // namespace

TEST(MidiReader, EveryTrackOrChannelWithPitchedNotesIsAVoice)
{
    MidiTrackBytes drums;
    drums.Name("Drums").Note(0, 36, 480, 9).End();
    MidiTrackBytes chords; // no name; a chord of two notes, then one more
    chords.On(0, 2, 48).On(0, 2, 55).Off(480, 2, 48).Off(0, 2, 55).Note(0, 52, 480, 2).Note(0, 40, 480, 9).End();
    const auto file = MidiFileBytes(1, 480, {Conductor(), Scale(), drums, chords});
    Melody m;
    ASSERT_EQ(Read(file, m), ImportStatus::Ok);
    EXPECT_EQ(m.notes.size(), 3u);
    ASSERT_EQ(m.voices.size(), 2u) << "the conductor and the drums are no voices";
    EXPECT_EQ(m.melodyVoice, 0);
    EXPECT_EQ(m.voices[0].name, "Melody");
    EXPECT_EQ(m.voices[0].origin, "track 2");
    EXPECT_EQ(NotesOf(m.voices[0]), NotesOf(m));
    EXPECT_EQ(m.voices[1].name, "トラック 4");
    EXPECT_EQ(m.voices[1].origin, "track 4");
    EXPECT_EQ(NotesOf(m.voices[1]), (std::vector<std::string>{N(0, 55, kQ), N(0, 48, kQ), N(kQ, 52, kQ)}))
        << "every note of a chord, none of the drums";
    ASSERT_EQ(Read(file, m, 4), ImportStatus::Ok);
    EXPECT_EQ(m.melodyVoice, 1);
    ASSERT_EQ(Read(file, m, 3), ImportStatus::Ok);
    EXPECT_EQ(m.melodyVoice, -1) << "drums chosen are no voice";

    MidiTrackBytes one;
    one.Note(0, 40, 480, 9).Note(0, 50, 480, 3).Note(0, 62, 480, 1).Note(0, 64, 480, 1).End();
    ASSERT_EQ(Read(MidiFileBytes(0, 480, {one}), m, 2), ImportStatus::Ok);
    ASSERT_EQ(m.voices.size(), 2u);
    EXPECT_EQ(m.voices[0].name, "チャンネル 2");
    EXPECT_EQ(m.voices[0].origin, "channel 2");
    EXPECT_EQ(NotesOf(m.voices[0]), (std::vector<std::string>{N(2 * kQ, 62, kQ), N(3 * kQ, 64, kQ)}));
    EXPECT_EQ(m.voices[1].origin, "channel 4");
    EXPECT_EQ(m.melodyVoice, 1);
}
