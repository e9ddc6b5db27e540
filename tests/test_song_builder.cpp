#include "tests/SongAsScore.h"
#include "common/Cp932.h"
#include "import/SongBuilder.h"
#include "render/ScoreLayout.h"
#include "song/CSongData.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr int64_t Q = kTicksPerQuarter;

MelodyNote N(int64_t onset, int64_t duration, int pitch, const std::string& lyric = "")
{
    return MelodyNote{onset, duration, pitch, lyric};
}

struct Built {
    std::unique_ptr<CSongData> song;
    SongBuildReport report;
    std::vector<ScoreNote> notes;
};

Built Build(const Melody& melody, const std::string& fallback = "file")
{
    SongBuilder builder(melody);
    Built b;
    b.song = builder.Build(fallback);
    b.report = builder.Report();
    // The grid's places, as a song file holds them: sixths of a beat.
    for (ScoreNote n : LayOutMeasures(*b.song, 1, b.song->measureCount).notes)
        b.notes.push_back({n.time / kUnitsPerSixth, n.pitch, n.length / kUnitsPerSixth});
    return b;
}

Melody Of(std::vector<MelodyNote> notes, int num = 4, int den = 4)
{
    Melody m;
    m.notes = std::move(notes);
    m.meters = {MeterChange{0, num, den}};
    return m;
}

std::string Chord(const CSongData& s, int beat, bool second = false)
{
    return std::string(FieldText(second ? s.chordTable[beat].second : s.chordTable[beat].first, 8));
}

} // namespace

TEST(SongBuilderMeter, BeatIsTheLowerUnitAndLargeMetersAreFolded)
{
    struct Case {
        int num, den, beats;
        int64_t beatTicks;
    };
    // Compound meters count dotted beats: 6/8 two, 12/8 four, 18/8 six, 3/8 one.
    for (const Case& c : {Case{4, 4, 4, Q}, Case{3, 4, 3, Q}, Case{6, 8, 2, 3 * Q / 2}, Case{2, 2, 2, 2 * Q},
                          Case{12, 8, 4, 3 * Q / 2}, Case{9, 8, 3, 3 * Q / 2}, Case{15, 8, 5, 3 * Q / 2},
                          Case{11, 8, 1, Q / 2}, Case{18, 8, 6, 3 * Q / 2}, Case{3, 8, 1, 3 * Q / 2},
                          Case{6, 16, 2, 3 * Q / 4}, Case{5, 3, 4, Q}, Case{0, 4, 4, Q}, Case{4, 0, 4, Q}}) {
        const SongMeter m = SongBuilder::MeterFor(c.num, c.den);
        EXPECT_EQ(m.beatsPerMeasure, c.beats) << c.num << "/" << c.den;
        EXPECT_EQ(m.beatTicks, c.beatTicks) << c.num << "/" << c.den;
    }
}

TEST(SongBuilderGrid, DurationsGiveTheLayoutsLengthClasses)
{
    // Quarter, half, eighth, sixteenth, sixteenth, whole (across the bar), in 4/4.
    const Built b = Build(Of({N(0, Q, 60), N(Q, 2 * Q, 62), N(3 * Q, Q / 2, 64), N(3 * Q + Q / 2, Q / 4, 65),
                              N(3 * Q + 3 * Q / 4, Q / 4, 67), N(4 * Q, 4 * Q, 69)}));
    EXPECT_EQ(b.song->measureCount, 2);
    EXPECT_EQ(b.song->beatsPerMeasure, 4);
    EXPECT_EQ(b.notes, (std::vector<ScoreNote>{{0, 60, 6}, {6, 62, 12}, {18, 64, 3}, {21, 65, 1}, {22, 67, 1},
                                                {24, 69, 24}}));
    const Cell* c = b.song->cells;
    EXPECT_EQ((std::vector<int>{c[0].entry[0], c[0].entry[1], c[1].entry[0], c[1].entry[1], c[0].entry[2]}),
              (std::vector<int>{60, -2, -2, -2, -3}));
    EXPECT_EQ(b.report.moved, 0);
}

