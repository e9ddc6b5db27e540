// Compound meters, tempi the song grid cannot hold and modal keys, read back from what the
// renderer writes: circles from the PDF's drawing, texts from pdftotext, the WAV's own length.

#include "app/RenderCommand.h"
#include "audio/SchedulePlayer.h"
#include "tests/support/PdfProbe.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

constexpr double kMm = 72 / 25.4; // points per millimetre

struct Rendered {
    std::string info, text;
    std::vector<double> noteY; // centres of the note circles, top to bottom, in points
};

// A tune written to the sandbox, rendered for the 25-string harp on A3 with its --info.
Rendered Render(SandboxDir& sandbox, const std::string& name, const std::string& tune,
                std::vector<std::string> options = {})
{
    const std::string song = sandbox.Path(name), pdf = sandbox.Path(name + ".pdf");
    WriteFileBytes(song, std::vector<uint8_t>(tune.begin(), tune.end()));
    options.insert(options.begin(), {"--harp", "25", "--paper", "A3", "--measure-numbers", "off", "--info"});
    options.insert(options.end(), {song, pdf});
    std::ostringstream out, err;
    EXPECT_EQ(RunRenderCommand(options, out, err), 0) << err.str();
    Rendered r;
    r.info = out.str();
    r.text = WithoutSpaces(PdfText(pdf, 1));
    // The circle kinds in the legend stand left of a caption with 拍; the notes are the rest.
    std::vector<PdfBox> captions;
    for (const PdfWord& w : PdfWords(pdf, 1))
        if (w.text.find("拍") != std::string::npos)
            captions.push_back({w.xMin, w.yMin, w.xMax, w.yMax});
    for (const PdfPath& path : PdfPaths(pdf, 1, sandbox.Path(name + "-paths")))
        for (size_t i = 0; i < path.subpaths.size(); ++i) {
            if (path.curves[i] < 4)
                continue;
            PdfBox box{1e9, 1e9, -1e9, -1e9};
            for (auto [x, y] : path.subpaths[i])
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x), std::max(box.bottom, y)};
            if (box.right - box.left < 1.5 * kMm)
                continue; // the dots of dotted notes
            const bool legend = std::any_of(captions.begin(), captions.end(), [&](const PdfBox& c) {
                return box.CentreY() > c.top && box.CentreY() < c.bottom && box.CentreX() < c.left;
            });
            if (!legend)
                r.noteY.push_back(box.CentreY());
        }
    std::sort(r.noteY.begin(), r.noteY.end());
    return r;
}

// The mean room of a measure of `perMeasure` notes: from the first note of the first measure
// to that of the last one.
double MeasureRoomMm(const Rendered& r, size_t perMeasure, size_t measures)
{
    if (r.noteY.size() < perMeasure * measures)
        return 0;
    return (r.noteY[perMeasure * (measures - 1)] - r.noteY[0]) / kMm / double(measures - 1);
}

std::string Repeated(const std::string& measure, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += measure;
    return out;
}

// Seconds of sound in a 16-bit WAV file, from its data chunk's size.
double WaveSeconds(const std::string& path)
{
    const std::vector<uint8_t> b = ReadFileBytes(path);
    if (b.size() < 44)
        return 0;
    const auto u32 = [&](size_t at) {
        return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
    };
    const uint32_t rate = u32(24), channels = b[22] | b[23] << 8;
    for (size_t at = 12; at + 8 <= b.size(); at += 8 + u32(at + 4))
        if (std::equal(b.begin() + long(at), b.begin() + long(at) + 4, "data"))
            return rate && channels ? u32(at + 4) / double(rate * channels * 2) : 0;
    return 0;
}

} // namespace

