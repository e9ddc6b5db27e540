// The score beneath everything holds each note at the time and length its file writes, chords
// whole, text in any script and tunes of any length; the song file's grid is read into it and
// written from it without loss.

#include "app/RenderCommand.h"
#include "audio/PlaySchedule.h"
#include "import/ScoreImport.h"
#include "render/FittedScore.h"
#include "document/SettingsScore.h"
#include "score/ScoreEvents.h"
#include "score/SongScore.h"
#include "settings/ConfigRecord.h"
#include "song/CSongData.h"
#include "song/CSongFileWriter.h"
#include "tests/support/MusicXmlText.h"
#include "tests/support/PdfProbe.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

ImportOutcome ImportText(ScoreFormat format, const std::string& text, const ImportRequest& request = {})
{
    return ImportScoreBytes(format, std::vector<uint8_t>(text.begin(), text.end()), "tune", request);
}

// "onset:length" of each event of a voice as fractions of a whole note from `origin`.
std::string EventsText(const ScoreVoice& voice, int64_t origin = 0)
{
    std::string text;
    for (const ScoreEvent& e : voice.events)
        text += (text.empty() ? "" : " ") + WholeNoteFraction(e.onset - origin) + ":" + WholeNoteFraction(e.length);
    return text;
}

// The first `count` tab-separated fields of each line.
std::vector<std::string> Fields(const std::string& lines, size_t count)
{
    std::vector<std::string> rows;
    std::istringstream in(lines);
    for (std::string line; std::getline(in, line);) {
        std::string row;
        std::istringstream cells(line);
        std::string cell;
        for (size_t i = 0; i < count && std::getline(cells, cell, '\t'); ++i)
            row += (i ? "\t" : "") + cell;
        rows.push_back(row);
    }
    return rows;
}

constexpr const char* kJig = "X:1\nT:Jig\nM:6/8\nL:1/8\nK:G\nD|GAB A/B/cA|G3 G3|]\n";

class ExactScoreTest : public ::testing::Test {
protected:
    int Run(const std::vector<std::string>& args)
    {
        out.str("");
        err.str("");
        return RunRenderCommand(args, out, err);
    }
    std::string Write(const std::string& name, const std::string& text)
    {
        const std::string path = sandbox.Path(name);
        WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
        return path;
    }
    FittedScore Fitted(Score score)
    {
        const ConfigRecord settings = DefaultConfigRecord();
        const ScoreFrame frame = ScoreFrameOf(settings);
        const int shift = FitScoreToFrame(score, frame, settings.lowestNote);
        return LayOutFittedScore(frame, score, FirstShownMeasures(score), shift);
    }

    SandboxDir sandbox;
    RecordingSink sink;
    std::ostringstream out, err;
};

TEST_F(ExactScoreTest, EveryNoteStandsAtItsWrittenTimeAndLength)
{
    struct Case {
        const char* name;
        const char* abc;
        const char* events;
    };
    const Case cases[] = {
        {"3/8 of sixteenths with a sixteenth triplet", "X:1\nM:3/8\nL:1/16\nK:C\n(3EDC D2 EF|G6|]\n",
         "0:1/24 1/24:1/24 1/12:1/24 1/8:1/8 1/4:1/16 5/16:1/16 3/8:3/8"},
        {"4/4 reel of sixteenths", "X:1\nM:4/4\nL:1/16\nK:D\nDEFG ABcd edcB AGFE|D16|]\n",
         "0:1/16 1/16:1/16 1/8:1/16 3/16:1/16 1/4:1/16 5/16:1/16 3/8:1/16 7/16:1/16 "
         "1/2:1/16 9/16:1/16 5/8:1/16 11/16:1/16 3/4:1/16 13/16:1/16 7/8:1/16 15/16:1/16 1:1"},
        {"32nds and a quintuplet", "X:1\nM:2/4\nL:1/16\nK:C\n(5:4:5CDEFG C/D/E/F/ G2|c8|]\n",
         "0:1/20 1/20:1/20 1/10:1/20 3/20:1/20 1/5:1/20 1/4:1/32 9/32:1/32 5/16:1/32 11/32:1/32 3/8:1/8 1/2:1/2"},
    };
    for (const Case& c : cases) {
        const ImportOutcome o = ImportText(ScoreFormat::Abc, c.abc);
        ASSERT_FALSE(o.failed) << c.name;
        ASSERT_FALSE(o.score.voices.empty()) << c.name;
        EXPECT_EQ(EventsText(o.score.voices[0]), c.events) << c.name;
        EXPECT_EQ(o.read.dropped, 0) << c.name;
    }

    // The jig's pickup stands before its first full measure, its cut at sixteenths.
    const ImportOutcome jig = ImportText(ScoreFormat::Abc, kJig);
    ASSERT_FALSE(jig.score.voices.empty());
    EXPECT_EQ(EventsText(jig.score.voices[0], jig.score.meter.MeasureTicks()),
              "-1/8:1/8 0:1/8 1/8:1/8 1/4:1/8 3/8:1/16 7/16:1/16 1/2:1/8 5/8:1/8 3/4:3/8 9/8:3/8");

    // --events lists the same, a pickup's onset negative, pitches as written.
    ASSERT_EQ(Run({"--events", "--measures", "all", Write("jig.abc", kJig)}), 0) << err.str();
    EXPECT_EQ(Fields(out.str(), 4),
              (std::vector<std::string>{"-1/8\t1/8\t62\tmelody", "0\t1/8\t67\tmelody", "1/8\t1/8\t69\tmelody",
                                        "1/4\t1/8\t71\tmelody", "3/8\t1/16\t69\tmelody", "7/16\t1/16\t71\tmelody",
                                        "1/2\t1/8\t72\tmelody", "5/8\t1/8\t69\tmelody", "3/4\t3/8\t67\tmelody",
                                        "9/8\t3/8\t67\tmelody"}))
        << out.str();
}