TEST(SongBuilderGrid, SixteenthsAndTripletsLandWhereTheyAreDrawn)
{
    const int64_t t = Q / 3;
    const Built b = Build(Of({N(0, t, 60), N(t, t, 62), N(2 * t, t, 64), N(Q, Q / 4, 65), N(Q + Q / 4, Q / 4, 67),
                              N(Q + Q / 2, Q / 4, 69), N(Q + 3 * Q / 4, Q / 4, 71)}));
    // Triplet: entries 0 and 2 of the first cell, entry 1 of the second.
    EXPECT_EQ(b.song->cells[0].entry[0], 60);
    EXPECT_EQ(b.song->cells[0].entry[2], 62);
    EXPECT_EQ(b.song->cells[1].entry[1], 64);
    // Sixteenths: entries 0 and 1 of both cells of beat 2.
    EXPECT_EQ((std::vector<int>{b.song->cells[2].entry[0], b.song->cells[2].entry[1], b.song->cells[3].entry[0],
                                b.song->cells[3].entry[1]}),
              (std::vector<int>{65, 67, 69, 71}));
    ASSERT_EQ(b.notes.size(), 7u);
    EXPECT_EQ(b.notes[1].time, 2);
    EXPECT_EQ(b.notes[2].time, 4);
    EXPECT_EQ(b.report.moved, 0);
    EXPECT_EQ(b.report.dropped, 0);
}

TEST(SongBuilderGrid, RoundedTimesWithinAHairStandWhereTheyWereMeant)
{
    // A triplet as 256 divisions round it (85, 85, 86): the last note outlasts the downbeat
    // by a tick and must not hide the lower note there.
    const Built t = Build(Of({N(0, 2231, 67), N(2231, 2232, 65), N(4463, 2258, 64), N(Q, Q, 60)}, 3, 4));
    std::vector<std::pair<int, int>> placed;
    for (const ScoreNote& n : t.notes)
        placed.emplace_back(n.time, n.pitch);
    EXPECT_EQ(placed, (std::vector<std::pair<int, int>>{{0, 67}, {2, 65}, {4, 64}, {6, 60}}));
    EXPECT_EQ(t.report.moved, 0);

    // A converter that starts every note a tick late moves none, and its sixteenths stay on
    // their quarter entries; a 24th of a beat off is moved.
    const Built late = Build(Of({N(1, Q, 60), N(Q + 1, Q / 4, 62), N(Q + Q / 4 + 1, Q / 2, 64),
                                 N(Q + 3 * Q / 4 + 1, Q / 4, 65), N(2 * Q + Q / 24, Q, 67)}));
    std::vector<int> times;
    for (const ScoreNote& n : late.notes)
        times.push_back(n.time);
    EXPECT_EQ(times, (std::vector<int>{0, 6, 7, 10, 12}));
    EXPECT_EQ(late.report.moved, 1);

    // A higher note held clearly into the next one still hides it.
    const Built held = Build(Of({N(0, Q + Q / 8, 67), N(Q, Q, 60)}));
    EXPECT_EQ(held.notes.size(), 1u);
}

TEST(SongBuilderGrid, OffGridOnsetsMoveAndCrowdedOnesAreDropped)
{
    // A quintuplet: 1/5 of a beat is neither a quarter nor a sixth; 64ths crowd one position.
    const int64_t f = Q / 5, s = Q / 16;
    const Built b = Build(Of({N(0, f, 60), N(f, f, 62), N(2 * f, f, 64), N(3 * f, f, 65), N(4 * f, f, 67),
                              N(Q, s, 60), N(Q + s, s, 62), N(Q + 2 * s, s, 64), N(Q + 3 * s, s, 65)}));
    EXPECT_EQ(b.report.moved, 4 + 1); // four quintuplet notes, the 64th that stays off its beat
    EXPECT_EQ(b.report.dropped, 2);
    ASSERT_EQ(b.notes.size(), 7u);
    EXPECT_EQ(b.notes[1].time, 1); // 1/5 beat is nearest the first sixth
}

