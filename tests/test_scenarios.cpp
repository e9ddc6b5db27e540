// Whole-program scenarios through the real windows, as a harp player would go.

#include "tests/SongAsScore.h"
#include "app/CDovrelPlinvaraDlg.h"
#include "common/ByteIO.h"
#include "controls/COffScreenControl.h"
#include "controls/CReadOnlySpinBox.h"
#include "library/CArchiveDlg.h"
#include "print/CPrintPicture.h"
#include "render/CScorePicture.h"
#include "settings/CConfigDlg.h"
#include "song/CSongData.h"
#include "score/FitToStrings.h"
#include "score/SongScore.h"
#include "song/CSongFileWriter.h"
#include "tests/support/TestSupport.h"
#include "tests/support/UiTestSupport.h"

#include <QComboBox>
#include <QListWidget>
#include <QPageLayout>
#include <QPrinter>
#include <filesystem>
#include <set>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string g_pdf;

std::unique_ptr<QPrinter> A3Pdf(QWidget*, const QString&, PaperChoice, bool)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(QString::fromStdString(g_pdf));
    printer->setResolution(150);
    printer->setPageLayout(QPageLayout(QPageSize(QPageSize::A3), QPageLayout::Portrait, QMarginsF()));
    return printer;
}

// Counts the circles' dark pixels beside string line x (the line itself excluded).
int DarkBeside(const QImage& img, int x)
{
    int dark = 0;
    for (int y = 0; y < img.height(); ++y)
        dark += IsBlack(img.pixel(x + 2, y)) ? 1 : 0;
    return dark;
}

} // namespace

class ScenarioTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        home = fs::current_path();
        // The program starts in a folder whose Archive holds the samples.
        fs::copy(DP_SAMPLE_DIR, sandbox.Path("Archive"));
        fs::current_path(sandbox.Path());
    }
    void TearDown() override { fs::current_path(home); }

    SandboxDir sandbox;
    RecordingSink sink;
    fs::path home;
};

