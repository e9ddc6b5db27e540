// Hand-made broken and hostile ABC: each must end in a clean result, never a crash or a hang.

#include "import/abc/AbcLimits.h"
#include "import/abc/AbcReader.h"
#include "tests/support/AbcTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

std::string TuneOf(const std::string& body)
{
    return "X:1\nM:4/4\nL:1/8\nK:C\n" + body + "\n";
}

} // namespace

TEST(AbcHostileTest, AMillionCharacterLineIsSkippedWhole)
{
    const AbcResult r = ReadAbcText(TuneOf(std::string(1000000, 'C') + "\nD|"));
    ASSERT_EQ(r.status, ImportStatus::Ok);
    EXPECT_EQ(NotesText(r.melody), "62:1");
    EXPECT_EQ(r.melody.skipped, 1);

    const std::string longTitle = "X:1\nT:" + std::string(1000000, 'a') + "\nK:C\nC\n";
    std::vector<MelodyChoice> tunes;
    ASSERT_TRUE(ListAbcTunes(AbcBytes(longTitle), tunes));
    EXPECT_EQ(tunes[0].name, "");
    EXPECT_EQ(ReadAbcText(longTitle).melody.title, "");

    const std::string wideTitle = "X:1\nT:" + std::string(1000, '\xE9') + "\nK:C\nC\n";
    ASSERT_TRUE(ListAbcTunes(AbcBytes(wideTitle), tunes));
    EXPECT_LE(tunes[0].name.size(), kAbcMaxTitleBytes);
    EXPECT_EQ(tunes[0].name.size() % 2, 0u); // whole two-byte characters only
}

TEST(AbcHostileTest, AbsurdNumbersAreSkipped)
{
    const AbcResult r = ReadAbcText(TuneOf("A99999999 A/99999999 Z99999999 A0 B (99999999:1:999999999 c d e "
                                           "(0 f (1 g (3:99 a (3:2:999 b c''''''''''''''' C,,,,,,,,,,,,,,, [99999 D"));
    ASSERT_EQ(r.status, ImportStatus::Ok);
    EXPECT_EQ(NotesText(r.melody), "71:1 72:1 74:1 76:1 77:1 79:1 81:1 83:1 r:1 r:1 62:1");
    EXPECT_EQ(r.melody.skipped, 11);
    EXPECT_EQ(ReadAbcText(TuneOf("A>>>>B")).melody.skipped, 1);
    // Marks without a note between them would shorten one note to nothing.
    std::string body = "A<<<";
    for (int i = 0; i < 18; ++i)
        body += " <";
    const AbcResult marks = ReadAbcText(TuneOf(body + "B"));
    EXPECT_EQ(NotesText(marks.melody), "69:1/8 71:15/8");
    EXPECT_EQ(marks.melody.skipped, 18);
}

TEST(AbcHostileTest, UnitLengthAndMeterOfZero)
{
    const AbcResult r = ReadAbcText("X:1\nL:1/0\nM:0/0\nK:C\nC D [L:0/1] E [M:1/0] F Z|\n");
    ASSERT_EQ(r.status, ImportStatus::Ok);
    EXPECT_EQ(NotesText(r.melody), "60:1 62:1 64:1 65:1 r:8");
    EXPECT_TRUE(r.melody.meters.empty());
    EXPECT_EQ(r.melody.skipped, 4);
}

TEST(AbcHostileTest, AHundredThousandTunes)
{
    std::string file;
    for (int i = 1; i <= 100000; ++i)
        file += "X:" + std::to_string(i) + "\nT:t\nK:C\nC\n\n";
    std::vector<MelodyChoice> tunes;
    ASSERT_TRUE(ListAbcTunes(AbcBytes(file), tunes));
    EXPECT_EQ(tunes.size(), static_cast<size_t>(kAbcMaxTunes));
    EXPECT_EQ(tunes.back().number, kAbcMaxTunes);
    EXPECT_EQ(ReadAbcText(file, kAbcMaxTunes).status, ImportStatus::Ok);
    EXPECT_EQ(ReadAbcText(file, kAbcMaxTunes + 1).status, ImportStatus::NoSuchChoice);
}

TEST(AbcHostileTest, NoteCountsAreBounded)
{
    std::string body;
    for (int line = 0; line < 150; ++line)
        body += std::string(1000, 'C') + "\n";
    const AbcResult written = ReadAbcText(TuneOf(body));
    EXPECT_EQ(written.melody.notes.size(), static_cast<size_t>(kAbcMaxEvents) - 1); // and the meter
    EXPECT_EQ(written.melody.skipped, 150000 - kAbcMaxEvents + 1);

    // Thirty-one times through 7000 notes: more than may be played.
    const AbcResult played = ReadAbcText(TuneOf("|:" + std::string(7000, 'C') + "|1-30 D :|31 E |]"));
    EXPECT_EQ(played.melody.notes.size(), static_cast<size_t>(kAbcMaxPlayedNotes));
    EXPECT_EQ(played.melody.skipped, 1);

    // Thirty-one times through 7000 chord names: the copies are held to the same limit.
    std::string names;
    for (int i = 0; i < 7000; ++i)
        names += "\"G7\"";
    const AbcResult chords = ReadAbcText(TuneOf("|:" + names + " C |1-30 D :|31 E |]"));
    EXPECT_EQ(chords.melody.notes.size(), 62u);
    EXPECT_EQ(chords.melody.chords.size(), static_cast<size_t>(kAbcMaxPlayedNotes));
    EXPECT_EQ(chords.melody.skipped, 31 * 7000 - kAbcMaxPlayedNotes);
}