TEST(SongBuilderGrid, HighestSoundingNoteIsTheMelody)
{
    const Built b = Build(Of({N(0, Q, 60, "la"), N(0, Q, 67), N(0, Q, 64),       // chord: the top, with its lyric
                              N(Q, 2 * Q, 72), N(Q + Q / 2, Q / 2, 65),            // under a held higher note
                              N(3 * Q, 2 * Q, 62), N(3 * Q + Q / 2, Q / 2, 69)})); // a higher one cuts it
    EXPECT_EQ(b.notes, (std::vector<ScoreNote>{{0, 67, 6}, {6, 72, 12}, {18, 62, 3}, {21, 69, 3}}));
    EXPECT_EQ(std::string(b.song->cells[0].text[0]), "la");
    // Time nobody sounds is rest, starting a new rest at each measure.
    EXPECT_EQ(b.song->cells[8].entry[0], NoteEntry::kRest);
    EXPECT_EQ(b.song->measureCount, 2);
}

TEST(SongBuilderGrid, AShortLowerNoteAHairAheadGivesWayToTheLongerHigherOne)
{
    const int64_t slack = Q / 48, tick = Q / 480;
    // As a MIDI file plays it: a 9-tick accompaniment note a tick or a whole slack before the
    // melody's E5, ended before it or still sounding.
    for (const int64_t ahead : {tick, slack}) {
        for (const int64_t length : {9 * tick, ahead, Q}) {
            const Built b = Build(Of({N(Q - ahead, length, 57, "ta"), N(Q, Q, 76), N(2 * Q, Q, 74)}));
            EXPECT_EQ(b.notes, (std::vector<ScoreNote>{{6, 76, 6}, {12, 74, 6}})) << ahead << " " << length;
            EXPECT_EQ(b.report.dropped, 0);
            EXPECT_EQ(Cp932ToUtf8(b.song->cells[2].text[0]), "ta"); // the syllable goes with the note kept
        }
    }
    // Farther ahead, or a lower note that outlasts the higher one, keeps its place.
    EXPECT_EQ(Build(Of({N(Q - Q / 6, Q / 6, 57), N(Q, Q, 76)})).notes,
              (std::vector<ScoreNote>{{5, 57, 1}, {6, 76, 6}}));
    // It keeps its whole length; the later note that yields is counted, as at one pitch.
    for (const int pitch : {76, 57}) {
        const Built longer = Build(Of({N(Q - tick, 2 * Q, 57), N(Q, Q / 4, pitch), N(3 * Q, Q, 74)}));
        EXPECT_EQ(longer.notes, (std::vector<ScoreNote>{{6, 57, 12}, {18, 74, 6}})) << pitch;
        EXPECT_EQ(longer.report.dropped, 1);
    }
}

TEST(SongBuilderGrid, AFastRunKeepsItsOwnPlacesAndCountsWhatTheGridCannotHold)
{
    // Seven rising 128ths in 9/8, each a 48th of the dotted-quarter beat after the last: a run,
    // not a chord spread by a hair. The first keeps the beat; the grid holds one more.
    const int64_t beat = 3 * Q / 2, n128 = Q / 32;
    std::vector<MelodyNote> run{N(0, beat, 60)};
    for (int i = 0; i < 7; ++i)
        run.push_back(N(beat + i * n128, n128, 72 + i));
    run.push_back(N(2 * beat, beat, 60));
    const Built b = Build(Of(run, 9, 8));
    std::vector<std::pair<int, int>> placed;
    for (const ScoreNote& n : b.notes)
        placed.emplace_back(n.time, n.pitch);
    EXPECT_EQ(placed, (std::vector<std::pair<int, int>>{{0, 60}, {6, 72}, {7, 77}, {12, 60}}));
    EXPECT_EQ(b.report.dropped, 5);
    EXPECT_EQ(b.report.placed + b.report.dropped, 9);

    // The same notes held, an arpeggio that sounds as one chord, still leave its top alone.
    std::vector<MelodyNote> spread{N(0, beat, 60)};
    for (int i = 0; i < 3; ++i)
        spread.push_back(N(beat + i * n128, beat, 72 + i));
    const Built chord = Build(Of(spread, 9, 8));
    ASSERT_EQ(chord.notes.size(), 2u);
    EXPECT_EQ(chord.notes.back().pitch, 74);
    EXPECT_EQ(chord.notes.back().time, 6);
    EXPECT_EQ(chord.report.dropped, 0);
}

