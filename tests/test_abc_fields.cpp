#include "import/abc/AbcFields.h"
#include "import/abc/AbcText.h"

#include <gtest/gtest.h>
#include <string>

TEST(AbcFieldsTest, Meters)
{
    struct Case {
        const char* text;
        bool readable, free;
        int numerator, denominator;
    };
    const Case cases[] = {
        {"6/8", true, false, 6, 8},     {"C", true, false, 4, 4},     {"C|", true, false, 2, 2},
        {"none", true, true, 4, 4},     {"", true, true, 4, 4},       {"(2+3)/8", true, false, 5, 8},
        {"2+2+3/8", true, false, 7, 8}, {"3/4 ", true, false, 3, 4},  {"0/0", false, true, 4, 4},
        {"4/0", false, true, 4, 4},     {"4/3", false, true, 4, 4},   {"65/4", false, true, 4, 4},
        {"4/128", false, true, 4, 4},   {"x", false, true, 4, 4},     {"99999999999/4", false, true, 4, 4},
    };
    for (const Case& c : cases) {
        AbcMeter meter;
        EXPECT_EQ(ParseAbcMeter(c.text, meter), c.readable) << c.text;
        EXPECT_EQ(meter.free, c.free) << c.text;
        EXPECT_EQ(meter.numerator, c.numerator) << c.text;
        EXPECT_EQ(meter.denominator, c.denominator) << c.text;
    }
}

TEST(AbcFieldsTest, UnitLengths)
{
    AbcFraction unit;
    EXPECT_TRUE(ParseAbcUnitLength("1/16", unit));
    EXPECT_EQ(unit.den, 16);
    EXPECT_TRUE(ParseAbcUnitLength("1", unit));
    EXPECT_EQ(unit.num, 1);
    EXPECT_EQ(unit.den, 1);
    for (const char* bad : {"1/0", "0/8", "", "a/b", "1/99999", "-1/8"})
        EXPECT_FALSE(ParseAbcUnitLength(bad, unit)) << bad;
    EXPECT_EQ(unit.den, 1); // left as it was
}

TEST(AbcFieldsTest, TempoInEveryForm)
{
    const AbcFraction eighth{1, 8};
    EXPECT_DOUBLE_EQ(ParseAbcTempo("1/4=120", eighth), 120);
    EXPECT_DOUBLE_EQ(ParseAbcTempo("120", eighth), 60); // counts unit lengths
    EXPECT_DOUBLE_EQ(ParseAbcTempo("\"Allegro\" 1/4=120", eighth), 120);
    EXPECT_DOUBLE_EQ(ParseAbcTempo("1/4=120 \"Allegro\"", eighth), 120);
    EXPECT_DOUBLE_EQ(ParseAbcTempo("\"Allegro\"", eighth), 0);
    EXPECT_DOUBLE_EQ(ParseAbcTempo("3/8=40", eighth), 60);
    EXPECT_DOUBLE_EQ(ParseAbcTempo("1/4 3/8 1/4 3/8=40", eighth), 200);
    EXPECT_DOUBLE_EQ(ParseAbcTempo("C=120", eighth), 60);
    EXPECT_DOUBLE_EQ(ParseAbcTempo("C2=60", eighth), 60);
    for (const char* bad : {"1/4=", "1/0=120", "x=1", "1/4=0", "1/4=9999999", "fast"})
        EXPECT_LT(ParseAbcTempo(bad, eighth), 0) << bad;
}

