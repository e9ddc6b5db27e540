#include "app/CDovrelPlinvaraDlg.h"
#include "common/FileServices.h"
#include "common/Messages.h"
#include "library/TuneSheetsFile.h"
#include "settings/ConfigRecord.h"
#include "settings/SheetSettingsFile.h"
#include "tests/support/TestSupport.h"

#include <QString>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

const std::vector<std::string> kFailedSave = {"GENE01000007 " + std::string(GeneralErrorText(0x01000007))};

// Ends the test run instead of hanging it when a read waits on a FIFO: a bound for a hang, far
// beyond what a window's start and end take on a loaded machine under the sanitizers.
class HangGuard {
public:
    HangGuard() { alarm(60); }
    ~HangGuard() { alarm(0); }
};

} // namespace

class SheetSettingsFileTest : public ::testing::Test {
protected:
    std::string Path() const { return JoinPath(GetSettingsFolder("PV"), kSheetSettingsFileName); }
    QString QPath() const { return QString::fromStdString(Path()); }
    SheetSettings ReadText(const std::string& text)
    {
        WriteFileBytes(Path(), Bytes(text));
        return ReadSheetSettings(QPath());
    }

    static std::string FreshText(const SheetSettings& settings)
    {
        const int tenths = settings.spacing.Tenths();
        return "[sheet]\nstring_spacing_mm=" + std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) +
               "\nlyrics=true\nchords=false\nmeasure_numbers=true\npaper=A3\nharp_height_mm=282\ncounts=false\nrepeats=lines\ncolour_voices=false\n";
    }

    SandboxDir sandbox;
    RecordingSink sink;
    const SheetSettings defaults;
};

TEST_F(SheetSettingsFileTest, AFileThatIsNotOursGivesTheDefaults)
{
    EXPECT_EQ(ReadSheetSettings(QPath()), defaults) << "missing";
    EXPECT_EQ(ReadText("[sheet]\npaper=Letter\n").paper, PaperChoice::kLetter);
    EXPECT_EQ(ReadText("[sheet]\npaper=A5\n").paper, PaperChoice::kA3) << "a paper not offered keeps A3";
    EXPECT_EQ(ReadText(""), defaults) << "empty";
    EXPECT_EQ(ReadText("[sheet]\nstring_spacing_mm=11."), defaults) << "cut inside the value";
    EXPECT_EQ(ReadText(std::string("[sheet]\nstring_spacing_mm=11.5\n\0\x01\xff", 34)), defaults) << "binary";
    const std::string padded = "[sheet]\nstring_spacing_mm=11.5\n" + std::string(5000, ';') + "\n";
    EXPECT_EQ(ReadText(padded), defaults) << "oversized, however good its start";
    EXPECT_EQ(ReadText("string_spacing_mm=11.5\n"), defaults) << "outside the [sheet] group";
    EXPECT_EQ(ReadText("[other]\nstring_spacing_mm=11.5\n"), defaults);

    fs::remove(Path());
    fs::create_directory(Path());
    EXPECT_EQ(ReadSheetSettings(QPath()), defaults) << "a folder";
    fs::remove(Path());
    ASSERT_EQ(mkfifo(Path().c_str(), 0600), 0);
    {
        const HangGuard guard;
        EXPECT_EQ(ReadSheetSettings(QPath()), defaults) << "a FIFO without a writer";
    }
    EXPECT_EQ(ReadSheetSettings(QStringLiteral("/dev/zero")), defaults) << "a device";
    EXPECT_EQ(sink.Count(), 0u) << "reading never reports";
}