TEST(SongBuilderGrid, AMeasureOverfullByLessThanTheGridsStepMakesNoMeasure)
{
    // 2/4 with an extra 3/480 of a quarter of rest in the first measure, as a MusicXML file
    // at 480 divisions can write it: still two measures, every note kept.
    const int64_t sliver = 3 * Q / 480;
    const Built b = Build(Of({N(0, Q, 60), N(Q, Q, 62), N(2 * Q, sliver, MelodyNote::kRest), N(2 * Q + sliver, Q, 64),
                              N(3 * Q + sliver, Q, 65)},
                             2, 4));
    EXPECT_EQ(b.song->measureCount, 2);
    EXPECT_EQ(b.notes, (std::vector<ScoreNote>{{0, 60, 6}, {6, 62, 6}, {12, 64, 6}, {18, 65, 6}}));
    EXPECT_FALSE(b.report.truncated);

    // A sixth of a beat of rest is a step the grid shows; a note past the bar line, however
    // short, needs its measure.
    EXPECT_EQ(Build(Of({N(0, 2 * Q, 60), N(2 * Q, Q / 6, MelodyNote::kRest)}, 2, 4)).song->measureCount, 2);
    EXPECT_EQ(Build(Of({N(0, 2 * Q, 60), N(2 * Q, sliver, MelodyNote::kRest)}, 2, 4)).song->measureCount, 1);
    const Built past = Build(Of({N(0, 2 * Q, 60), N(2 * Q, sliver, 62)}, 2, 4));
    EXPECT_EQ(past.song->measureCount, 2);
    EXPECT_EQ(past.notes.back().pitch, 62);
}

TEST(SongBuilderGrid, PickupIsPaddedSoThatDownbeatsStartMeasures)
{
    Melody m = Of({N(0, Q, 67), N(Q, 3 * Q, 72), N(4 * Q, Q, 71)}, 3, 4);
    m.pickupTicks = Q;
    const Built b = Build(m);
    EXPECT_EQ(b.song->beatsPerMeasure, 3);
    EXPECT_EQ(b.song->measureCount, 3);
    EXPECT_EQ(b.notes, (std::vector<ScoreNote>{{12, 67, 6}, {18, 72, 18}, {36, 71, 6}}));
    EXPECT_EQ(b.song->cells[0].entry[0], NoteEntry::kRest);

    // 12/8 counts four dotted-quarter beats: a pickup of one gets three beats of rest.
    Melody compound = Of({N(0, 3 * Q / 2, 60), N(3 * Q / 2, 6 * Q, 62)}, 12, 8);
    compound.pickupTicks = 3 * Q / 2;
    const Built c = Build(compound);
    EXPECT_EQ(c.song->beatsPerMeasure, 4);
    EXPECT_EQ(c.notes.front().time, 3 * 6);
    EXPECT_EQ(c.notes.back().time, 4 * 6);
}

TEST(SongBuilderGrid, LaterMeterChangesKeepTheTimeline)
{
    Melody m = Of({N(0, 4 * Q, 60), N(4 * Q, Q / 2, 62), N(4 * Q + Q / 2, Q / 2, 64)});
    m.meters.push_back(MeterChange{4 * Q, 6, 8});
    const Built b = Build(m);
    EXPECT_EQ(b.song->beatsPerMeasure, 4);
    EXPECT_EQ(b.notes, (std::vector<ScoreNote>{{0, 60, 24}, {24, 62, 3}, {27, 64, 3}}));
}

