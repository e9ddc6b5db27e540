#include "common/ByteIO.h"
#include "common/FileServices.h"
#include "settings/CConfigControl.h"
#include "tests/support/TestSupport.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

class SettingsStorageTest : public ::testing::Test {
protected:
    SandboxDir sandbox;
    RecordingSink sink;
    std::string SettingsPath() { return JoinPath(GetSettingsFolder("PV"), "setup.ini"); }
};

TEST_F(SettingsStorageTest, DefaultImageHasTheStatedBytes)
{
    const ConfigImage image = EncodeConfigRecord(DefaultConfigRecord());
    for (int i = 0; i < 37; ++i)
        EXPECT_EQ(bytes::ReadInt32(image, 8 + 4 * i), i < 25 ? 55 + i : 0) << "string " << i;
    EXPECT_EQ(bytes::ReadInt32(image, 0), 25);
    EXPECT_EQ(bytes::ReadInt32(image, 4), 55);
    EXPECT_EQ(bytes::ReadInt32(image, 156), 32);
    EXPECT_EQ(bytes::ReadInt32(image, 160), 1);
    EXPECT_EQ(bytes::ReadInt32(image, 164), 1);
    EXPECT_EQ(bytes::ReadInt32(image, 168), 830);
    EXPECT_EQ(bytes::ReadInt32(image, 172), 10);
    EXPECT_EQ(std::vector<uint8_t>(image.begin() + 176, image.end()),
              (std::vector<uint8_t>{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xE0, 0x3F}));
}

TEST_F(SettingsStorageTest, FirstRunUsesDefaultsAndWritesTheFileAtTheEnd)
{
    const std::string path = SettingsPath();
    EXPECT_TRUE(fs::is_directory(sandbox.ConfigHome() + "/PV"));
    ConfigRecord record;
    {
        CConfigControl control(path, &record, DefaultConfigRecord());
        EXPECT_EQ(record, DefaultConfigRecord());
        EXPECT_FALSE(fs::exists(path)) << "no file is created at start";
        record.lineSpacing = 20;
        record.stringNotes[30] = 77;
    }
    EXPECT_EQ(fs::file_size(path), 184u);
    ConfigRecord again;
    CConfigControl control(path, &again, DefaultConfigRecord());
    EXPECT_EQ(again.lineSpacing, 20);
    EXPECT_EQ(again.stringNotes[30], 77) << "the table is taken as stored, not recomputed";
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(SettingsStorageTest, ShortFileKeepsTheDefaultsPastItsEnd)
{
    ConfigRecord stored = DefaultConfigRecord();
    stored.stringCount = 30;
    stored.stringNotes[0] = 40;
    stored.lineSpacing = 12;
    const ConfigImage image = EncodeConfigRecord(stored);
    WriteFileBytes(SettingsPath(), std::vector<uint8_t>(image.begin(), image.begin() + 100));

    ConfigRecord record;
    CConfigControl control(SettingsPath(), &record, DefaultConfigRecord());
    EXPECT_EQ(sink.Take(), (std::vector<std::string>{"GENE0100000A データが大きすぎます。"}));
    EXPECT_EQ(record.stringCount, 30);
    EXPECT_EQ(record.stringNotes[0], 40);
    EXPECT_EQ(record.lineSpacing, 32) << "past byte 100 the defaults stay";
    EXPECT_EQ(record.displayZoom, 0.5);
}

TEST_F(SettingsStorageTest, LongerFileUsesItsFirst184Bytes)
{
    ConfigRecord stored = DefaultConfigRecord();
    stored.verticalSize = 1000;
    const ConfigImage image = EncodeConfigRecord(stored);
    std::vector<uint8_t> bytes(image.begin(), image.end());
    bytes.resize(400, 0xEE);
    WriteFileBytes(SettingsPath(), bytes);
    ConfigRecord record;
    CConfigControl control(SettingsPath(), &record, DefaultConfigRecord());
    EXPECT_EQ(record, stored);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(SettingsStorageTest, HostileRecordIsTamed)
{
    ConfigRecord hostile = DefaultConfigRecord();
    hostile.stringCount = 1000;
    hostile.lineSpacing = -5;
    hostile.verticalSize = 1 << 30;
    hostile.leftAdjust = 101;
    hostile.displayZoom = std::numeric_limits<double>::quiet_NaN();
    hostile.lowestNote = 120; // used as stored
    const ConfigImage image = EncodeConfigRecord(hostile);
    WriteFileBytes(SettingsPath(), std::vector<uint8_t>(image.begin(), image.end()));

    ConfigRecord record;
    CConfigControl control(SettingsPath(), &record, DefaultConfigRecord());
    EXPECT_EQ(record.stringCount, 25);
    EXPECT_EQ(record.lineSpacing, 32);
    EXPECT_EQ(record.verticalSize, 830);
    EXPECT_EQ(record.leftAdjust, 10);
    EXPECT_EQ(record.displayZoom, 0.5);
    EXPECT_EQ(record.lowestNote, 120);

    for (double zoom : {0.05, 4.5, std::numeric_limits<double>::infinity()}) {
        ConfigRecord r = DefaultConfigRecord();
        r.displayZoom = zoom;
        EXPECT_TRUE(SanitizeConfigRecord(r));
        EXPECT_EQ(r.displayZoom, 0.5);
    }
    ConfigRecord edges = DefaultConfigRecord();
    edges.stringCount = 37;
    edges.lineSpacing = 4;
    edges.verticalSize = 2000;
    edges.leftAdjust = 0;
    edges.displayZoom = 1.0;
    EXPECT_FALSE(SanitizeConfigRecord(edges)) << "the dialog's own ranges are kept";
}

TEST_F(SettingsStorageTest, UnwritableFileIsReportedAndTheOldFileSurvives)
{
    // A path that runs through a regular file can never be created, even by root.
    WriteFileBytes(sandbox.Path("plain"), {1});
    {
        ConfigRecord record;
        CConfigControl control(sandbox.Path("plain/setup.ini"), &record, DefaultConfigRecord());
    }
    EXPECT_EQ(sink.Take().size(), 1u);

    const std::string path = SettingsPath();
    const ConfigImage old = EncodeConfigRecord(DefaultConfigRecord());
    WriteFileBytes(path, std::vector<uint8_t>(old.begin(), old.end()));
    {
        ConfigRecord record;
        CConfigControl control(path, &record, DefaultConfigRecord());
        record.lineSpacing = 9;
        fs::remove_all(sandbox.ConfigHome() + "/PV"); // the folder vanishes during the run
    }
    EXPECT_EQ(sink.Take(), (std::vector<std::string>{FormatCodedMessage(
                               "GENE", 0x01000007, GeneralErrorText(0x01000007))}));
}

// A FIFO as setup.ini neither blocks the start nor is replaced at the end.
TEST_F(SettingsStorageTest, AFifoAsTheSettingsFileGivesTheDefaultsAndStays)
{
    const std::string path = SettingsPath();
    ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
    alarm(30);
    {
        ConfigRecord record;
        CConfigControl control(path, &record, DefaultConfigRecord());
        EXPECT_EQ(EncodeConfigRecord(record), EncodeConfigRecord(DefaultConfigRecord()));
    }
    alarm(0);
    EXPECT_TRUE(fs::is_fifo(path));
    EXPECT_EQ(sink.Take(), (std::vector<std::string>{FormatCodedMessage("GENE", 0x01000007, GeneralErrorText(0x01000007))}));
}
