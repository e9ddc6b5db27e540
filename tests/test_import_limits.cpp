// Hostile scores read by the renderer as a user would run it, under /usr/bin/time: whatever a
// file claims, an import stays within 256 MiB and 2 s of processor time. Each file is built
// here; none is stored.

#include "tests/support/MusicXmlText.h"
#include "tests/support/TestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

constexpr long kMaxResidentKiB = 256 * 1024;
constexpr double kMaxSeconds = 2.0;

struct Usage {
    int status = -1;
    long residentKiB = 0;
    double cpuSeconds = 0, elapsedSeconds = 0;
};

std::string Repeated(const std::string& piece, size_t bytes)
{
    std::string out;
    out.reserve(bytes + piece.size());
    while (out.size() + piece.size() <= bytes)
        out += piece;
    return out;
}

std::string ScoreOf(const std::string& measures)
{
    return "<?xml version=\"1.0\"?><score-partwise><part-list><score-part id=\"P1\"/></part-list>"
           "<part id=\"P1\">" + measures + "</part></score-partwise>";
}

std::string RepeatedMeasure(const std::string& content)
{
    return ScoreOf("<measure number=\"1\">" + mx::Attributes(1) + content + mx::Note("C4", 4) +
                   "<barline location=\"right\"><repeat direction=\"backward\" times=\"1000\"/></barline></measure>");
}

class ImportLimitsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::system("test -x /usr/bin/time") != 0)
            GTEST_FAIL() << "/usr/bin/time is missing (Debian package time)";
    }

    Usage Render(const std::string& name, const std::string& content)
    {
        const std::string file = sandbox.Path(name), times = sandbox.Path("time.txt");
        {
            std::ofstream(file, std::ios::binary) << content;
        }
        const std::string command = "env QT_QPA_PLATFORM=offscreen /usr/bin/time -o '" + times +
                                    "' -f '%x %M %U %S %e' '" DP_RENDER_PROGRAM "' --info '" + file +
                                    "' >/dev/null 2>&1";
        std::system(command.c_str());
        Usage u;
        double user = 0, system = 0;
        std::ifstream in(times);
        std::string line, last;
        int signal = 0;
        while (std::getline(in, line)) {
            // A killed program gets time's own note before the line of figures.
            if (const size_t at = line.find("terminated by signal "); at != std::string::npos)
                signal = std::atoi(line.c_str() + at + 21);
            last = line;
        }
        std::istringstream(last) >> u.status >> u.residentKiB >> user >> system >> u.elapsedSeconds;
        if (signal != 0)
            u.status = 128 + signal;
        u.cpuSeconds = user + system;
        std::remove(file.c_str());
        return u;
    }

    void ExpectWithinLimits(const std::string& name, const std::string& content, int status)
    {
        const Usage u = Render(name, content);
        EXPECT_EQ(u.status, status) << name;
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
        return; // a sanitizer finds faults on the way; the limits hold for the program as shipped
#endif
        EXPECT_GT(u.residentKiB, 0) << name;
        EXPECT_LT(u.residentKiB, kMaxResidentKiB) << name;
        // Processor time, not the clock: other test programs share the machine.
        EXPECT_LT(u.cpuSeconds, kMaxSeconds) << name << ", " << u.elapsedSeconds << " s elapsed";
        std::printf("%s: exit %d, %ld KiB, %.2f s processor, %.2f s elapsed\n", name.c_str(), u.status,
                    u.residentKiB, u.cpuSeconds, u.elapsedSeconds);
    }

    SandboxDir sandbox;
};

} // namespace

TEST_F(ImportLimitsTest, EmptyMeasuresPlain)
{
    ExpectWithinLimits("empty.musicxml", ScoreOf(Repeated("<measure/>", 10'000'000)), 1);
}

TEST_F(ImportLimitsTest, EmptyMeasuresCompressed)
{
    // Unpacks to just under the 64 MiB an archive entry may hold.
    const std::vector<uint8_t> mxl = mx::Mxl(ScoreOf(Repeated("<measure/>", (64 << 20) - 4096)));
    ExpectWithinLimits("empty.mxl", std::string(mxl.begin(), mxl.end()), 1);
}