TEST(SongBuilderSummary, KeyChordsLyricsTitleAndTempo)
{
    Melody m = Of({N(0, Q, 60, "さくら"), N(Q, Q, 62, "ありがとう"), N(2 * Q, Q, 64, "abcdefghij")}, 4, 8);
    m.hasKey = true;
    m.keyFifths = -3;
    m.keyMinor = true;
    m.tempoQuarterBpm = 90;
    m.title = "とても長い題名のついたわらべうたの楽譜です";
    m.chords = {ChordSymbol{0, 'B', -1, "m7"}, ChordSymbol{Q / 4, 'C', -1, ""}, ChordSymbol{Q, 'F', 1, "dim"},
                ChordSymbol{3 * Q / 2, 'D', 0, "9"}, ChordSymbol{2 * Q, 'C', 1, "maj13sus"}, ChordSymbol{Q, 'H', 0, ""}};
    const Built b = Build(m);
    const CSongData& s = *b.song;
    EXPECT_EQ(s.keyIndex, 25); // Cm
    EXPECT_EQ(Chord(s, 0), "Bbm7");
    EXPECT_EQ(Chord(s, 0, true), "B") << "a sixteenth in: the second half of the eighth beat; Cb is B";
    EXPECT_EQ(Chord(s, 1), "") ;
    EXPECT_EQ(Chord(s, 2), "F#dim");
    EXPECT_EQ(Chord(s, 3), "Dadd9");
    EXPECT_EQ(Chord(s, 4), "C#maj13");
    EXPECT_EQ(Cp932ToUtf8(s.cells[0].text[0]), "さくら");
    EXPECT_EQ(Cp932ToUtf8(s.cells[4].text[0]), "ありが") << "cut to 7 bytes on a character boundary";
    EXPECT_EQ(std::string(s.cells[8].text[0]), "abcdefg");
    EXPECT_EQ(Cp932ToUtf8(s.ListTitle()), "とても長い題名のついたわらべうた");
    EXPECT_EQ(s.Tempo(), 180) << "90 quarters are 180 eighth beats";
    EXPECT_EQ(s.FameLevel(), 0);

    Melody plain = Of({N(0, Q, 60)});
    plain.tempoQuarterBpm = 300;
    const Built p = Build(plain, "my song");
    EXPECT_EQ(p.song->ListTitle(), "my song");
    EXPECT_EQ(p.song->Tempo(), 240) << "the nearest the song file holds";
    EXPECT_EQ(p.song->PlayedTempo(), 300) << "the score's own, beside the grid";
    EXPECT_EQ(p.song->keyIndex, 0);
    EXPECT_EQ(Build(Of({N(0, Q, 60)}, 2, 2)).song->Tempo(), 60) << "no tempo: 120 quarters";
}

TEST(SongBuilderSummary, KeySignaturesMapToTheKeyTable)
{
    struct Case {
        int fifths;
        bool minor;
        int index;
    };
    for (const Case& c : {Case{0, false, 0}, Case{2, false, 2}, Case{-1, false, 8}, Case{-7, false, 14},
                          Case{0, true, 15}, Case{3, true, 18}, Case{-1, true, 23}, Case{-7, true, 29},
                          Case{8, false, 11}, Case{-9, true, 18}})
        EXPECT_EQ(SongBuilder::KeyIndexFor(c.fifths, c.minor), c.index) << c.fifths << (c.minor ? "m" : "");
}

TEST(SongBuilderLimits, MoreThan1024BeatsAreLeftOut)
{
    Melody m = Of({}, 3, 4);
    for (int i = 0; i < 1100; ++i)
        m.notes.push_back(N(i * Q, Q, 60 + i % 12));
    const Built b = Build(m);
    EXPECT_TRUE(b.report.truncated);
    EXPECT_EQ(b.song->measureCount, 341);
    EXPECT_EQ(b.notes.size(), 1023u);

    const Built fits = Build(Of({N(0, 1024 * Q, 60)}));
    EXPECT_FALSE(fits.report.truncated);
    EXPECT_EQ(fits.song->measureCount, 256);
}

TEST(SongBuilderLimits, AShortLastNoteStaysInsideTheSong)
{
    // A 32nd ending 8 measures of 2/2 is nearer the place past the end than the last one.
    Melody cut = Of({N(0, 16 * 2 * Q - Q / 8, 60)}, 2, 2);
    cut.notes.push_back(N(16 * 2 * Q - Q / 8, Q / 8, 62, "end"));
    const Built b = Build(cut);
    EXPECT_EQ(b.song->measureCount, 8);
    ASSERT_EQ(b.notes.size(), 2u);
    EXPECT_EQ(b.notes.back().time, 16 * 6 - 1);
    EXPECT_EQ(b.notes.back().pitch, 62);
    EXPECT_EQ(b.report.moved, 1);

    // At 1024 beats the place past the end is the summary block; a 64th must not reach it.
    Melody full = Of({N(0, 1024 * Q - Q / 16, 60)});
    const Built plain = Build(full);
    full.notes.push_back(N(1024 * Q - Q / 16, Q / 16, 62, "end"));
    const Built last = Build(full);
    EXPECT_FALSE(last.report.truncated);
    EXPECT_EQ(std::vector<uint8_t>(last.song->summaryBlock, last.song->summaryBlock + CSongData::kSummarySize),
              std::vector<uint8_t>(plain.song->summaryBlock, plain.song->summaryBlock + CSongData::kSummarySize));
    EXPECT_EQ(last.notes.back().pitch, 62);

    // When the last place is taken already, the short note is dropped.
    Melody crowded = Of({N(0, 4 * Q - Q / 6, 60), N(4 * Q - Q / 6, Q / 6 - Q / 16, 64), N(4 * Q - Q / 16, Q / 16, 67)});
    const Built c = Build(crowded);
    EXPECT_EQ(c.report.dropped, 1);
    EXPECT_EQ(c.notes.back().pitch, 64);
}