TEST(CompoundMeter, AJigIsLaidOutCountedAndNamedInDottedBeats)
{
    SandboxDir sandbox;
    RecordingSink sink;
    const Rendered jig =
        Render(sandbox, "jig.abc", "X:1\nT:Jig\nM:6/8\nL:1/8\nQ:3/8=120\nK:D\n" + Repeated("DEF GAB|", 8) + "]\n");
    const Rendered reel =
        Render(sandbox, "reel.abc", "X:1\nT:Reel\nM:4/4\nL:1/8\nQ:1/4=120\nK:D\n" + Repeated("DEFG A2B2|", 8) + "]\n");
    EXPECT_NE(jig.info.find("\nbeats=2\n"), std::string::npos) << jig.info;
    EXPECT_NE(jig.info.find("\ntempo=120\n"), std::string::npos) << "120 dotted quarters a minute";
    EXPECT_NE(jig.info.find("\nmeter=6/8\n"), std::string::npos);
    EXPECT_EQ(jig.info.find("stored_tempo="), std::string::npos) << "the grid holds 120";
    EXPECT_NE(jig.text.find("8分の6拍子（1小節2拍）"), std::string::npos) << jig.text;
    EXPECT_NE(jig.text.find("テンポ120"), std::string::npos);

    ASSERT_EQ(jig.noteY.size(), 48u);
    ASSERT_EQ(reel.noteY.size(), 48u);
    const double jigRoom = MeasureRoomMm(jig, 6, 8), reelRoom = MeasureRoomMm(reel, 6, 8);
    RecordProperty("jig_measure_mm", std::to_string(jigRoom));
    RecordProperty("reel_measure_mm", std::to_string(reelRoom));
    EXPECT_GT(jigRoom, 0);
    EXPECT_LE(jigRoom, 1.1 * reelRoom) << "six eighths take the room of two evenly filled beats";
    // The eighths of a dotted beat follow each other evenly.
    EXPECT_NEAR(jig.noteY[1] - jig.noteY[0], jig.noteY[2] - jig.noteY[1], 0.05 * kMm);
    EXPECT_EQ(sink.Count(), 0u);

    // 9/8, 12/8 and a 3/8 counted in one; 3/4 stays in quarters.
    for (const auto& [meter, beats] : {std::pair{"9/8", 3}, {"12/8", 4}, {"3/8", 1}, {"3/4", 3}}) {
        SCOPED_TRACE(meter);
        const Rendered r = Render(sandbox, "m.abc", std::string("X:1\nT:M\nM:") + meter + "\nL:1/8\nK:C\nCDE FGA|]\n");
        EXPECT_NE(r.info.find("\nbeats=" + std::to_string(beats) + "\n"), std::string::npos) << r.info;
        EXPECT_EQ(r.info.find("\nmeter=") != std::string::npos, std::string(meter) != "3/4");
    }
}

TEST(CompoundMeter, TempoTheGridCannotHoldIsPlayedAndStoredNearest)
{
    SandboxDir sandbox;
    RecordingSink sink;
    struct Case {
        const char *meter, *tempo;
        int played, stored;
        double seconds; // of the tune below at that tempo
    };
    // Eight measures: 16 dotted beats of 6/8, 32 quarter beats of 4/4.
    for (const Case& c : {Case{"6/8", "3/8=120", 120, 120, 8.0}, Case{"4/4", "1/4=250", 250, 240, 7.68},
                          Case{"4/4", "1/4=30", 30, 40, 64.0}}) {
        SCOPED_TRACE(c.tempo);
        const std::string bar = std::string(c.meter) == "6/8" ? "DEF GAB|" : "DEFG ABcd|";
        const std::string abc = std::string("X:1\nT:T\nM:") + c.meter + "\nL:1/8\nQ:" + c.tempo + "\nK:D\n" + Repeated(bar, 8) + "]\n";
        const std::string wav = sandbox.Path("t.wav"), mwd = sandbox.Path("t.mwd");
        const Rendered r = Render(sandbox, "t.abc", abc, {"--audio", wav, "--write-mwd", mwd});
        EXPECT_NE(r.info.find("\ntempo=" + std::to_string(c.played) + "\n"), std::string::npos) << r.info;
        EXPECT_NE(r.text.find("テンポ" + std::to_string(c.played)), std::string::npos) << "the legend tells the score's";
        // The sound of the measures, then the strings' ringing.
        EXPECT_NEAR(WaveSeconds(wav) - SchedulePlayer::kTailMilliseconds / 1000.0, c.seconds, 0.02 * c.seconds);

        // The song file keeps the nearest tempo its field holds, and plays at it.
        std::ostringstream out, err;
        ASSERT_EQ(RunRenderCommand({"--info", mwd}, out, err), 0) << err.str();
        EXPECT_NE(out.str().find("\ntempo=" + std::to_string(c.stored) + "\n"), std::string::npos) << out.str();
    }
    EXPECT_EQ(sink.Count(), 0u);
}

TEST(ModalKey, NamedByTonicAndModeAlsoWhenTransposed)
{
    SandboxDir sandbox;
    RecordingSink sink;
    const auto key = [&](const std::string& k, const std::string& notes, std::vector<std::string> options = {}) {
        const Rendered r = Render(sandbox, "k.abc", "X:1\nT:K\nM:4/4\nL:1/4\nK:" + k + "\n" + notes + "|]\n", options);
        const size_t at = r.info.find("\nkey=");
        const std::string name = at == std::string::npos ? std::string() : r.info.substr(at + 5, r.info.find('\n', at + 1) - at - 5);
        EXPECT_NE(r.text.find("調" + WithoutSpaces(name)), std::string::npos) << "the legend names the key as --info does: " << r.text;
        return name;
    };
    EXPECT_EQ(key("Edor", "E F G A"), "E ドリア") << "fits the 25 strings as written";
    EXPECT_EQ(key("Ador", "A B c d"), "A ドリア");
    EXPECT_EQ(key("Gmix", "G A B c"), "G ミクソリディア");
    EXPECT_EQ(key("Bbmix", "B c d e"), "Bb ミクソリディア") << "a flat signature spells its tonic with a flat";
    EXPECT_EQ(key("F#phr", "F G A B"), "F# フリギア");
    EXPECT_EQ(key("Flyd", "F G A B"), "F リディア");
    EXPECT_EQ(key("Bloc", "B c d e"), "B ロクリア");
    EXPECT_EQ(key("Em", "E F G A"), "Em") << "major and minor keep their names";
    EXPECT_EQ(sink.Count(), 0u);
}

