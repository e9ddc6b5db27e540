#include "app/RenderCommand.h"
#include "settings/ConfigRecord.h"
#include "song/CSongFileWriter.h"
#include "tests/support/TestSupport.h"

#include <QImage>
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
              "measures=12\nbeats=4\nkey=C\ntranspose=0\nfirst=1\nlast=12\nlowest=60\nhighest=69\n");
    EXPECT_NE(text.find("title=きらきら星\nfame=150\ntempo=100\nmoved=0\n0\t60\t6\n6\t60\t6\n12\t67\t6\n"), std::string::npos);
    EXPECT_EQ(sink.Count(), 0u);
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