TEST(AbcFieldsTest, KeysModesAndAccidentals)
{
    struct Case {
        const char* text;
        int fifths;
        bool minor;
        const char* signature; // C D E F G A B: # sharp, b flat, . natural
    };
    const Case cases[] = {
        {"C", 0, false, "......."},       {"G", 1, false, "...#..."},      {"Am", 0, true, "......."},
        {"A minor", 0, true, "......."},  {"F#m", 3, true, "#..##.."},      {"Bb", -2, false, "..b...b"},
        {"Ebmaj", -3, false, "..b..bb"},  {"D Dorian", 0, true, "......."}, {"Dmix", 1, false, "...#..."},
        {"E phr", 0, true, "......."},    {"F lyd", 0, false, "......."},   {"B loc", 0, true, "......."},
        {"AMix", 2, false, "#..#..."},    {"Gion", 1, false, "...#..."},    {"Aaeolian", 0, true, "......."},
        {"C#", 7, false, "#######"},      {"Cb", -7, false, "bbbbbbb"},     {"G#", -4, false, "###x###"},
        {"D exp ^f", 2, false, "...#..."}, {"D =c", 2, false, "...#..."},   {"D ^g", 2, false, "#..##.."},
        {"Hp", 2, false, "#..#..."},      {"HP", 0, false, "......."},      {"d", 2, false, "#..#..."},
        // Accidentals written together, as many collections do.
        {"C^f^c^a", 0, false, "#..#.#."}, {"D_b=c", 2, false, "...#..b"},  {"Am ^g^^f", 0, true, "...x#.."},
        {"^f^c", 0, false, "#..#..."},
    };
    for (const Case& c : cases) {
        AbcKey key;
        AbcClef clef;
        EXPECT_TRUE(ParseAbcKey(c.text, key, clef)) << c.text;
        EXPECT_TRUE(key.named) << c.text;
        EXPECT_EQ(key.fifths, c.fifths) << c.text;
        EXPECT_EQ(key.minor, c.minor) << c.text;
        std::string signature;
        for (const int a : key.accidentals)
            signature += a > 1 ? 'x' : a > 0 ? '#' : a < 0 ? 'b' : '.';
        EXPECT_EQ(signature, c.signature) << c.text;
    }
}

TEST(AbcFieldsTest, KeyNoneClefsAndOctaves)
{
    AbcKey key;
    AbcClef clef;
    EXPECT_TRUE(ParseAbcKey("none", key, clef));
    EXPECT_TRUE(key.none);
    EXPECT_TRUE(ParseAbcKey("", key, clef));
    EXPECT_FALSE(key.named);
    EXPECT_TRUE(ParseAbcKey("G clef=bass octave=-1", key, clef));
    EXPECT_EQ(key.fifths, 1);
    EXPECT_EQ(clef.Shift(), -12);
    clef = AbcClef{};
    EXPECT_TRUE(ParseAbcKey("treble-8", key, clef));
    EXPECT_FALSE(key.named);
    EXPECT_EQ(clef.Shift(), -12);
    EXPECT_FALSE(ParseAbcKey("Zork", key, clef));
    EXPECT_FALSE(ParseAbcKey("Gzork", key, clef));

    // A later field keeps what it does not name.
    AbcClef later;
    EXPECT_EQ(ParseAbcVoice("T1 clef=treble name=\"Tenor I\" octave=1", later), "T1");
    clef.Update(later);
    EXPECT_EQ(clef.Shift(), 12);
    AbcClef octaveOnly;
    ParseAbcVoice("2 octave=-2", octaveOnly);
    clef.Update(octaveOnly);
    EXPECT_EQ(clef.Shift(), -24);
    AbcClef absurd;
    ParseAbcVoice("1 octave=99", absurd);
    EXPECT_FALSE(absurd.octaveGiven);
}

TEST(AbcTextTest, Utf8MnemonicsAndLatin1)
{
    EXPECT_EQ(AbcTextToUtf8("Caf\\'e \\\"uber \\ss \\aa \\u00e9 \\%"), "Café über ß å é %");
    EXPECT_EQ(AbcTextToUtf8("Caf\xC3\xA9"), "Café");
    EXPECT_EQ(AbcTextToUtf8("Caf\xE9 \xFF"), "Café ÿ"); // Latin-1 bytes
    EXPECT_EQ(AbcTextToUtf8("\xE3\x81\x82\xE3\x81"), "あã\xC2\x81"); // a cut sequence
    EXPECT_EQ(AbcTextToUtf8("\\u12"), "\\u12");
    EXPECT_EQ(AbcTextToUtf8("\\uD800"), "\xEF\xBF\xBD");
    EXPECT_EQ(CutUtf8("aあ", 3), "a");
    EXPECT_EQ(AbcStripComment("  Title \\% off % remark"), "Title \\% off");
}
