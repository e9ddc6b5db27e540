#include "import/abc/AbcTokenizer.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::vector<AbcToken> Tokens(std::string_view line)
{
    std::vector<AbcToken> tokens;
    AbcTokenizer tokenizer(line);
    AbcToken token;
    while (tokenizer.Next(token))
        tokens.push_back(token);
    return tokens;
}

// One letter per token kind, to compare whole lines at a glance.
std::string Kinds(std::string_view line)
{
    static const char kLetters[] = "NrRCcTbtBEsIgdoU";
    std::string kinds;
    for (const AbcToken& t : Tokens(line))
        kinds += kLetters[static_cast<int>(t.kind)];
    return kinds;
}

} // namespace

TEST(AbcTokenizerTest, NotesCarryAccidentalOctaveAndLength)
{
    const auto t = Tokens("^^c'' _B,3/2 =e/ A// __G,,/4 ^/f D0");
    ASSERT_EQ(t.size(), 7u);
    EXPECT_EQ(t[0].accidental, 2);
    EXPECT_EQ(t[0].letter, 'c');
    EXPECT_EQ(t[0].octaveMarks, 2);
    EXPECT_EQ(t[1].accidental, -1);
    EXPECT_EQ(t[1].octaveMarks, -1);
    EXPECT_EQ(t[1].lengthNum, 3);
    EXPECT_EQ(t[1].lengthDen, 2);
    EXPECT_EQ(t[2].accidental, 0);
    EXPECT_EQ(t[2].lengthDen, 2);
    EXPECT_EQ(t[3].accidental, AbcToken::kNoAccidental);
    EXPECT_EQ(t[3].lengthDen, 4);
    EXPECT_EQ(t[4].accidental, -2);
    EXPECT_EQ(t[4].octaveMarks, -2);
    EXPECT_EQ(t[4].lengthDen, 4);
    EXPECT_EQ(t[5].accidental, 1); // a quarter-tone sharp read as a sharp
    EXPECT_EQ(Tokens("D0")[0].lengthNum, 0);
}

TEST(AbcTokenizerTest, BarLinesRepeatsAndEndings)
{
    const auto t = Tokens("|: A :| B :: c |1 d :|2 e [|] f || g |] [1,3 a .| b :|]");
    std::vector<const AbcToken*> bars;
    for (const AbcToken& token : t)
        if (token.kind == AbcTokenKind::Bar || token.kind == AbcTokenKind::Ending)
            bars.push_back(&token);
    ASSERT_EQ(bars.size(), 11u);
    EXPECT_EQ(bars[0]->repeatStarts, 1);
    EXPECT_EQ(bars[0]->repeatEnds, 0);
    EXPECT_EQ(bars[1]->repeatEnds, 1);
    EXPECT_EQ(bars[2]->repeatEnds, 1);  // ::
    EXPECT_EQ(bars[2]->repeatStarts, 1);
    EXPECT_EQ(bars[3]->endings, 1u << 1); // |1
    EXPECT_EQ(bars[4]->repeatEnds, 1);    // :|2
    EXPECT_EQ(bars[4]->endings, 1u << 2);
    EXPECT_TRUE(bars[5]->thick);          // [|]
    EXPECT_TRUE(bars[6]->thick);          // ||
    EXPECT_TRUE(bars[7]->thick);          // |]
    EXPECT_EQ(bars[8]->kind, AbcTokenKind::Ending);
    EXPECT_EQ(bars[8]->endings, (1u << 1) | (1u << 3));
    EXPECT_TRUE(bars[9]->dotted);
    EXPECT_TRUE(bars[10]->thick);
    EXPECT_EQ(bars[10]->repeatEnds, 1);
    EXPECT_EQ(Tokens("[1-3")[0].endings, (1u << 1) | (1u << 2) | (1u << 3));
    EXPECT_EQ(Tokens(":|][2")[1].endings, 1u << 2);
}