TEST_F(SheetSettingsFileTest, ABadValueKeepsItsDefaultAndUnknownKeysAreHarmless)
{
    for (const char* bad : {"4.9", "20.1", "0", "-11.5", "11.55", "1e1", "abc", "", "11,5", "0011.5", ".5", "FIT"})
        EXPECT_EQ(ReadText(std::string("[sheet]\nstring_spacing_mm=") + bad + "\n"), defaults) << bad;

    const SheetSettings read = ReadText("; written by hand\r\n[sheet]\r\nlyrics = true\r\nfuture key\r\n"
                                        "  string_spacing_mm = 14.50 \r\n[later]\r\nstring_spacing_mm=9\r\n");
    EXPECT_EQ(read.spacing, PaperSpacing::TenthsMm(145)) << "CR LF, blanks, unknown keys and other groups";
    EXPECT_EQ(ReadText("[sheet]\nstring_spacing_mm=20\nstring_spacing_mm=nonsense\n").spacing, PaperSpacing::TenthsMm(200))
        << "a bad repetition does not undo a good value";
    EXPECT_EQ(ReadText("[sheet]\nstring_spacing_mm=5\n").spacing, PaperSpacing::TenthsMm(50));
    EXPECT_EQ(ReadText("[sheet]\nrepeats=written\n").repeats, RepeatDrawing::kWrittenOut);
    for (const char* bad : {"Written", "true", "", "lines written"})
        EXPECT_EQ(ReadText(std::string("[sheet]\nrepeats=") + bad + "\n").repeats, RepeatDrawing::kLines) << bad;
    EXPECT_TRUE(ReadText("[sheet]\ncolour_voices=true\n").colourVoices);
    EXPECT_FALSE(ReadText("[sheet]\ncolour_voices=1\n").colourVoices) << "only the switch's own words";
}