// A jig's eighths are one length however they stand: two sixths of its dotted beat on the
// sheet, and the same number of frames when played.
TEST_F(ExactScoreTest, AJigsEighthsAreEquallyLongDrawnAndPlayed)
{
    ASSERT_EQ(Run({"--notes", "--measures", "all", Write("jig.abc", kJig)}), 0) << err.str();
    std::vector<std::string> lengths;
    for (const std::string& row : Fields(out.str(), 3))
        lengths.push_back(row.substr(row.rfind('\t') + 1));
    EXPECT_EQ(lengths, (std::vector<std::string>{"2", "2", "2", "2", "1", "1", "2", "2", "6", "6"})) << out.str();

    const ImportOutcome jig = ImportText(ScoreFormat::Abc, kJig);
    const FittedScore fitted = Fitted(jig.score);
    const PlaySchedule schedule = MakePlaySchedule(fitted, 120, 100);
    ASSERT_EQ(schedule.notes.size(), 10u);
    const auto& n = schedule.notes;
    const int64_t eighth = n[1].start - n[0].start;
    EXPECT_GT(eighth, 0);
    for (size_t i : {0u, 1u, 2u, 6u}) {
        EXPECT_NEAR(n[i + 1].start - n[i].start, eighth, 1) << i;
        EXPECT_LE(n[i].end - n[i].start, eighth) << i;
        EXPECT_NEAR(n[i].end - n[i].start, n[0].end - n[0].start, 1) << i;
    }
    EXPECT_NEAR(n[4].start - n[3].start, eighth, 1);
    EXPECT_NEAR(n[5].start - n[4].start, (eighth + 1) / 2, 1) << "a sixteenth is half an eighth";
    EXPECT_NEAR(n[6].start - n[5].start, (eighth + 1) / 2, 1);
    EXPECT_NEAR(n[9].start - n[8].start, 3 * eighth, 1);
}

