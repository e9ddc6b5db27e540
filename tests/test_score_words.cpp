#include "tests/SongAsScore.h"
#include "common/Cp932.h"
#include "render/ScoreGeometry.h"
#include "render/ScoreLayout.h"
#include "render/ScoreWords.h"
#include "song/CSongData.h"
#include "song/CSongFileWriter.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

// Every character 6 x 8 picture pixels, so that tests know where a text can go.
std::pair<double, double> FixedExtent(TextKind, const std::string& utf8)
{
    size_t characters = 0;
    for (unsigned char c : utf8)
        characters += (c & 0xC0) != 0x80;
    return {6.0 * characters, 8.0};
}

ScoreFrame Harp(int strings, int height, int totalLength)
{
    ScoreFrame f;
    f.stringCount = strings;
    f.stringSpacing = 32;
    f.width = (strings + 1) * 32;
    f.height = height;
    f.totalLength = totalLength;
    for (int i = 0; i < strings; ++i)
        f.stringPitches[static_cast<size_t>(i)] = 60 + i;
    return f;
}

struct Laid {
    ScoreLayout layout;
    ScoreGeometry score;
};

// Notes one after another, `step` sixths of a beat apart, each with its syllable.
Laid Melody(const std::vector<int>& pitches, const std::vector<std::string>& words, int step, int height)
{
    Laid l;
    l.layout.totalLength = Sixths(step * static_cast<int>(pitches.size()) + step);
    for (size_t i = 0; i < pitches.size(); ++i) {
        l.layout.notes.push_back({Sixths(step * int(i)), pitches[i], Sixths(step)});
        l.layout.words.push_back(words[i]);
    }
    l.score = ComputeScoreGeometry(Harp(12, height, l.layout.totalLength), l.layout.notes);
    return l;
}

bool CoversACircle(const TextBox& box, const ScoreGeometry& score)
{
    for (const PlacedNote& n : score.notes)
        if (box.Overlaps({double(n.left), double(n.top), double(n.right), double(n.bottom)}))
            return true;
    return false;
}

} // namespace

TEST(ScoreWords, SyllablesStandBesideTheirCirclesAwayFromTheNextLine)
{
    const Laid l = Melody({62, 64, 62, 60}, {"さ", "く", "ら", "la"}, 12, 400);
    const ScoreWords w = PlaceScoreWords(l.score, l.layout, {}, FixedExtent);
    ASSERT_EQ(w.words.size(), 4u);
    EXPECT_EQ(w.wordsLeftOut, 0);
    for (size_t i = 0; i < 4; ++i) {
        const PlacedNote& n = l.score.notes[i];
        const TextBox& b = w.words[i].box;
        EXPECT_FALSE(CoversACircle(b, l.score)) << i;
        EXPECT_NEAR((b.top + b.bottom) / 2, n.y, 16) << "beside its own circle";
    }
    EXPECT_EQ(w.words[0].text, "さ");
    EXPECT_EQ(w.words[3].text, "la");
    // The melody goes up from the first note: its word stands on the lower side.
    EXPECT_LT(w.words[0].box.right, l.score.notes[0].x);
    // ... and down from the third: its word stands on the higher side.
    EXPECT_GT(w.words[2].box.left, l.score.notes[2].x);
}

TEST(ScoreWords, CrowdedSyllablesNeverOverlapAndWhatFindsNoPlaceIsCounted)
{
    // Sixteenths a few pixels apart on neighbouring strings, each with a long word.
    std::vector<int> pitches;
    std::vector<std::string> words;
    for (int i = 0; i < 64; ++i) {
        pitches.push_back(60 + i % 3);
        words.push_back("かたかな");
    }
    const Laid l = Melody(pitches, words, 1, 300);
    const ScoreWords w = PlaceScoreWords(l.score, l.layout, {}, FixedExtent);
    EXPECT_GT(w.wordsLeftOut, 0);
    EXPECT_EQ(w.words.size() + static_cast<size_t>(w.wordsLeftOut), 64u);
    for (size_t i = 0; i < w.words.size(); ++i) {
        EXPECT_FALSE(CoversACircle(w.words[i].box, l.score)) << i;
        for (size_t j = i + 1; j < w.words.size(); ++j)
            EXPECT_FALSE(w.words[i].box.Overlaps(w.words[j].box)) << i << " and " << j;
    }
}

