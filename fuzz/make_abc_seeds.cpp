// Writes the ABC seed corpus: tunes made here that reach every construct the reader knows.

#include <fstream>
#include <string>

namespace {

const char* const kSeeds[] = {
    "X:1\nT:Scale\nM:4/4\nL:1/8\nQ:1/4=100\nK:C\nCDEF GABc|c'2 C,2 z4|]\n",

    "%abc-2.1\nM:6/8\nL:1/8\n\nX:1\nT:Jig\nT:Second title\nR:jig\nK:Dmix\n"
    "|:\"D\"A>BA \"G\"(3Bcd e|[1 \"A7\"f2e d3:|[2 f2g a3||\n"
    "w:la la-la la_ * la|la\n+:more words\n\nX:2\nT:Caf\xE9 \\'e\nM:C|\nK:Bb exp _b _e\n^c=c__d Z2|\n",

    "X:3\nT:Voices\nM:3/4\nL:1/4\nQ:\"Allegro\" 1/4=120\nV:1 clef=treble\nV:2 clef=bass octave=-1\nK:Am\n"
    "V:1\n[CEA]2 {g}A- | A [K:F] B !trill!c |\nw: one two three\nV:2\nA,,3 | z3 |\n"
    "[V:1] [M:2/4] [L:1/8] (5ABcde & fg | %comment\n",

    "X:4\nT:Repeats\nM:2/4\nK:G clef=treble-8\nD|:G>A B<c|1 d2 d2:|2 e2 e2|]\n"
    "|: G :: A :|3 B |[1,3 c :|[2 d | Z3 | x2 y |\n"
    "%%propagate-accidentals octave\nI:propagate-accidentals not\nT:Part\nP:B\n\\\n",

    // Short final notes, empty measures, repeated chord symbols, accidentals written together.
    "X:5\nT:Ends short\nM:4/4\nL:1/64\nK:C^f^c\n|:\"C\"\"C\"\"G7\"C48 D15 | | \"Am\"\"Am\" | [|] E63 F:|2 G63 A/2|]\n",
    "X:6\nT:Cut time\nM:2/2\nL:1/32\nK:D_b\nd32 | c32 | B32 | A32 | G32 | F32 | E32 | D31 E|]\n",

    // Jumps: a segno and To Coda inside chords and after bar lines, a Fine before a bar line.
    "X:7\nT:Jumps\nM:3/4\nL:1/4\nK:F\nF A c | S [!segno!Fc]2 B | A !fine!G F |!dacoda!| G2 A |"
    " c3 !D.S.alcoda!|] O [Fc]3 |]\nX:8\nK:C\n|: C D !D.C.alfine! :| E +fine+ F |!D.C.!|\n",
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    int n = 0;
    for (const char* seed : kSeeds) {
        std::ofstream out(std::string(argv[1]) + "/seed-" + std::to_string(++n) + ".abc", std::ios::binary);
        out << seed;
        if (!out)
            return 1;
    }
    return 0;
}
