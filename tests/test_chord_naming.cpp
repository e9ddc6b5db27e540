#include "song/ChordNaming.h"
#include "tests/support/TestSupport.h"

#include <algorithm>
#include <cstring>
#include <climits>
#include <gtest/gtest.h>

namespace {

struct ChordCase {
    const char* name;
    int semitones;
    const char* expected;
    bool reported;
};

std::string Transposed(const char* name, int n)
{
    char field[kChordNameSize] = {};
    std::memcpy(field, name, std::min(std::strlen(name), size_t(kChordNameSize - 1)));
    TransposeChordName(n, field);
    return std::string(field, strnlen(field, kChordNameSize));
}

} // namespace

class ChordTransposition : public ::testing::TestWithParam<ChordCase> {};

TEST_P(ChordTransposition, MovesTheRootAndKeepsTheSuffix)
{
    RecordingSink sink;
    const ChordCase& c = GetParam();
    EXPECT_EQ(Transposed(c.name, c.semitones), c.expected);
    EXPECT_EQ(sink.Take(), c.reported ? std::vector<std::string>{"SGDT00000000 楽曲情報でエラーがおきました。"}
                                      : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Examples, ChordTransposition,
                         ::testing::Values(ChordCase{"C", 1, "C#", false}, ChordCase{"C#m", -1, "Cm", false},
                                           ChordCase{"A7", 3, "C7", false}, ChordCase{"G#dim", 4, "Cdim", false},
                                           ChordCase{"Bb", 0, "A#", false}, ChordCase{"Db", 12, "C#", false},
                                           ChordCase{"Bbm7", 2, "Cm7", false}, ChordCase{"Eb", 0, "D#", false},
                                           ChordCase{"Skip", 5, "Skip", false}, ChordCase{"", 5, "", false},
                                           ChordCase{"----", 0, "B---", true}, ChordCase{"----", 3, "D---", true},
                                           ChordCase{"Cb", 0, "B", true}, ChordCase{"E#", 0, "B", true},
                                           ChordCase{"C", -13, "B", false}, ChordCase{"D", 14, "E", false}));

TEST(ChordNaming, GrowingNameKeepsRootAndWhatFitsNeverTheNeighbour)
{
    char pair[2][kChordNameSize] = {{'C', 'm', 'a', 'j', '7', 'b', '5', 0}, {'G', 0}};
    TransposeChordName(1, pair[0]);
    EXPECT_EQ(std::string(pair[0]), "C#maj7b");
    EXPECT_EQ(std::string(pair[1]), "G");
}

TEST(ChordNaming, RootsInSharpAndFlatSpelling)
{
    EXPECT_EQ(FindNoteName("Db"), 1);
    EXPECT_EQ(FindNoteName("Bb"), 10);
    EXPECT_EQ(FindNoteName("E"), 4);
    EXPECT_EQ(FindNoteName("F#"), 6);
    for (const char* unknown : {"Cb", "Fb", "E#", "B#", "H", ""})
        EXPECT_EQ(FindNoteName(unknown), -1) << unknown;
    EXPECT_EQ(ToFlatName("G#"), "Ab");
    EXPECT_EQ(ToFlatName("E"), "E");
}

TEST(ChordNaming, NoteNamesWithOctaveForAnyNumber)
{
    EXPECT_EQ(NoteNameWithOctave(60), "C4");
    EXPECT_EQ(NoteNameWithOctave(0), "C-1");
    EXPECT_EQ(NoteNameWithOctave(127), "G9");
    EXPECT_EQ(NoteNameWithOctave(-1), "B-2");
    EXPECT_EQ(NoteNameWithOctave(INT_MAX), "G178956969") << "2147483647 = 12 * 178956970 + 7";
    EXPECT_EQ(NoteNameWithOctave(INT_MIN), "E-178956972") << "the octave below, not a wrapped one";
}

TEST(KeyTable, SharpKeysComeFirstForSharedPitchClasses)
{
    auto first = [](KeyMode mode, int pc) {
        for (int i = 0; i < kKeyCount; ++i)
            if (kKeyTable[i].mode == mode && kKeyTable[i].pitchClass == pc)
                return std::string(kKeyTable[i].name);
        return std::string();
    };
    EXPECT_EQ(first(KeyMode::Major, 1), "C#");
    EXPECT_EQ(first(KeyMode::Major, 6), "F#");
    EXPECT_EQ(first(KeyMode::Major, 11), "B");
    EXPECT_EQ(first(KeyMode::Minor, 3), "D#m");
    EXPECT_EQ(first(KeyMode::Minor, 8), "G#m");
    EXPECT_EQ(first(KeyMode::Minor, 10), "A#m");
    EXPECT_EQ(std::string(kKeyTable[29].name), "Abm");
    EXPECT_EQ(kKeyTable[14].accidentals, -7);
}