namespace {

size_t Occurrences(const std::string& text, const std::string& word)
{
    size_t n = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
        ++n;
    return n;
}

int InfoValue(const std::string& info, const std::string& key)
{
    const size_t at = info.find("\n" + key + "=");
    return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + key.size() + 2);
}

} // namespace

TEST(Verses, EachWLineIsTheNextVerseAndTheSecondPassSingsIt)
{
    SandboxDir sandbox;
    RecordingSink sink;
    const std::string tune = "X:1\nT:Susanna\nM:2/4\nL:1/8\nK:C\n|: CD EG | c2 A2 :|\n"
                             "w: I come from A-la-ba\nw: It rained all night the day\n";
    const Rendered written = Render(sandbox, "s.abc", tune, {"--repeats", "written"});
    EXPECT_EQ(Occurrences(written.text, "come"), 1u) << "the first pass only: " << written.text;
    EXPECT_EQ(Occurrences(written.text, "rained"), 2u) << "the second pass, and the verse below";
    const Rendered once = Render(sandbox, "s.abc", tune);
    EXPECT_EQ(Occurrences(once.text, "come"), 1u);
    EXPECT_NE(once.text.find("Itrainedallnighttheday"), std::string::npos) << "verse 2 as a line: " << once.text;
    EXPECT_EQ(InfoValue(once.info, "lyrics_left_out"), 0);

    // A block of one w: line sings it on every pass, as before.
    const Rendered one = Render(sandbox, "o.abc", "X:1\nT:O\nM:2/4\nL:1/8\nK:C\n|: CD EG | c2 A2 :|\nw: I come from A-la-ba\n",
                                {"--repeats", "written"});
    EXPECT_EQ(Occurrences(one.text, "come"), 2u);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST(Verses, WhatTheLastSheetCannotHoldIsCountedAndSaid)
{
    SandboxDir sandbox;
    RecordingSink sink;
    for (const int lines : {30, 200}) {
        SCOPED_TRACE(lines);
        std::string tune = "X:1\nT:Words\nM:4/4\nL:1/4\nK:C\nC D E F | G A B c |]\n";
        for (int i = 1; i <= lines; ++i)
            tune += "W:Z" + std::to_string(1000 + i) + " la la\n";
        const Rendered r = Render(sandbox, "w.abc", tune);
        int printed = 0;
        for (int i = 1; i <= lines; ++i)
            printed += r.text.find("Z" + std::to_string(1000 + i)) != std::string::npos;
        const int leftOut = InfoValue(r.info, "lyrics_left_out");
        EXPECT_EQ(printed + leftOut, lines) << "every line printed or counted";
        EXPECT_GE(printed, 30) << "the free paper of an A3 sheet holds thirty lines";
        if (leftOut > 0)
            EXPECT_NE(r.text.find("（ほかの歌詞" + std::to_string(leftOut) + "行は入りません）"), std::string::npos) << r.text;
        else
            EXPECT_EQ(r.text.find("入りません"), std::string::npos);
    }
    EXPECT_EQ(sink.Count(), 0u);
}

TEST(Verses, MusicXmlKeepsVersesPastEight)
{
    SandboxDir sandbox;
    RecordingSink sink;
    std::string lyrics;
    for (int v = 1; v <= 12; ++v)
        lyrics += "<lyric number=\"" + std::to_string(v) + "\"><syllabic>single</syllabic><text>V" + std::to_string(100 + v) +
                  "</text></lyric>";
    const std::string xml =
        "<?xml version=\"1.0\"?><score-partwise version=\"3.1\"><part-list><score-part id=\"P1\"><part-name>M</part-name>"
        "</score-part></part-list><part id=\"P1\"><measure number=\"1\"><attributes><divisions>1</divisions><key><fifths>2</fifths>"
        "<mode>dorian</mode></key><time><beats>4</beats><beat-type>4</beat-type></time></attributes>"
        "<note><pitch><step>E</step><octave>4</octave></pitch><duration>4</duration><type>whole</type>" +
        lyrics + "</note></measure></part></score-partwise>\n";
    const Rendered r = Render(sandbox, "v.musicxml", xml);
    for (int v = 2; v <= 12; ++v)
        EXPECT_NE(r.text.find("V" + std::to_string(100 + v)), std::string::npos) << v;
    EXPECT_EQ(InfoValue(r.info, "lyrics_left_out"), 0);
    EXPECT_NE(r.info.find("\nkey=E ドリア\n"), std::string::npos) << "MusicXML names its mode too: " << r.info;
    EXPECT_EQ(sink.Count(), 0u);
}