TEST(AbcTokenizerTest, BracketsTellChordsFieldsAndEndingsApart)
{
    EXPECT_EQ(Kinds("[CEG]2 [K:G] [1 [|"), "CNNNcIEB");
    const auto t = Tokens("[L:1/16] [CE]3/2");
    EXPECT_EQ(t[0].fieldLetter, 'L');
    EXPECT_EQ(t[0].text, "1/16");
    EXPECT_EQ(t[4].kind, AbcTokenKind::ChordEnd);
    EXPECT_EQ(t[4].lengthNum, 3);
    EXPECT_EQ(t[4].lengthDen, 2);
}

TEST(AbcTokenizerTest, TupletsTiesBrokenRhythmAndRests)
{
    const auto t = Tokens("(3abc (3:2:4 (5::2 A-A A>>B C<D z2 x/ Z4 X");
    EXPECT_EQ(t[0].p, 3);
    EXPECT_EQ(t[0].q, 0);
    EXPECT_EQ(t[4].q, 2);
    EXPECT_EQ(t[4].r, 4);
    EXPECT_EQ(t[5].p, 5);
    EXPECT_EQ(t[5].q, 0);
    EXPECT_EQ(t[5].r, 2);
    EXPECT_EQ(t[7].kind, AbcTokenKind::Tie);
    EXPECT_EQ(t[10].count, 2);
    EXPECT_EQ(t[10].direction, '>');
    EXPECT_EQ(t[13].direction, '<');
    EXPECT_EQ(t[15].kind, AbcTokenKind::Rest);
    EXPECT_EQ(t[15].lengthNum, 2);
    EXPECT_TRUE(t[16].invisible);
    EXPECT_EQ(t[17].kind, AbcTokenKind::MeasureRest);
    EXPECT_EQ(t[17].lengthNum, 4);
    EXPECT_EQ(t[18].lengthNum, 1);
}

TEST(AbcTokenizerTest, WhatAMelodyIgnoresIsSkippedOrMarked)
{
    // slurs, beams, spacers, backquotes and line breaks make no token at all
    EXPECT_EQ(Kinds("(AB) y C`D $ E"), "NNNNN");
    EXPECT_EQ(Kinds("!trill!A +fermata+B .C ~D HE uF vG"), "dNdNdNdNdNdNdN");
    EXPECT_EQ(Kinds("{ga}A \"Am7\"B \"^text\"C"), "gNsNsN");
    EXPECT_EQ(Tokens("\"Am7\"B")[0].text, "Am7");
    EXPECT_EQ(Kinds("A & B"), "NoN");
    EXPECT_EQ(Kinds("A % B C"), "N");
    EXPECT_EQ(Kinds("A B \\  % more"), "NN");
    EXPECT_EQ(Kinds("A!B"), "NN"); // an old line break, not a decoration
    const auto marks = Tokens("!D.C.alfine!S +segno+O");
    ASSERT_EQ(marks.size(), 4u);
    EXPECT_EQ(marks[0].text, "D.C.alfine");
    EXPECT_EQ(marks[1].text, "S");
    EXPECT_EQ(marks[2].text, "segno");
    EXPECT_EQ(marks[3].text, "O");
}

TEST(AbcTokenizerTest, BrokenTextEndsInUnknownTokens)
{
    EXPECT_EQ(Kinds("A \"unclosed"), "NU");
    EXPECT_EQ(Kinds("A {grace"), "NU");
    EXPECT_EQ(Kinds("A [K:G"), "NU");
    EXPECT_EQ(Kinds("# ; 9 ^ \xE2\x99\xAF"), "UUUUU");
    EXPECT_EQ(Tokens("\xE2\x99\xAF")[0].text.size(), 3u);
}

TEST(AbcTokenizerTest, HugeNumbersSaturate)
{
    const auto t = Tokens("A99999999999999/99999999999999 (99999999999:9999999999:99999999999");
    EXPECT_EQ(t[0].lengthNum, 1000000);
    EXPECT_EQ(t[0].lengthDen, 1000000);
    EXPECT_EQ(t[1].p, 1000000);
    EXPECT_EQ(t[1].r, 1000000);
    EXPECT_EQ(Tokens("A////////////////////////////////////////")[0].lengthDen, 1000000);
    EXPECT_EQ(Tokens("|99999999999")[0].endings, 0u);
}