TEST(SongBuilderGrid, CompoundMetersCountDottedBeatsOfThree)
{
    // A jig measure: six eighths on the thirds of two dotted-quarter beats, as triplets stand.
    std::vector<MelodyNote> six;
    for (int i = 0; i < 6; ++i)
        six.push_back(N(i * Q / 2, Q / 2, 60 + i));
    Melody jig = Of(six, 6, 8);
    jig.tempoQuarterBpm = 180; // 3/8=120
    const Built b = Build(jig);
    EXPECT_EQ(b.song->beatsPerMeasure, 2);
    ASSERT_TRUE(b.song->meter);
    EXPECT_EQ(b.song->meter->Division(), 3);
    EXPECT_EQ(b.song->meter->Name(), "8分の6拍子");
    EXPECT_EQ(b.song->Tempo(), 120);
    EXPECT_FALSE(b.song->playedTempo);
    EXPECT_EQ(b.report.moved, 0);
    std::vector<std::pair<int32_t, int32_t>> placed;
    for (const ScoreNote& n : b.notes)
        placed.push_back({n.time, n.pitch});
    EXPECT_EQ(placed, (std::vector<std::pair<int32_t, int32_t>>{{0, 60}, {2, 61}, {4, 62}, {6, 63}, {8, 64}, {10, 65}}));
    EXPECT_EQ(LayOutMeasures(*b.song, 1, 1).beatDivision, 3);

    EXPECT_FALSE(Build(Of({N(0, Q, 60)}, 3, 4)).song->meter.has_value()) << "simple meters keep their beat";
    EXPECT_EQ(Build(Of({N(0, 3 * Q / 2, 60)}, 3, 8)).song->beatsPerMeasure, 1) << "3/8 counted in one";

    // What a player counts: "1 + a" in threes, "1 +" in twos.
    EXPECT_EQ(CountAt(0, 3) + CountAt(2, 3) + CountAt(4, 3) + CountAt(6, 3) + CountAt(8, 3) + CountAt(10, 3), "1+a2+a");
    EXPECT_EQ(CountAt(3, 3) + CountAt(1, 3) + CountAt(-6, 3), "");
    EXPECT_EQ(CountAt(0, 2) + CountAt(3, 2) + CountAt(6, 2) + CountAt(2, 2), "1+2");
}

TEST(SongBuilderSummary, AModalKeyKeepsItsModeThroughTransposition)
{
    Melody m = Of({N(0, Q, 64)});
    m.hasKey = true;
    m.keyFifths = 2; // E dorian: D major's signature
    m.keyMinor = true;
    m.keyMode = ChurchMode::Dorian;
    const Built b = Build(m);
    EXPECT_EQ(b.song->KeyLabel(), "E ドリア");
    b.song->Transpose(5);
    EXPECT_EQ(b.song->KeyLabel(), "A ドリア");
    b.song->Transpose(1);
    EXPECT_EQ(b.song->KeyLabel(), "Bb ドリア") << "spelt as its signature, Ab major's";

    m.keyMode.reset();
    EXPECT_EQ(Build(m).song->KeyLabel(), "Bm") << "minor, as the key table names it";
    m.hasKey = false;
    m.keyMode = ChurchMode::Lydian;
    EXPECT_EQ(Build(m).song->KeyLabel(), "C") << "no key: no mode";
}