// A voice of chords keeps each chord's every pitch, and each pitch is a note at the chord's time.
TEST_F(ExactScoreTest, ChordsOfASecondVoiceKeepEveryPitch)
{
    ImportRequest request;
    request.voices = VoiceChoice{};
    (*request.voices)[VoiceRole::kMelody] = 1;
    (*request.voices)[VoiceRole::kSecond] = 2;

    const std::string abc = "X:1\nT:Chords\nM:4/4\nL:1/4\nK:C\nV:1\nGABc|defg|]\nV:2\n"
                            "[CEG][CEG][CEG][CEG]|[CEG][CEG][CEG][CEG]|]\n";
    const std::string right = mx::Measure(1, mx::Attributes(1) + mx::Note("C4", 1) + mx::ChordNote("E4", 1) +
                                                 mx::ChordNote("G4", 1) + mx::Note("D4", 1) + mx::ChordNote("F4", 1) +
                                                 mx::ChordNote("A4", 1) + mx::Note("C4", 2) + mx::ChordNote("E4", 2) +
                                                 mx::ChordNote("G4", 2));
    const std::string top = mx::Measure(1, mx::Attributes(1) + mx::Note("G4", 1) + mx::Note("A4", 1) + mx::Note("B4", 2));
    const std::string xml = mx::XmlOfParts({{"P1", "Flute"}, {"P2", "Piano"}},
                                           mx::Part("P1", {top}) + mx::Part("P2", {right}));
    struct Case {
        ScoreFormat format;
        std::string text;
        std::vector<int64_t> quarters; // each chord's onset
        size_t pitches;
    };
    const Case cases[] = {{ScoreFormat::Abc, abc, {0, 1, 2, 3, 4, 5, 6, 7}, 24},
                          {ScoreFormat::MusicXml, xml, {0, 1, 2}, 9}};
    for (const Case& c : cases) {
        const ImportOutcome o = ImportText(c.format, c.text, request);
        ASSERT_FALSE(o.failed);
        ASSERT_EQ(o.score.voices.size(), 2u);
        const ScoreVoice& chords = o.score.voices[1];
        EXPECT_EQ(chords.role, VoiceRole::kSecond);
        ASSERT_EQ(chords.events.size(), c.quarters.size());
        size_t pitches = 0;
        for (size_t i = 0; i < chords.events.size(); ++i) {
            EXPECT_EQ(chords.events[i].onset, c.quarters[i] * kTicksPerQuarter) << i;
            EXPECT_EQ(chords.events[i].pitches.size(), 3u) << i;
            pitches += chords.events[i].pitches.size();
        }
        EXPECT_EQ(pitches, c.pitches);
        EXPECT_EQ(o.read.dropped, 0);

        const FittedScore fitted = Fitted(o.score);
        ASSERT_EQ(fitted.layout.voices.size(), 1u);
        std::map<int32_t, int> atTime;
        for (const ScoreNote& note : fitted.layout.voices[0].notes)
            ++atTime[note.time];
        EXPECT_EQ(fitted.layout.voices[0].notes.size(), c.pitches);
        ASSERT_EQ(atTime.size(), c.quarters.size());
        size_t k = 0;
        for (auto [time, count] : atTime) {
            EXPECT_EQ(time, fitted.layout.pickupStart + c.quarters[k++] * kUnitsPerBeat);
            EXPECT_EQ(count, 3) << time;
        }
    }

    // The renderer draws the same as 第2声.
    ASSERT_EQ(Run({"--voices", "melody=1,2=2", "--events", Write("chords.abc", abc)}), 0) << err.str();
    size_t struck = 0;
    for (const std::string& row : Fields(out.str(), 4))
        if (row.size() > 2 && row.substr(row.size() - 2) == "\t2")
            struck += static_cast<size_t>(std::count(row.begin(), row.end(), ',')) + 1;
    EXPECT_EQ(struck, 24u) << out.str();
}

// Title, composer and words in any script reach the facts, the score and the printed sheet.
TEST_F(ExactScoreTest, TextInAnyScriptReachesFactsScoreAndSheet)
{
    const std::string title = "Ñoël Песня 歌";
    const std::string composer = "Dvořák Чайковский";
    const std::string abc = "X:1\nT:" + title + "\nC:" + composer + "\nM:4/4\nL:1/4\nK:C\nCDEF|GABc|]\n"
                            "w:ä ö ü ß é ñ Ой 歌 🎵\n";
    const ImportOutcome o = ImportText(ScoreFormat::Abc, abc);
    EXPECT_EQ(o.score.title, title);
    EXPECT_EQ(o.score.composer, composer);
    ASSERT_FALSE(o.score.voices.empty());
    std::vector<std::string> lyrics;
    for (const ScoreEvent& e : o.score.voices[0].events)
        lyrics.push_back(e.lyric);
    EXPECT_EQ(lyrics, (std::vector<std::string>{"ä", "ö", "ü", "ß", "é", "ñ", "Ой", "歌"}));
    EXPECT_EQ(o.score.voices[0].events.size(), 8u);

    const std::string song = Write("words.abc", abc), pdf = sandbox.Path("words.pdf");
    ASSERT_EQ(Run({"--harp", "25", "--paper", "A3", "--measures", "all", "--info", song, pdf}), 0) << err.str();
    EXPECT_NE(out.str().find("\ntitle=" + title + "\n"), std::string::npos) << out.str();
    const std::string text = WithoutSpaces(PdfText(pdf, 1));
    for (const std::string& word : {std::string("ÑoëlПесня歌"), std::string("作曲DvořákЧайковский"),
                                    std::string("Ой"), std::string("歌"), std::string("ß"), std::string("ñ")})
        EXPECT_NE(text.find(word), std::string::npos) << word << "\n" << text;
}

// The emoji, a syllable past the tune's notes, has no note to stand under.
TEST_F(ExactScoreTest, AnEmojiSyllableReachesTheScore)
{
    const std::string abc = "X:1\nT:🎵 Tune\nM:2/4\nL:1/4\nK:C\nCD|]\nw:🎵 ä\n";
    const ImportOutcome o = ImportText(ScoreFormat::Abc, abc);
    EXPECT_EQ(o.score.title, "🎵 Tune");
    ASSERT_FALSE(o.score.voices.empty());
    ASSERT_EQ(o.score.voices[0].events.size(), 2u);
    EXPECT_EQ(o.score.voices[0].events[0].lyric, "🎵");
    ASSERT_EQ(Run({"--info", Write("emoji.abc", abc)}), 0) << err.str();
    EXPECT_NE(out.str().find("\ntitle=🎵 Tune\n"), std::string::npos) << out.str();
}