TEST_F(ImportLimitsTest, AsMuchMarkupAsADocumentMayHold)
{
    // As much markup as a document may hold, in the largest file that is read.
    const std::string measures = Repeated("<measure/>", 6'500'000);
    const std::string comment = "<!--" + std::string((64 << 20) - measures.size() - 4096, 'x') + "-->";
    ExpectWithinLimits("largest.musicxml", ScoreOf(comment + measures), 1);
}

TEST_F(ImportLimitsTest, RepeatedChordSymbolsAndLyrics)
{
    const std::string harmony = "<harmony><root><root-step>C</root-step></root><kind>major</kind></harmony>";
    ExpectWithinLimits("harmonies.musicxml", RepeatedMeasure(Repeated(harmony, 20000 * harmony.size())), 0);
    const std::string lyric = "<lyric><text>" + Repeated("la", 1 << 20) + "</text></lyric>";
    ExpectWithinLimits("lyric.musicxml", RepeatedMeasure(mx::Note("D4", 4, lyric)), 0);
}

TEST_F(ImportLimitsTest, AnEndlessMeterSum)
{
    const std::string beats = "<attributes><time><beats>" + Repeated("1000+", 10'000'000) +
                              "1</beats><beat-type>4</beat-type></time></attributes>";
    ExpectWithinLimits("beats.musicxml", ScoreOf("<measure>" + mx::Attributes(1) + beats + mx::Note("C4", 4) + "</measure>"), 0);
}

TEST_F(ImportLimitsTest, AbcLyricContinuationsAndLongHeaders)
{
    ExpectWithinLimits("lyrics.abc", "X:1\nK:C\nCDEF|\nw:a\n" + Repeated("+:" + Repeated("a-", 1000) + "\n", 60'000'000), 0);
    for (const int tunes : {1000, 10000}) {
        std::string file = "%abc-2.1\n" + Repeated("C:header line\n", 100000 * 14) + "\n";
        for (int i = 1; i < tunes; ++i)
            file += "X:" + std::to_string(i) + "\nT:empty\nK:C\n\n";
        file += "X:" + std::to_string(tunes) + "\nK:C\nCDEF|\n";
        ExpectWithinLimits("header" + std::to_string(tunes) + ".abc", file, 0);
    }
}

TEST_F(ImportLimitsTest, JumpsToMarksThatAreMissing)
{
    // Every measure names a coda or segno the score lacks: the walk must not search for it at
    // each of the 65536 measures it plays.
    const std::string first = "<measure>" + mx::Attributes(1) + mx::Note("C4", 4);
    ExpectWithinLimits("tocoda.musicxml",
                       ScoreOf(first + "<sound dacapo=\"yes\" tocoda=\"x\"/></measure>" +
                               Repeated("<measure><sound tocoda=\"x\"/></measure>", 65535 * 38)),
                       0);
    ExpectWithinLimits("dalsegno.musicxml",
                       ScoreOf(first + "<sound dalsegno=\"x\"/></measure>" +
                               Repeated("<measure><sound dalsegno=\"x\"/></measure>", 65535 * 40)),
                       0);
}

TEST_F(ImportLimitsTest, ManyVoicesOfManyNotes)
{
    // A melody played a thousand times over twenty parts of two thousand chord notes each.
    const std::string chord = mx::Note("E4", 4) + Repeated(mx::ChordNote("G4", 4), 1999 * mx::ChordNote("G4", 4).size());
    std::string list, parts;
    for (int p = 2; p <= 21; ++p) {
        const std::string id = "P" + std::to_string(p);
        list += "<score-part id=\"" + id + "\"/>";
        parts += "<part id=\"" + id + "\"><measure number=\"1\">" + mx::Attributes(1) + chord + "</measure></part>";
    }
    const std::string repeated = RepeatedMeasure("");
    const size_t listAt = repeated.find("</part-list>"), partsAt = repeated.find("</score-partwise>");
    std::string score = repeated.substr(0, partsAt) + parts + "</score-partwise>";
    score.insert(listAt, list);
    ExpectWithinLimits("voices.musicxml", score, 0);
    // Sixteen ABC voices of long lines, each repeated.
    std::string abc = "X:1\nL:1/4\nK:C\n";
    for (int line = 0; line < 400; ++line)
        abc += "V:" + std::to_string(1 + line % 20) + "\n|:" + Repeated("C D E F|", 30000) + ":|\n";
    ExpectWithinLimits("voices.abc", abc, 0);
}