TEST(ScoreWords, ChordsAndMeasuresTakeTheMarginsAndTheSwitchesLeaveThemOut)
{
    Laid l = Melody({60, 71, 60, 71}, {"", "", "", ""}, 24, 400);
    l.layout.chords = {{0, "C"}, {Sixths(48), "G7"}};
    l.layout.measures = {{0, 1}, {Sixths(48), 2}};
    WordChoices all;
    all.chords = true;
    const ScoreWords w = PlaceScoreWords(l.score, l.layout, all, FixedExtent);
    ASSERT_EQ(w.chords.size(), 2u);
    EXPECT_EQ(w.chords[1].text, "G7");
    EXPECT_GT(w.chords[0].box.left, l.score.stringX.back()) << "after the highest string";
    EXPECT_NEAR((w.chords[1].box.top + w.chords[1].box.bottom) / 2, TimeToY(400, l.layout.totalLength, Sixths(48)), 0.5);
    ASSERT_EQ(w.measures.size(), 2u);
    EXPECT_EQ(w.measures[1].number, 2);
    EXPECT_EQ(w.measures[1].y, TimeToY(400, l.layout.totalLength, Sixths(48)));
    EXPECT_LT(w.measures[1].numberBox.right, l.score.stringX.front()) << "before the lowest string";

    WordChoices none{false, false, false};
    const ScoreWords nothing = PlaceScoreWords(l.score, l.layout, none, FixedExtent);
    EXPECT_TRUE(nothing.words.empty() && nothing.chords.empty() && nothing.measures.empty());
}

TEST(ScoreWords, TheLayoutCarriesSyllablesChordChangesAndMeasureStarts)
{
    SandboxDir sandbox;
    RecordingSink sink;
    CSongFileWriter writer(4, 4);
    writer.AddNote(0, 67, 1, Utf8ToCp932("さ"));
    writer.AddNote(1, 67, 1, Utf8ToCp932("く"));
    writer.AddNote(4, 69, 2, Utf8ToCp932("ら"));
    writer.SetChord(0, "C");
    writer.SetChord(1, "C");       // no change, no second name
    writer.SetChord(4, "Am", "F"); // a change on the beat and on its second half
    const std::string path = sandbox.Path("song.mwd");
    writer.Write(path);
    int32_t m = 0, b = 0, k = 0;
    const CSongData song(path.c_str(), m, b, k);

    const ScoreLayout layout = LayOutMeasures(song, 1, 2);
    ASSERT_EQ(layout.words.size(), layout.notes.size());
    EXPECT_EQ(layout.words[2], "ら") << "a song file's syllables read as UTF-8";
    ASSERT_EQ(layout.chords.size(), 3u);
    EXPECT_EQ(layout.chords[1].name, "Am");
    EXPECT_EQ(layout.chords[1].time, 4 * kUnitsPerBeat);
    EXPECT_EQ(layout.chords[2].time, 4 * kUnitsPerBeat + kUnitsPerCell);
    ASSERT_EQ(layout.measures.size(), 2u);
    EXPECT_EQ(layout.measures[1].time, 4 * kUnitsPerBeat);
    EXPECT_EQ(layout.measures[1].number, 2);
    EXPECT_EQ(LayOutMeasures(song, 2, 2).measures.front().time, 0);
}

// A word on a synch line would read as one of the plucks it joins: it takes the other side, as
// it would for a circle.
TEST(ScoreWords, WordsKeepOffTheSynchLinesBetweenVoices)
{
    // The melody climbs, so each word would stand on the lower side, where the second voice's
    // notes lie a few strings under it at the same times.
    Laid l = Melody({66, 68, 70, 71}, {"ah", "ah", "ah", "ah"}, 12, 400);
    l.layout.voices.push_back({VoiceRole::kSecond, "alto", {}});
    for (const ScoreNote& n : l.layout.notes)
        l.layout.voices.back().notes.push_back({n.time, n.pitch - 5, n.length});
    AddVoices(l.score, Harp(12, 400, l.layout.totalLength), l.layout);
    ASSERT_EQ(l.score.synchs.size(), 4u);
    const ScoreWords w = PlaceScoreWords(l.score, l.layout, {}, FixedExtent);
    ASSERT_FALSE(w.words.empty());
    for (const PlacedText& word : w.words)
        for (const SynchLine& s : l.score.synchs) {
            const PlacedNote &a = l.score.notes[s.from], &b = l.score.notes[s.to];
            const TextBox line{double(std::min(a.x, b.x)), a.y - 0.5, double(std::max(a.x, b.x)), a.y + 0.5};
            EXPECT_FALSE(word.box.Overlaps(line)) << word.box.left << "," << word.box.top;
        }
}