TEST(AbcHostileTest, RepeatSoupEnds)
{
    for (const char* body : {"|: A :|:|:|::|: B :| :| :| ::::", "|1|1|1 :|2 :|2 :|3 A :|31 :|", ":|[1 :|[2 A :: :| [1,2,3 B :|4 :|",
                             "[1 [2 [3 A :| :| :|", "|: |: |: A :| :| :|"}) {
        const AbcResult r = ReadAbcText(TuneOf(body));
        EXPECT_LE(r.melody.notes.size(), 40u) << body;
    }
    // A fuzzer's find: the last measure's repeat, then a da capo from inside an ending, looked
    // for a section start past the score's end.
    const AbcResult r = ReadAbcText("X:6\nX:6\nT2 | c32`|:|2 B32| c32!D.C.alfine! :| \305 +fine+ o \\'\222\nM:32 | E]\n");
    EXPECT_LE(r.melody.notes.size(), 40u);
}

TEST(AbcHostileTest, ThousandsOfJumpMarksStayCheap)
{
    const auto start = std::chrono::steady_clock::now();
    // A da capo in each of 20000 measures is taken once: the tune is played twice at most.
    std::string everyMeasure;
    for (int i = 1; i <= 20000; ++i)
        everyMeasure += i % 1000 ? "!D.C.!C|" : "!D.C.!C|\n";
    const AbcResult jumps = ReadAbcText(TuneOf(everyMeasure));
    EXPECT_EQ(jumps.melody.notes.size(), 20001u);
    EXPECT_EQ(jumps.melody.skipped, 0);

    // Runs of marks in one measure cost one event per kind: the notes after them still fit.
    std::string notes, run;
    for (int line = 0; line < 90; ++line)
        notes += std::string(1000, 'C') + "\n";
    for (int i = 1; i <= 50000; ++i)
        run += i % 1000 ? "!D.C.!!fine!S!D.S.!O!dacoda!" : "!D.C.!!fine!S!D.S.!O!dacoda!\n";
    const AbcResult marks = ReadAbcText(TuneOf(notes + "|D " + run + " E|"));
    EXPECT_EQ(marks.melody.skipped, 0);
    ASSERT_EQ(marks.melody.notes.size(), 2u * (90000 + 2)); // back once, then the Fine
    EXPECT_EQ(marks.melody.notes.back().pitch, 64);

    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 10.0);
}

TEST(AbcHostileTest, TruncatedAndGarbageInput)
{
    EXPECT_EQ(ReadAbcText("X:1\nT:").status, ImportStatus::NoMelody);
    EXPECT_EQ(ReadAbcText("X:1\nK:C\n\"Am").status, ImportStatus::NoMelody);
    EXPECT_EQ(ReadAbcText("X:1\nK:C\n[CEG").status, ImportStatus::Ok);
    EXPECT_EQ(ReadAbcText("X:99999999999\nK:C\nC").status, ImportStatus::Ok);
    EXPECT_EQ(ReadAbcText(std::string("X:1\nK:C\nC\0D\n", 12)).status, ImportStatus::Ok);

    // Random bytes after a tune header, from a fixed generator so that every run is alike.
    uint32_t state = 12345;
    for (int round = 0; round < 300; ++round) {
        std::string text = "X:1\nK:C\n";
        for (int i = 0; i < 200; ++i) {
            state = state * 1664525u + 1013904223u;
            text += static_cast<char>(state >> 24);
        }
        const AbcResult r = ReadAbcText(text);
        EXPECT_NE(r.status, ImportStatus::NoSuchChoice);
        for (const MelodyNote& n : r.melody.notes)
            EXPECT_GT(n.duration, 0);
        std::vector<MelodyChoice> tunes;
        ListAbcTunes(AbcBytes(text), tunes);
    }
}

TEST(AbcHostileTest, LyricContinuationsAndSyllablesAreBounded)
{
    // Four notes, then 1.2 MB of +: lines after their w: line: what passes a mebibyte is
    // left out and counted.
    std::string continuations;
    for (int i = 0; i < 20; ++i)
        continuations += "+:" + std::string(60000, '-') + "\n";
    const AbcResult r = ReadAbcText(TuneOf("CDEF|\nw:do re\n" + continuations));
    ASSERT_EQ(r.status, ImportStatus::Ok);
    EXPECT_EQ(r.melody.skipped, 20 - int((kAbcMaxLyricBlockBytes - 5) / 60001));
    EXPECT_EQ(r.melody.notes[0].lyric, "do");
    EXPECT_EQ(r.melody.notes[1].lyric, "re");
    EXPECT_EQ(r.melody.notes[2].lyric, "");

    const AbcResult longWord = ReadAbcText(TuneOf("C|\nw:" + std::string(50000, 'o') + "\n"));
    ASSERT_EQ(longWord.melody.notes[0].lyric.size(), kMaxMelodyTextBytes);
    EXPECT_EQ(longWord.melody.notes[0].lyric, std::string(kMaxMelodyTextBytes, 'o'));
}

TEST(AbcHostileTest, FileHeaderIsReadOnceAndEachTuneStartsFromIt)
{
    // The first tune has no notes and changes the unit and meter; the tune tried after it
    // starts again from the file header alone.
    std::string file = "M:3/4\nL:1/4\n%%propagate-accidentals not\n";
    for (int i = 0; i < 1000; ++i)
        file += "C:header line " + std::to_string(i) + "\n";
    file += "\nX:1\nL:1/16\nM:6/8\nK:D\n\nX:2\nK:C\n^C C|\n";
    const AbcResult r = ReadAbcText(file);
    ASSERT_EQ(r.status, ImportStatus::Ok);
    EXPECT_EQ(NotesText(r.melody), "61:2 60:2");
    ASSERT_EQ(r.melody.meters.size(), 1u);
    EXPECT_EQ(r.melody.meters[0].numerator, 3);
    EXPECT_FALSE(r.melody.keyFifths);
}
