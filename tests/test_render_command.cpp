#include "app/RenderCommand.h"
#include "settings/ConfigRecord.h"
#include "song/CSongFileWriter.h"
#include "tests/support/TestSupport.h"

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;

class RenderCommandTest : public ::testing::Test {
protected:
    int Run(const std::vector<std::string>& args)
    {
        out.str("");
        err.str("");
        return RunRenderCommand(args, out, err);
    }
    std::string Sample(const char* name) const { return std::string(DP_SAMPLE_DIR) + "/" + name; }

    SandboxDir sandbox;
    RecordingSink sink;
    std::ostringstream out, err;
};

TEST_F(RenderCommandTest, InfoAndNotesOfASample)
{
    ASSERT_EQ(Run({"--info", "--notes", Sample("twinkle.mwd")}), 0);
    const std::string text = out.str();
    EXPECT_EQ(text.substr(0, text.find("title=")),
              "measures=12\nbeats=4\nkey=C\nloaded_key=C\ntranspose=0\nfirst=1\nlast=12\nlowest=60\nhighest=69\nmissing=0\n");
    EXPECT_NE(text.find("title=きらきら星\nfame=150\ntempo=100\nmoved=0\nskipped=0\ndropped=0\n0\t60\t6\n6\t60\t6\n12\t67\t6\n"), std::string::npos);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(RenderCommandTest, KeyIsTheKeyAfterFittingAndLoadedKeyTheOneRead)
{
    struct Case {
        int low, high;
        const char* transpose;
        const char* key;
    };
    // A song in C moved by +15 is in the first major key of pitch class 3, by -11 of class 1.
    for (const Case& c : {Case{40, 64, "transpose=15", "key=Eb\nloaded_key=C\n"},
                          Case{60, 90, "transpose=-11", "key=C#\nloaded_key=C\n"}}) {
        CSongFileWriter w(2, 4);
        w.AddNote(0, c.low, 4);
        w.AddNote(4, c.high, 4);
        const std::string song = sandbox.Path("range.mwd");
        ASSERT_TRUE(w.Write(song));
        ASSERT_EQ(Run({"--info", song}), 0);
        EXPECT_NE(out.str().find(c.key), std::string::npos) << out.str();
        EXPECT_NE(out.str().find(c.transpose), std::string::npos) << out.str();
    }
}

TEST_F(RenderCommandTest, StandardErrorCarriesOnlyTheProgramsMessages)
{
#ifndef NDEBUG
    GTEST_SKIP() << "debug builds keep Qt's diagnostics";
#endif
    const std::string png = sandbox.Path("out.png");
    const std::string command = "env -u XDG_RUNTIME_DIR QT_QPA_PLATFORM=offscreen '" DP_RENDER_PROGRAM "' '" +
                                Sample("twinkle.mwd") + "' '" + png + "' 2>'" + sandbox.Path("err.txt") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::vector<uint8_t> err = ReadFileBytes(sandbox.Path("err.txt"));
    EXPECT_EQ(std::string(err.begin(), err.end()), "");
}

TEST_F(RenderCommandTest, WideSampleIsFittedAndRangesAreChecked)
{
    ASSERT_EQ(Run({"--info", "--measures", "2-3", Sample("scale.mwd")}), 0);
    EXPECT_NE(out.str().find("first=2\nlast=3\n"), std::string::npos);
    EXPECT_NE(out.str().find("highest=79\n"), std::string::npos) << "the highest note comes down to the top string";
    EXPECT_EQ(Run({"--measures", "3-2", Sample("scale.mwd")}), 2);
    EXPECT_EQ(Run({"--measures", "1-99", Sample("scale.mwd")}), 2);
    EXPECT_EQ(Run({"--frobnicate", Sample("scale.mwd")}), 2);
    EXPECT_EQ(Run({}), 2);
    EXPECT_NE(err.str().find("usage:"), std::string::npos);
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_NE(out.str().find("usage:"), std::string::npos);
}

TEST_F(RenderCommandTest, PicturesAtBothZoomsAndFailures)
{
    const std::string png = sandbox.Path("score.png");
    ASSERT_EQ(Run({Sample("sakura.mwd"), png}), 0);
    EXPECT_EQ(QImage(QString::fromStdString(png)).size(), QSize(832, 830));
    ASSERT_EQ(Run({"--zoom", "0.5", Sample("sakura.mwd"), png}), 0);
    EXPECT_EQ(QImage(QString::fromStdString(png)).size(), QSize(416, 415));

    EXPECT_EQ(Run({sandbox.Path("missing.mwd"), png + "2"}), 1);
    EXPECT_EQ(sink.Take(), (std::vector<std::string>{"SGDT00000000 楽曲情報でエラーがおきました。", "[0]",
                                                     "time sign 0"}));
    EXPECT_FALSE(fs::exists(png + "2"));
    EXPECT_EQ(Run({Sample("sakura.mwd"), sandbox.Path("no/such/folder/out.png")}), 1);
}

TEST_F(RenderCommandTest, SettingsFileDecidesThePicture)
{
    ConfigRecord r = DefaultConfigRecord();
    r.stringCount = 12;
    r.lineSpacing = 20;
    r.verticalSize = 400;
    r.lowestNote = 60;
    FillStringNotes(r);
    const ConfigImage image = EncodeConfigRecord(r);
    const std::string settings = sandbox.Path("setup.ini");
    WriteFileBytes(settings, std::vector<uint8_t>(image.begin(), image.end()));
    const std::string png = sandbox.Path("small.png");
    ASSERT_EQ(Run({"--settings", settings, "--info", Sample("twinkle.mwd"), png}), 0);
    EXPECT_EQ(QImage(QString::fromStdString(png)).size(), QSize(13 * 20, 400));
    EXPECT_NE(out.str().find("lowest=60\nhighest=69\n"), std::string::npos);
    EXPECT_EQ(Run({"--settings", sandbox.Path("none.ini"), Sample("twinkle.mwd")}), 1);
}

TEST_F(RenderCommandTest, AnyHarpFromTheCommandLineAndItsMissingNotes)
{
    ASSERT_EQ(Run({"--info", "--tuning", "C", "--strings", "15", "--lowest", "G3", Sample("twinkle.mwd")}), 0);
    EXPECT_NE(out.str().find("transpose=0\nfirst=1\nlast=12\nlowest=60\nhighest=69\nmissing=0\n"), std::string::npos)
        << out.str();
    ASSERT_EQ(Run({"--info", "--tuning", "G", "--strings", "8", "--lowest", "55", Sample("scale.mwd")}), 0);
    const std::string text = out.str();
    const size_t at = text.find("missing=");
    ASSERT_NE(at, std::string::npos);
    EXPECT_GT(std::stoi(text.substr(at + 8)), 0) << "a two-octave scale cannot lie on eight strings";
    EXPECT_EQ(Run({"--tuning", "E", Sample("twinkle.mwd")}), 2);
    EXPECT_EQ(Run({"--lowest", "H3", Sample("twinkle.mwd")}), 2);
    EXPECT_EQ(Run({"--strings", "4", Sample("twinkle.mwd")}), 2);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(RenderCommandTest, NumbersOfOptionsAreWholeAndInRange)
{
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--fame", ""}, {"--fame", "256"}, {"--tune", ""}, {"--part", "99999999999"},
          {"--strings", "12x"}, {"--lowest", "C10"}, {"--lowest", ""}})
        EXPECT_EQ(Run({bad[0], bad[1], Sample("twinkle.mwd")}), 2) << bad[0] << " '" << bad[1] << "'";
    ASSERT_EQ(Run({"--info", "--strings", "15", "--lowest", "C#4", Sample("twinkle.mwd")}), 0);
    EXPECT_EQ(sink.Count(), 0u);
}