TEST_F(ScenarioTest, FirstRunLibraryRangeSettingsAndRestart)
{
    const std::string settingsFile = sandbox.ConfigHome() + "/PV/setup.ini";
    ASSERT_FALSE(fs::exists(settingsFile));
    {
        CDovrelPlinvaraDlg window;
        window.show();
        // The library, filtered to every song, and the long Jingle Bells chosen in it.
        WhenModalOpens([](QWidget* modal) {
            auto* library = static_cast<CArchiveDlg*>(modal);
            ASSERT_TRUE(WaitForState([&] { return library->IsFilled(); }));
            Control<QComboBox>(library, ArchiveControl::kFameFilter)->setCurrentIndex(0);
            QListWidget* list = Control<QListWidget>(library, ArchiveControl::kSongList);
            const auto found = list->findItems(QStringLiteral("ジングルベル"), Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1);
            list->setCurrentItem(found.first());
            Click(Control(library, ArchiveControl::kLoad), QPoint(40, 15));
        });
        Click(Control(&window, MainControl::kLibrary), QPoint(40, 15));
        ASSERT_NE(window.Song(), nullptr);
        EXPECT_EQ(window.Song()->measureCount, 48);
        auto* start = Control<CReadOnlySpinBox>(&window, MainControl::kStartSpin);
        auto* end = Control<CReadOnlySpinBox>(&window, MainControl::kEndSpin);
        EXPECT_EQ(end->value(), 32);
        EXPECT_EQ(end->maximum(), 48);

        // Step the range to the last chorus.
        end->setValue(48);
        start->setValue(33);
        EXPECT_EQ(window.Score().frame.totalLength, 16 * 4 * kUnitsPerBeat);
        const QImage shown = Control<COffScreenControl>(&window, MainControl::kScore)->ShownPicture();
        EXPECT_EQ(shown.size(), QSize(416, 415));

        // Settings: 30 strings from C, spacing 24.
        WhenModalOpens([](QWidget* d) {
            Control<CReadOnlySpinBox>(d, ConfigControl::kStringsSpin)->setValue(30);
            QComboBox* lowest = Control<QComboBox>(d, ConfigControl::kLowestNote);
            lowest->setCurrentIndex(lowest->findData(48)); // C
            Control<CReadOnlySpinBox>(d, ConfigControl::kSpacingSpin)->setValue(24);
            Click(Control(d, ConfigControl::kClose), QPoint(40, 15));
        });
        Click(Control(&window, MainControl::kSettings), QPoint(40, 15));
        EXPECT_EQ(sink.Count(), 0u) << "nothing waits for a restart";
        EXPECT_EQ(CScorePicture::Surface(0)->size(), QSize(31 * 24, 830)) << "the screen follows at once";

        // Exit through its button.
        QTest::mousePress(Control(&window, MainControl::kExit), Qt::LeftButton, {}, QPoint(40, 15));
        EXPECT_FALSE(window.isVisible());
    }
    const std::vector<uint8_t> stored = ReadFileBytes(settingsFile);
    ASSERT_EQ(stored.size(), 184u);
    EXPECT_EQ(bytes::ReadInt32(stored, 0), 30);
    EXPECT_EQ(bytes::ReadInt32(stored, 4), 48);
    EXPECT_EQ(bytes::ReadInt32(stored, 8 + 4 * 29), 48 + 29);
    EXPECT_EQ(bytes::ReadInt32(stored, 156), 24);
    EXPECT_EQ(bytes::ReadInt32(stored, 160), 33);
    EXPECT_EQ(bytes::ReadInt32(stored, 164), 48);

    // The next start is laid out from the stored settings: 31 x 24 wide.
    CDovrelPlinvaraDlg again;
    EXPECT_EQ(CScorePicture::Surface(0)->size(), QSize(31 * 24, 830));
    EXPECT_EQ(again.ButtonColumn(), static_cast<int>(31 * 24 * 0.5 + 20));
    again.LoadSong("Archive/twinkle.mwd");
    // Twinkle (C4..A4) fits strings from C3: it is moved up an octave to C4 = string 12.
    const QImage score = *CScorePicture::Surface(0);
    EXPECT_GT(DarkBeside(score, 13 * 24 - 10), 0) << "notes on the C4 string";
    EXPECT_EQ(DarkBeside(score, 1 * 24 - 10), 0) << "none on the lowest string";
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(ScenarioTest, DamagedFileAfterAGoodOneAndPrinting)
{
    CDovrelPlinvaraDlg window;
    window.LoadSong("Archive/odetojoy.mwd");
    EXPECT_FALSE(window.Score().layout.notes.empty());
    std::vector<uint8_t> damaged = ReadFileBytes("Archive/odetojoy.mwd");
    bytes::WriteInt16(damaged, 90112 + 320 + 4, 12); // beats per measure 12
    WriteFileBytes(sandbox.Path("damaged.mwd"), damaged);
    window.LoadSong(sandbox.Path("damaged.mwd"));
    EXPECT_EQ(sink.Take(), (std::vector<std::string>{"[12]", "time sign 0"}));
    EXPECT_TRUE(window.Score().layout.notes.empty());
    EXPECT_EQ(Control<CReadOnlySpinBox>(&window, MainControl::kEndSpin)->value(), 4);

    g_pdf = sandbox.Path("score.pdf");
    const auto previous = CPrintPicture::SetPrintDialogRunner(&A3Pdf);
    window.LoadSong("Archive/odetojoy.mwd");
    window.RunCommand(MainCommand::kPrint);
    CPrintPicture::SetPrintDialogRunner(previous);
    EXPECT_EQ(sink.Count(), 0u);
    EXPECT_GT(fs::file_size(g_pdf), 1000u);
}

TEST_F(ScenarioTest, SettingsFolderThatCannotBeCreated)
{
    WriteFileBytes(sandbox.Path("plain"), {1});
    setenv("XDG_CONFIG_HOME", sandbox.Path("plain").c_str(), 1);
    {
        CDovrelPlinvaraDlg window;
        EXPECT_EQ(window.Settings(), DefaultConfigRecord());
        EXPECT_EQ(sink.Count(), 0u) << "nothing is said at start";
    }
    EXPECT_EQ(sink.Take(), (std::vector<std::string>{FormatCodedMessage("GENE", 0x01000007,
                                                                        GeneralErrorText(0x01000007))}));
}

TEST_F(ScenarioTest, ASongCutAtEveryLayoutEdgeLoadsFitsAndDraws)
{
    CSongFileWriter w(32, 4, 3);
    for (int p = 0; p < 32 * 16; p += 3)
        w.AddNote(p, 50 + p % 37, 3, "la");
    w.SetChord(0, "A", "E7");
    w.SetSongText("text");
    const std::vector<uint8_t> full = w.Build(SongLayout::kCurrent);
    const std::string path = sandbox.Path("cut.mwd");
    WriteFileBytes(path, full);
    COffScreenControl host(nullptr, 1001, false);
    CScorePicture score;
    ConfigRecord r = DefaultConfigRecord();
    score.Create(&host, PictureRect{10, 10, 842, 840}, ScoreSetup{25, r.stringNotes, 32, 10, 0.5});
    // Every length near a place where the layouts of the song file change (the older, shorter
    // layouts, the summary, the song text, the beat tables), and a prime stride between them;
    // the song reader's fuzzer tries the other lengths.
    const int64_t fullSize = static_cast<int64_t>(full.size());
    std::set<int64_t> sizes;
    for (int64_t edge : {int64_t{0}, int64_t{32780}, int64_t{81932}, int64_t{90112}, int64_t{90112 + 320},
                         int64_t{92492}, int64_t{94540}, fullSize})
        for (int64_t d = -64; d <= 64; ++d)
            if (edge + d >= 0 && edge + d <= fullSize)
                sizes.insert(edge + d);
    for (int64_t size = 0; size <= fullSize; size += 251)
        sizes.insert(size);
    for (auto it = sizes.rbegin(); it != sizes.rend(); ++it) {
        const int64_t size = *it;
        ASSERT_EQ(truncate(path.c_str(), size), 0);
        int32_t m = 0, b = 0, k = 0;
        CSongData song(path.c_str(), m, b, k);
        Score tune = ScoreOfSong(song);
        FitToStrings(tune, 55, 79);
        score.LayOutMeasures(&tune, 1, std::max(1, std::min(tune.measureCount, 32)));
        if (sink.Count() > 64)
            sink.Take();
    }
    score.Destroy();
}