// A tune far longer than the song file's grid loads whole; only the song file written from it
// loses what its 256 measures cannot hold, and says so.
TEST_F(ExactScoreTest, ATuneOf2000MeasuresLoadsWholeAndItsSongFileTellsItsLoss)
{
    std::string abc = "X:1\nT:Long\nM:4/4\nL:1/4\nK:C\n";
    for (int m = 0; m < 2000; ++m)
        abc += m % 2 ? "GFED|" : "CDEF|";
    abc += "]\n";
    const ImportOutcome o = ImportText(ScoreFormat::Abc, abc);
    EXPECT_EQ(o.score.measureCount, 2000);
    ASSERT_FALSE(o.score.voices.empty());
    ASSERT_EQ(o.score.voices[0].events.size(), 8000u);
    const ScoreEvent& last = o.score.voices[0].events.back();
    EXPECT_EQ(last.onset, (1999 * 4 + 3) * kTicksPerQuarter);
    EXPECT_EQ(last.pitches, std::vector<int>{62});

    const std::string mwd = sandbox.Path("long.mwd");
    ASSERT_EQ(Run({"--info", "--write-mwd", mwd, Write("long.abc", abc)}), 0) << err.str();
    const std::string info = out.str();
    const size_t at = info.find("\nmwd_dropped=");
    ASSERT_NE(at, std::string::npos) << info;
    EXPECT_GT(std::stoi(info.substr(at + 13)), 0) << info;
    EXPECT_EQ(info.rfind("measures=2000\n", 0), 0u) << info;
    const ImportOutcome written = LoadScoreFile(mwd);
    ASSERT_FALSE(written.failed);
    EXPECT_EQ(written.score.measureCount, 256);
}

// A song file's notes become the score at the times the grid sounds them, drawn on the grid's
// sixth places, and the song file written back is the one read.
TEST_F(ExactScoreTest, ASongFileBecomesTheScoreAndComesBackTheSame)
{
    CSongFileWriter w(1, 4);
    for (int q = 0; q < 4; ++q) // beat 1: four sixteenths, entry 1 of each cell among them
        w.AddNote(q, 60 + q, 1);
    w.AddNote(4, 65, 4);
    w.AddNote(8, 67, 1); // beat 3: a triplet, entries 0 and 2 of its first cell and 1 of its second
    w.SetEntry(4, 2, 69);
    w.AddNote(11, 71, 1);
    w.AddNote(12, 72, 4);
    const std::string path = sandbox.Path("grid.mwd");
    ASSERT_TRUE(w.Write(path));

    const ImportOutcome loaded = LoadScoreFile(path);
    ASSERT_FALSE(loaded.failed);
    ASSERT_TRUE(loaded.song);
    const Score score = ScoreOfSong(*loaded.song);
    ASSERT_FALSE(score.voices.empty());
    const std::vector<ScoreEvent>& events = score.voices[0].events;
    constexpr int64_t q = kTicksPerQuarter;
    const std::vector<int64_t> sounding = {0, q / 4, q / 2, 3 * q / 4, q, 2 * q, 2 * q + q / 3, 2 * q + 2 * q / 3, 3 * q};
    const std::vector<int64_t> sixths = {0, 1, 3, 4, 6, 12, 14, 16, 18};
    ASSERT_EQ(events.size(), sounding.size());
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].onset, sounding[i]) << i;
        EXPECT_EQ(events[i].DrawnOnset(), sixths[i] * kGridSixthTicks) << i;
    }
    EXPECT_EQ(loaded.score.voices.at(0).events, events) << "the loaded score is the song's";

    const FittedScore fitted = Fitted(score);
    ASSERT_EQ(fitted.layout.notes.size(), sixths.size());
    for (size_t i = 0; i < sixths.size(); ++i) {
        EXPECT_EQ(fitted.layout.notes[i].time, sixths[i] * kUnitsPerSixth) << i;
        EXPECT_EQ(fitted.layout.notes[i].sound, UnitsOfTicks(sounding[i], q)) << i;
    }

    const std::string copy = sandbox.Path("copy.mwd");
    ASSERT_EQ(Run({"--write-mwd", copy, path}), 0) << err.str();
    EXPECT_EQ(ReadFileBytes(copy), ReadFileBytes(path));
}

} // namespace