TEST_F(SheetSettingsFileTest, WhatIsWrittenReadsBack)
{
    ASSERT_TRUE(WriteSheetSettings(QPath(), defaults));
    EXPECT_EQ(ReadFileBytes(Path()),
              Bytes("[sheet]\nstring_spacing_mm=fit\nlyrics=true\nchords=false\nmeasure_numbers=true\npaper=A3\nharp_height_mm=282\ncounts=false\nrepeats=lines\ncolour_voices=false\n"));
    EXPECT_EQ(ReadSheetSettings(QPath()), defaults);
    for (int tenths : {115, 50, 200, 145}) {
        ASSERT_TRUE(WriteSheetSettings(QPath(), SheetSettings{PaperSpacing::TenthsMm(tenths), {}}));
        EXPECT_EQ(ReadSheetSettings(QPath()).spacing, PaperSpacing::TenthsMm(tenths));
    }
    ASSERT_TRUE(WriteSheetSettings(QPath(), SheetSettings{PaperSpacing::TenthsMm(115), {false, true, false}}));
    EXPECT_EQ(ReadFileBytes(Path()),
              Bytes("[sheet]\nstring_spacing_mm=11.5\nlyrics=false\nchords=true\nmeasure_numbers=false\npaper=A3\nharp_height_mm=282\ncounts=false\nrepeats=lines\ncolour_voices=false\n"));
    EXPECT_EQ(ReadSheetSettings(QPath()), (SheetSettings{PaperSpacing::TenthsMm(115), {false, true, false}}));
    // A hand-written file may say on and off; anything else keeps the switch's default.
    WriteFileBytes(Path(), Bytes("[sheet]\nlyrics=off\nchords=on\nmeasure_numbers=maybe\n"));
    EXPECT_EQ(ReadSheetSettings(QPath()), (SheetSettings{PaperSpacing::FitToPaper(), {false, true, true}}));
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(SheetSettingsFileTest, AFailedSaveKeepsTheOldFileAndSaysSo)
{
    const std::vector<uint8_t> old = Bytes("[sheet]\nstring_spacing_mm=11.5\n");
    WriteFileBytes(Path(), old);
    chmod(Path().c_str(), 0444); // refused even to root
    EXPECT_FALSE(WriteSheetSettings(QPath(), SheetSettings{PaperSpacing::TenthsMm(145), {}}));
    EXPECT_EQ(ReadFileBytes(Path()), old);
    EXPECT_EQ(sink.Take(), kFailedSave);

    fs::remove(Path());
    ASSERT_EQ(mkfifo(Path().c_str(), 0600), 0);
    {
        const HangGuard guard;
        EXPECT_FALSE(WriteSheetSettings(QPath(), SheetSettings{PaperSpacing::TenthsMm(145), {}}));
    }
    EXPECT_TRUE(fs::is_fifo(Path())) << "a FIFO is not replaced by a plain file";
    EXPECT_EQ(sink.Take(), kFailedSave);
    for (const auto& entry : fs::directory_iterator(fs::path(Path()).parent_path()))
        EXPECT_EQ(entry.path().filename().string().find("sheet.ini."), std::string::npos) << "no temporary file is left";
}

TEST_F(SheetSettingsFileTest, AByteOrderMarkIsSkipped)
{
    EXPECT_EQ(ReadText("\xEF\xBB\xBF[sheet]\r\nstring_spacing_mm=12.5\r\nchords=true\r\n"),
              (SheetSettings{PaperSpacing::TenthsMm(125), {true, true, true}}));
    EXPECT_EQ(ReadText("\xEF\xBB\xBF"), defaults);
    EXPECT_EQ(ReadText("\xEF\xBB[sheet]\nstring_spacing_mm=12.5\n"), defaults) << "half a mark is no mark";
}

// Saving puts the settings into the file as it stands: what the program does not know stays.
TEST_F(SheetSettingsFileTest, SavingKeepsWhatTheFileHoldsThatTheProgramDoesNotKnow)
{
    const auto save = [&](const std::string& before, const SheetSettings& settings) {
        WriteFileBytes(Path(), Bytes(before));
        EXPECT_TRUE(WriteSheetSettings(QPath(), settings)) << before;
        const std::vector<uint8_t> after = ReadFileBytes(Path());
        EXPECT_EQ(ReadSheetSettings(QPath()), settings) << before;
        return std::string(after.begin(), after.end());
    };
    const std::string bom = "\xEF\xBB\xBF[sheet]\r\nstring_spacing_mm=12.5\r\nchords=true\r\n";
    EXPECT_EQ(save(bom, ReadText(bom)), bom) << "read, then saved unchanged: not a byte changes";
    SheetSettings counted = ReadText(bom);
    counted.shown.counts = true;
    EXPECT_EQ(save(bom, counted), "\xEF\xBB\xBF[sheet]\r\nstring_spacing_mm=12.5\r\nchords=true\r\nlyrics=true\r\n"
                                  "measure_numbers=true\r\npaper=A3\r\nharp_height_mm=282\r\ncounts=true\r\nrepeats=lines\r\ncolour_voices=false\r\n")
        << "one setting changed: the player's 12.5 mm and chords stay, the missing keys come";

    const std::string mine = "; mine\n[sheet]\nfuture=1\nstring_spacing_mm=11,5\nlyrics=false\n[later]\nx=y\n";
    EXPECT_EQ(save(mine, SheetSettings{PaperSpacing::FitToPaper(), {false, false, true}}), mine) << "unchanged";
    EXPECT_EQ(save(mine, SheetSettings{PaperSpacing::FitToPaper(), {false, true, true}}),
              "; mine\n[sheet]\nfuture=1\nstring_spacing_mm=11,5\nlyrics=false\nchords=true\nmeasure_numbers=true\n"
              "paper=A3\nharp_height_mm=282\ncounts=false\nrepeats=lines\ncolour_voices=false\n[later]\nx=y\n")
        << "unknown keys and groups, comments and a value that did not read all stay";
    EXPECT_EQ(save(mine, SheetSettings{PaperSpacing::TenthsMm(145), {true, false, true}}),
              "; mine\n[sheet]\nfuture=1\nstring_spacing_mm=11,5\nlyrics=true\nstring_spacing_mm=14.5\nchords=false\n"
              "measure_numbers=true\npaper=A3\nharp_height_mm=282\ncounts=false\nrepeats=lines\ncolour_voices=false\n[later]\nx=y\n")
        << "a changed setting takes the line that gave the old value, or comes after the one that did not read";
    EXPECT_EQ(save("[Sheet]\nstring_spacing_mm=12.5", defaults), "[Sheet]\nstring_spacing_mm=12.5") << "nothing changed";
    EXPECT_EQ(save("[Sheet]\nstring_spacing_mm=12.5", SheetSettings{PaperSpacing::TenthsMm(125), {}}),
              "[Sheet]\nstring_spacing_mm=12.5\n[sheet]\nstring_spacing_mm=12.5\nlyrics=true\nchords=false\nmeasure_numbers=true\n"
              "paper=A3\nharp_height_mm=282\ncounts=false\nrepeats=lines\ncolour_voices=false\n");

    const std::string full = "[sheet]\nstring_spacing_mm=fit\nlyrics=true\nchords=false\nmeasure_numbers=true\npaper=A3\nharp_height_mm=282\ncounts=false\nrepeats=lines\ncolour_voices=false\n";
    WriteFileBytes(Path(), Bytes(full));
    chmod(Path().c_str(), 0444);
    EXPECT_TRUE(WriteSheetSettings(QPath(), defaults)) << "a file that says it all already is left alone";
    chmod(Path().c_str(), 0644);

    const std::string binary("[sheet]\nstring_spacing_mm=11.5\n\x01\x02", 33);
    EXPECT_EQ(save(binary, defaults), binary) << "not understood: the defaults are not written over it";
    const std::string oversized = "[sheet]\nstring_spacing_mm=11.5\n" + std::string(5000, ';') + "\n";
    EXPECT_EQ(save(oversized, defaults), oversized);
    EXPECT_EQ(save(binary, SheetSettings{PaperSpacing::TenthsMm(145), {}}), FreshText(SheetSettings{PaperSpacing::TenthsMm(145), {}})) << "a setting the player chose is";
    EXPECT_EQ(sink.Count(), 0u);
}

// A file near the 4 KiB bound: the keys that would carry it past are left out, and when even the
// changed lines do not fit the file stays whole and the save is refused; nothing is ever dropped.
TEST_F(SheetSettingsFileTest, AFileNearTheBoundKeepsEveryByteItHeld)
{
    const auto near = [](size_t bytes, const std::string& settingLines) {
        const std::string head = "[sheet]\n" + settingLines;
        return "; " + std::string(bytes - head.size() - 3, 'x') + "\n" + head;
    };
    const std::string nearly = near(4024, "string_spacing_mm=12.5\n");
    ASSERT_EQ(nearly.size(), 4024u);
    const SheetSettings stored = ReadText(nearly);
    ASSERT_EQ(stored.spacing, PaperSpacing::TenthsMm(125));
    EXPECT_TRUE(WriteSheetSettings(QPath(), stored));
    EXPECT_EQ(ReadFileBytes(Path()), Bytes(nearly)) << "unchanged: written not at all";

    SheetSettings chords = stored;
    chords.shown.chords = true;
    EXPECT_TRUE(WriteSheetSettings(QPath(), chords));
    EXPECT_EQ(ReadFileBytes(Path()), Bytes(nearly + "chords=true\n")) << "only the changed key joins the comment";
    EXPECT_EQ(ReadSheetSettings(QPath()), chords);

    SheetSettings wider = chords;
    wider.spacing = PaperSpacing::TenthsMm(200);
    EXPECT_TRUE(WriteSheetSettings(QPath(), wider));
    EXPECT_EQ(ReadFileBytes(Path()), Bytes(near(4024, "string_spacing_mm=20.0\n") + "chords=true\n"))
        << "a changed line is rewritten in its place";
    EXPECT_EQ(sink.Count(), 0u);

    const std::string full = near(4096, "string_spacing_mm=12.5\n");
    WriteFileBytes(Path(), Bytes(full));
    ASSERT_EQ(ReadSheetSettings(QPath()).spacing, PaperSpacing::TenthsMm(125)) << "4 KiB exactly still reads";
    EXPECT_FALSE(WriteSheetSettings(QPath(), chords)) << "no room even for the changed key";
    EXPECT_EQ(ReadFileBytes(Path()), Bytes(full));
    EXPECT_EQ(sink.Take(), kFailedSave);
}

// The window keeps the sheet settings beside the record without touching the record's file.
class SheetSettingsWindowTest : public SheetSettingsFileTest {
protected:
    std::string SetupPath() const { return JoinPath(GetSettingsFolder("PV"), "setup.ini"); }
    std::vector<uint8_t> WriteSetup()
    {
        ConfigRecord record = DefaultConfigRecord();
        record.stringCount = 21;
        record.lowestNote = 57;
        FillStringNotes(record);
        const ConfigImage image = EncodeConfigRecord(record);
        const std::vector<uint8_t> bytes(image.begin(), image.end());
        WriteFileBytes(SetupPath(), bytes);
        return bytes;
    }
};

TEST_F(SheetSettingsWindowTest, TheWindowReadsAndSavesSheetIniAndSetupIniStaysByteForByte)
{
    const std::vector<uint8_t> setup = WriteSetup();
    WriteFileBytes(Path(), Bytes("[sheet]\nstring_spacing_mm=11.5\n"));
    {
        CDovrelPlinvaraDlg window;
        EXPECT_EQ(window.Sheet().spacing, PaperSpacing::TenthsMm(115));
        EXPECT_EQ(window.Settings().lowestNote, 57);
    }
    EXPECT_EQ(ReadFileBytes(SetupPath()), setup);
    EXPECT_EQ(ReadFileBytes(Path()), Bytes("[sheet]\nstring_spacing_mm=11.5\n")) << "nothing changed, nothing written";
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(SheetSettingsWindowTest, AHostileSheetIniGivesTheDefaultsAndItsFailedSaveIsToldOnce)
{
    const std::vector<uint8_t> setup = WriteSetup();
    ASSERT_EQ(mkfifo(Path().c_str(), 0600), 0);
    {
        const HangGuard guard;
        CDovrelPlinvaraDlg window;
        SheetSettings expected = defaults;
        expected.spacing = PaperSpacing::TenthsMm(115); // the window's default: the 21-string harp's own
        EXPECT_EQ(window.Sheet(), expected);
        EXPECT_EQ(window.Settings().stringCount, 21) << "the record is read as ever";
        EXPECT_EQ(sink.Count(), 0u) << "the start reports nothing";
    }
    EXPECT_EQ(sink.Take(), kFailedSave);
    EXPECT_EQ(ReadFileBytes(SetupPath()), setup);
    EXPECT_TRUE(fs::is_fifo(Path()));
}

// sheet.ini is written for what the player chose: a file the window could not read, or read only
// in part, comes out of a session that changed nothing as it went in, although the window stood
// in the harp's spacing for what the file lacked.
TEST_F(SheetSettingsWindowTest, ASessionThatChangesNothingLeavesAnUnreadSheetIniByteForByte)
{
    WriteSetup();
    const std::string withNul = std::string("[sheet]\nlyrics=false\n") + '\0' + "chords=true\npaper=B4\n";
    const std::string longLine = "[sheet]\npaper=B4\n; " + std::string(1 << 20, 'x') + "\n";
    const std::string partly = "; mine\n[sheet]\nstring_spacing_mm=11,5\nlyrics=false\n"; // the spacing does not read
    for (const std::string& before : {withNul, longLine, partly}) {
        WriteFileBytes(Path(), Bytes(before));
        {
            CDovrelPlinvaraDlg window;
            EXPECT_EQ(window.Sheet().spacing, PaperSpacing::TenthsMm(115)) << "the harp's own";
        }
        EXPECT_EQ(ReadFileBytes(Path()), Bytes(before)) << before.size() << " bytes";
    }
    EXPECT_EQ(sink.Count(), 0u);

    // Nor does a tune's sheet: it is that tune's, and sheet.ini keeps its own.
    const std::string tune = sandbox.Path("reel.abc");
    WriteFileBytes(tune, Bytes("X:1\nT:Reel\nM:4/4\nL:1/4\nK:C\nC D E F|]\n"));
    WriteFileBytes(TuneSheetsPath(tune), Bytes("[sheet]\nname=a\ncounts=true\n"));
    WriteFileBytes(Path(), Bytes(withNul));
    {
        CDovrelPlinvaraDlg window;
        window.LoadSong(tune);
        EXPECT_TRUE(window.Sheet().shown.counts);
    }
    EXPECT_EQ(ReadFileBytes(Path()), Bytes(withNul));
}
