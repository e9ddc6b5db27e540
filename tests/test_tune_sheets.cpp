#include "tests/SongAsScore.h"
#include "app/CDovrelPlinvaraDlg.h"
#include "app/RenderCommand.h"
#include "audio/ScorePlayback.h"
#include "common/FileServices.h"
#include "controls/CReadOnlySpinBox.h"
#include "library/CArchiveDlg.h"
#include "print/CPrintPicture.h"
#include "print/PrintTarget.h"
#include "render/CScorePicture.h"
#include "library/TuneSheetsFile.h"
#include "song/CSongData.h"
#include "song/CSongFileWriter.h"
#include "tests/support/MidiBytes.h"
#include "tests/support/MusicXmlText.h"
#include "tests/support/TestSupport.h"
#include "tests/support/UiTestSupport.h"

#include <QComboBox>
#include <QApplication>
#include <QContextMenuEvent>
#include <QInputDialog>
#include <QLineEdit>
#include <QSpinBox>
#include <QListWidget>
#include <QMenu>
#include <QPrinter>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Two parts, the first repeated, with words: what a player finds on the net.
constexpr const char* kReel = "X:1\nT:Morning reel\nM:4/4\nL:1/8\nK:D\n"
                              "|:D2FA d2fa|g2fg e2ce|d2cB A2FA|B2AG F2E2:|\n"
                              "|:f2af d2fd|e2ge c2ec|d2cB A2FA|1 B2AG F2E2:|2 G2E2 D4|]\n"
                              "w: la la la la la la la la\n";
const std::string kDamaged = "この曲の用紙ファイル「reel.abc.ini」を読めないため、用紙を使わずに開きます。";

std::string g_pdfPath;

std::unique_ptr<QPrinter> PdfPrinter(QWidget*, const QString&, PaperChoice, bool)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(QString::fromStdString(g_pdfPath));
    printer->setResolution(150);
    printer->setPageLayout(QPageLayout(QPageSize(QPageSize::A3), QPageLayout::Portrait, QMarginsF()));
    return printer;
}

QStringList OnePrinter() { return {QStringLiteral("Office")}; }

// The PDF without what Qt makes anew for every document: its creation time and its identifier.
std::string WithoutDateAndId(const std::vector<uint8_t>& pdf)
{
    const std::string text(pdf.begin(), pdf.end());
    const std::string dated = std::regex_replace(text, std::regex(R"(/CreationDate \(D:[^)]*\))"), "/CreationDate ()");
    return std::regex_replace(dated, std::regex(R"(/ID \[<[0-9a-fA-F]*> ?<[0-9a-fA-F]*>\])"), "/ID []");
}

} // namespace

class TuneSheetsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        cwd = fs::current_path();
        fs::current_path(sandbox.Path()); // the library is "Archive" below the folder started in
        previousRunner = CPrintPicture::SetPrintDialogRunner(&PdfPrinter);
        previousLister = SetPrinterLister(&OnePrinter);
        fs::create_directories(sandbox.Path("net"));
        tune = sandbox.Path("net/reel.abc");
        WriteText(tune, kReel);
    }
    void TearDown() override
    {
        CPrintPicture::SetPrintDialogRunner(previousRunner);
        SetPrinterLister(previousLister);
        fs::current_path(cwd);
    }
    static void WriteText(const std::string& path, const std::string& text)
    {
        WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
    }
    void WriteSheetIni(const std::string& text)
    {
        fs::create_directories(sandbox.ConfigHome() + "/PV");
        WriteText(sandbox.ConfigHome() + "/PV/sheet.ini", text);
    }
    std::vector<uint8_t> Print(CDovrelPlinvaraDlg& window, const std::string& name)
    {
        g_pdfPath = sandbox.Path(name);
        window.RunCommand(MainCommand::kPrint);
        return ReadFileBytes(g_pdfPath);
    }
    // Opens the library from the window and loads the song listed as `title`.
    void OpenFromLibrary(CDovrelPlinvaraDlg& window, const QString& title)
    {
        WhenModalOpens([title](QWidget* modal) {
            auto* d = static_cast<CArchiveDlg*>(modal);
            EXPECT_TRUE(WaitForState([&] { return d->IsFilled(); }));
            Control<QComboBox>(d, ArchiveControl::kFameFilter)->setCurrentIndex(0);
            auto* list = Control<QListWidget>(d, ArchiveControl::kSongList);
            const QList<QListWidgetItem*> found = list->findItems(title, Qt::MatchExactly);
            EXPECT_EQ(found.size(), 1) << title.toStdString();
            if (!found.isEmpty())
                list->setCurrentItem(found.front());
            Click(Control(d, ArchiveControl::kLoad), QPoint(40, 15));
        });
        window.RunCommand(MainCommand::kLibrary);
    }
    static QStringList Listed(const std::string& base, int filter)
    {
        QStringList titles;
        CArchiveDlg dialog;
        dialog.SetBaseFolder(base);
        WhenModalOpens([&](QWidget*) {
            EXPECT_TRUE(WaitForState([&] { return dialog.IsFilled(); }));
            Control<QComboBox>(&dialog, ArchiveControl::kFameFilter)->setCurrentIndex(filter);
            auto* list = Control<QListWidget>(&dialog, ArchiveControl::kSongList);
            for (int i = 0; i < list->count(); ++i)
                titles << list->item(i)->text();
            dialog.reject();
        });
        dialog.exec();
        return titles;
    }

    SandboxDir sandbox;
    RecordingSink sink;
    fs::path cwd;
    std::string tune;
    CPrintPicture::PrintDialogRunner previousRunner = nullptr;
    PrinterLister previousLister = nullptr;
};

// The player's practice sheet survives the end of the program: its PDF is the same again.
TEST_F(TuneSheetsTest, PracticeSheetComesBackFromTheLibraryAfterARestart)
{
    WriteSheetIni("[sheet]\nrepeats=written\ncounts=true\nstring_spacing_mm=11.5\n");
    std::vector<uint8_t> first;
    FittedScore before;
    {
        CDovrelPlinvaraDlg window;
        window.LoadSong(tune);
        ASSERT_NE(window.Song(), nullptr);
        window.ChooseKey(2);
        Control<CReadOnlySpinBox>(&window, MainControl::kEndSpin)->setValue(6);
        Control<CReadOnlySpinBox>(&window, MainControl::kStartSpin)->setValue(3);
        ASSERT_TRUE(window.AddToLibrary("朝のリール", 70));
        ASSERT_TRUE(window.SaveTuneSheet("練習用"));
        EXPECT_EQ(window.SongPath(), sandbox.Path("Archive/reel.abc"));
        before = window.Score();
        first = Print(window, "first.pdf");
    }
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(before.transposition, 2);
    EXPECT_EQ(before.measures.first, 3);
    EXPECT_EQ(before.measures.last, 6);
    EXPECT_FALSE(before.DrawnOnce()) << "written out";
    fs::remove(sandbox.ConfigHome() + "/PV/sheet.ini"); // the next start knows nothing of the choices

    CDovrelPlinvaraDlg window;
    OpenFromLibrary(window, QStringLiteral("朝のリール"));
    ASSERT_NE(window.Song(), nullptr);
    EXPECT_EQ(window.TuneSheetShown(), "練習用");
    EXPECT_EQ(window.ChosenKey(), KeyChoice(2));
    EXPECT_EQ(window.Score().transposition, 2);
    EXPECT_EQ(window.Score().measures.first, 3);
    EXPECT_EQ(window.Score().measures.last, 6);
    EXPECT_TRUE(window.Sheet().shown.counts);
    const std::vector<uint8_t> second = Print(window, "second.pdf");
    EXPECT_EQ(WithoutDateAndId(second), WithoutDateAndId(first));
    EXPECT_EQ(second.size(), first.size());
    // Said at the opening as for any song: two steps up, the top A and B have no string.
    EXPECT_EQ(sink.Take(), std::vector<std::string>{"STRG00000001 弦のない音符が5個あります。楽譜には表示されません。"});
}

TEST_F(TuneSheetsTest, SeveralNamedSheetsAndTheDefaultOne)
{
    {
        CDovrelPlinvaraDlg window;
        window.LoadSong(tune);
        ASSERT_TRUE(window.SaveTuneSheet("初心者用"));
        window.ChooseKey(-3);
        ASSERT_TRUE(window.SaveTuneSheet(" 伴奏付き\n"));
        window.ChooseKey(std::nullopt);
        ASSERT_TRUE(window.SaveTuneSheet("25弦", true));
        EXPECT_FALSE(window.SaveTuneSheet("\t")) << "no name, no sheet";
    }
    TuneSheets read;
    ASSERT_EQ(ReadTuneSheets(tune + ".ini", read), TuneSheetsRead::kRead);
    ASSERT_EQ(read.sheets.size(), 3u);
    EXPECT_EQ(read.sheets[1].name, "伴奏付き");
    EXPECT_EQ(read.sheets[1].key, KeyChoice(-3));
    EXPECT_EQ(read.defaultName, "25弦");

    CDovrelPlinvaraDlg window;
    std::vector<std::string> offered;
    window.SetSheetChooser([&](QWidget*, const TuneSheets& sheets) -> std::optional<std::string> {
        for (const TuneSheet& s : sheets.sheets)
            offered.push_back(s.name);
        return "伴奏付き";
    });
    window.LoadSong(tune);
    EXPECT_EQ(offered, (std::vector<std::string>{"初心者用", "伴奏付き", "25弦"}));
    EXPECT_EQ(window.TuneSheetShown(), "伴奏付き");
    EXPECT_EQ(window.Score().transposition, -3);
    window.UseTuneSheet("25弦");
    EXPECT_EQ(window.ChosenKey(), std::nullopt);
    window.UseTuneSheet("初心者用");
    EXPECT_EQ(window.TuneSheetShown(), "初心者用");

    // The window's own question: the default offered first.
    CDovrelPlinvaraDlg asking;
    QString offeredFirst;
    WhenModalOpens([&](QWidget* modal) {
        modal->setObjectName(QStringLiteral("asked"));
        if (auto* box = modal->findChild<QComboBox*>()) {
            offeredFirst = box->currentText();
            box->setCurrentIndex(1);
        }
        static_cast<QDialog*>(modal)->accept();
    });
    asking.LoadSong(tune);
    EXPECT_EQ(offeredFirst, QStringLiteral("25弦"));
    EXPECT_EQ(asking.TuneSheetShown(), "伴奏付き");
    EXPECT_EQ(sink.Take(), std::vector<std::string>{});
}

TEST_F(TuneSheetsTest, ASheetsHarpServesItsTuneOnly)
{
    WriteText(tune + ".ini", "[sheet]\nname=15G\nstrings=55,57,59,60,62,64,66,67,69,71,72,74,76,78,79\n");
    const std::string other = sandbox.Path("net/other.abc");
    WriteText(other, "X:1\nT:Other\nM:3/4\nL:1/4\nK:C\nC E G|c3|]\n");
    CDovrelPlinvaraDlg window;
    window.LoadSong(tune);
    EXPECT_EQ(window.Score().frame.stringCount, 15);
    EXPECT_EQ(window.Score().frame.stringPitches[6], 66) << "F sharp";
    EXPECT_EQ(window.Score().notesWithoutString, 0) << "the fit finds a key the harp in G holds";
    window.LoadSong(other);
    EXPECT_EQ(window.Score().frame.stringCount, 25);
    EXPECT_EQ(window.Score().frame.stringPitches[6], 61);
}

// A sheet for 37 strings in a window set for 25: the picture, like the print, takes the sheet's
// harp, so the notes on the twelve strings above stay on it; the window's own harp comes back.
TEST_F(TuneSheetsTest, ASheetsWiderHarpWidensThePicture)
{
    std::string strings;
    for (int pitch = 55; pitch <= 91; ++pitch)
        strings += (strings.empty() ? "" : ",") + std::to_string(pitch);
    WriteText(tune, "X:1\nT:High\nM:4/4\nL:1/4\nK:C\nG, C G c|a b c' d'|e' f' g' g'|]\n");
    WriteText(tune + ".ini", "[sheet]\nname=37弦\nstrings=" + strings + "\n");
    const std::string other = sandbox.Path("net/other.abc");
    WriteText(other, "X:1\nT:Other\nM:3/4\nL:1/4\nK:C\nC E G|c3|]\n");
    CDovrelPlinvaraDlg window;
    window.LoadSong(tune);
    EXPECT_EQ(sink.Take(), std::vector<std::string>{});
    const FittedScore& shown = window.Score();
    ASSERT_EQ(shown.frame.stringCount, 37);
    EXPECT_EQ(shown.notesWithoutString, 0);
    ASSERT_EQ(shown.geometry.notes.size(), 12u);
    const QImage* surface = CScorePicture::Surface(0);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->size(), QSize(38 * 32, 830));
    EXPECT_EQ(Control(&window, MainControl::kScore)->geometry(), QRect(10, 10, 38 * 32, 830));
    EXPECT_EQ(window.ButtonColumn(), 38 * 16 + 20) << "the buttons stand beside the wider picture";
    EXPECT_EQ(Control(&window, MainControl::kExit)->geometry().left(), window.ButtonColumn());
    EXPECT_EQ(window.width(), window.ButtonColumn() + 150);
    int beyondOwnHarp = 0;
    for (const PlacedNote& note : shown.geometry.notes) {
        EXPECT_LE(note.right, surface->width());
        beyondOwnHarp += note.x > 25 * 32 - 10 ? 1 : 0;
        EXPECT_NE(surface->pixel(note.x, note.y), qRgb(255, 255, 255)) << "a circle at " << note.x;
    }
    EXPECT_EQ(beyondOwnHarp, 8);
    int drawn = 0; // the highest string's line
    for (int y = 0; y < surface->height(); ++y)
        drawn += surface->pixel(37 * 32 - 10, y) != qRgb(255, 255, 255) ? 1 : 0;
    EXPECT_GT(drawn, surface->height() / 2);

    window.LoadSong(other);
    EXPECT_EQ(window.Score().frame.stringCount, 25);
    EXPECT_EQ(CScorePicture::Surface(0)->size(), QSize(26 * 32, 830));
    EXPECT_EQ(window.ButtonColumn(), 436);
    EXPECT_EQ(window.size(), QSize(586, 475));
}

TEST_F(TuneSheetsTest, HostileSheetFilesNeverBlockCrashOrLoseTheTune)
{
    const std::string sheets = tune + ".ini";
    const std::string big(1 << 20, 'a');
    std::vector<uint8_t> binary(4096);
    for (size_t i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<uint8_t>(i * 7);
    const std::vector<std::pair<std::string, std::function<void()>>> hostile = {
        {"empty", [&] { WriteText(sheets, ""); }},
        {"1 MB", [&] { WriteText(sheets, "[sheet]\nname=x\n" + big); }},
        {"binary", [&] { WriteFileBytes(sheets, binary); }},
        {"no sheet", [&] { WriteText(sheets, "[sheet]\nkey=+2\n[other]\nname=x\n"); }},
        {"a FIFO", [&] { ASSERT_EQ(mkfifo(sheets.c_str(), 0600), 0); }},
        {"a link loop", [&] { fs::create_symlink(sheets, sheets); }},
        {"a folder", [&] { fs::create_directory(sheets); }},
    };
    for (const auto& [what, make] : hostile) {
        std::error_code ec;
        fs::remove_all(sheets, ec);
        make();
        CDovrelPlinvaraDlg window;
        window.LoadSong(tune);
        ASSERT_NE(window.Song(), nullptr) << what;
        EXPECT_EQ(window.Score().measureCount, 9) << what << ": the tune as it is, drawn once";
        EXPECT_EQ(sink.Take(), std::vector<std::string>{kDamaged}) << what;
        EXPECT_EQ(window.TuneSheetShown(), "") << what;
    }
    // Saving over a FIFO refuses it and keeps it.
    fs::remove_all(sheets);
    ASSERT_EQ(mkfifo(sheets.c_str(), 0600), 0);
    CDovrelPlinvaraDlg window;
    window.LoadSong(tune);
    sink.Take();
    EXPECT_FALSE(window.SaveTuneSheet("練習用"));
    EXPECT_EQ(sink.Count(), 1u);
    EXPECT_TRUE(fs::is_fifo(sheets));
}

TEST_F(TuneSheetsTest, SheetsFileReadsBackWhatItWroteAndPassesOverBadLines)
{
    TuneSheets sheets;
    TuneSheet a;
    a.name = "初心者用";
    a.key = 5;
    a.measures = {2, 9};
    a.strings = {55, 57, 59, 60};
    a.sheet.shown.counts = true;
    a.sheet.repeats = RepeatDrawing::kWrittenOut;
    a.sheet.spacing = PaperSpacing::TenthsMm(115);
    sheets.Put(a);
    TuneSheet b;
    b.name = "25弦";
    sheets.Put(b);
    sheets.listing = LibraryListing{"曲", 80, 2};
    TuneSheets back;
    ASSERT_TRUE(ParseTuneSheets(TuneSheetsText(sheets), back));
    EXPECT_EQ(back.sheets, sheets.sheets);
    EXPECT_EQ(back.listing, sheets.listing);
    EXPECT_EQ(back.Default()->name, "初心者用") << "the first is the default";

    ASSERT_TRUE(ParseTuneSheets("[sheet]\nname=a\nkey=+99\nmeasures=5-2\nstrings=1,2,300\ncounts=maybe\n"
                                "[sheet]\nname=a\nkey=-1\n[sheet]\nkey=3\n",
                                back));
    ASSERT_EQ(back.sheets.size(), 1u) << "a second of one name and one without a name are passed over";
    TuneSheet defaults;
    defaults.name = "a";
    EXPECT_EQ(back.sheets[0], defaults) << "each bad value keeps its default";
    EXPECT_EQ(TuneSheetName(std::string(41, 'x') + "練習用の楽譜です"), std::string(41, 'x') + "練習用の楽譜で")
        << "cut at 64 bytes, on a character";
}

TEST_F(TuneSheetsTest, AddedScoresAreListedBesideTheSongFilesUnderTheirFame)
{
    fs::create_directories(sandbox.Path("Archive"));
    CSongFileWriter song(2, 4);
    song.AddNote(0, 60, 4);
    song.SetFame(100);
    song.SetTitleUtf8("ふるさと");
    ASSERT_TRUE(song.Write(sandbox.Path("Archive/furusato.mwd")));

    const std::string mxl = sandbox.Path("net/sakura.mxl");
    WriteFileBytes(mxl, mx::Mxl(mx::OnePart({mx::Measure(1, mx::Attributes(1) + mx::Note("A4", 1) + mx::Note("A4", 1) + mx::Note("B4", 2))})));
    const std::string midi = sandbox.Path("net/melody.mid");
    WriteFileBytes(midi, MidiFileBytes(0, 480, {MidiTrackBytes().Note(0, 60, 480).Note(0, 64, 480).End()}));
    {
        CDovrelPlinvaraDlg window;
        for (const auto& [path, title, fame] : {std::tuple{mxl, "さくら", 100}, std::tuple{tune, "朝のリール", 40},
                                                std::tuple{midi, "旋律", 70}, std::tuple{tune, "朝のリール", 40}}) {
            window.LoadSong(path);
            ASSERT_TRUE(window.AddToLibrary(title, fame)) << title;
        }
        // A song file is the library's already.
        window.LoadSong(sandbox.Path("Archive/furusato.mwd"));
        EXPECT_FALSE(window.AddToLibrary("ふるさと", 100));
    }
    EXPECT_TRUE(fs::exists(sandbox.Path("Archive/reel.abc")));
    EXPECT_TRUE(fs::exists(sandbox.Path("Archive/reel-2.abc"))) << "two tunes of one title both stay";
    EXPECT_EQ(Listed(sandbox.Path(), 3), (QStringList{"ふるさと", "さくら"})) << "超有名曲のみ表示";
    EXPECT_EQ(Listed(sandbox.Path(), 2), (QStringList{"ふるさと", "さくら", "旋律"}));
    EXPECT_EQ(Listed(sandbox.Path(), 0), (QStringList{"ふるさと", "朝のリール", "朝のリール", "さくら", "旋律"}));

    CDovrelPlinvaraDlg window;
    OpenFromLibrary(window, QStringLiteral("旋律"));
    ASSERT_NE(window.Song(), nullptr);
    EXPECT_EQ(window.SongPath(), sandbox.Path("Archive/melody.mid"));
    int lowest = 0, highest = 0;
    MelodyPitchRange(*window.Song(), lowest, highest);
    EXPECT_EQ(highest - lowest, 4) << "C and E, as the file has them";
    EXPECT_EQ(sink.Take(), std::vector<std::string>{});
}

// The library gets the score that was read, whatever became of its file since, under the
// ending of the format it was read as, so that the library lists it.
TEST_F(TuneSheetsTest, TheLibraryGetsTheBytesThatWereReadUnderTheirFormatsEnding)
{
    const std::vector<uint8_t> reel(kReel, kReel + std::strlen(kReel));
    const std::string bare = sandbox.Path("net/reel");
    WriteText(bare, kReel);
    const std::string xml = sandbox.Path("net/sakura.txt");
    WriteText(xml, mx::OnePart({mx::Measure(1, mx::Attributes(1) + mx::Note("A4", 4))}));
    const std::string zipped = sandbox.Path("net/sakura");
    WriteFileBytes(zipped, mx::Mxl(mx::OnePart({mx::Measure(1, mx::Attributes(1) + mx::Note("B4", 4))})));
    const std::string midi = sandbox.Path("net/melody.MIDI");
    WriteFileBytes(midi, MidiFileBytes(0, 480, {MidiTrackBytes().Note(0, 60, 480).End()}));
    fs::create_directories(sandbox.Path("Archive"));
    {
        CDovrelPlinvaraDlg window;
        window.LoadSong(tune);
        fs::remove(tune);
        EXPECT_TRUE(window.AddToLibrary("消えた曲", 70));
        window.LoadSong(bare);
        WriteText(bare, "X:1\nT:Changed\nK:C\nC|]\n");
        EXPECT_TRUE(window.AddToLibrary("朝のリール", 70));
        for (const std::string& path : {xml, zipped, midi}) {
            window.LoadSong(path);
            EXPECT_TRUE(window.AddToLibrary(fs::path(path).filename().string(), 70)) << path;
        }
    }
    EXPECT_EQ(sink.Take(), std::vector<std::string>{});
    EXPECT_EQ(ReadFileBytes(sandbox.Path("Archive/reel.abc")), reel) << "the score removed after loading";
    EXPECT_EQ(ReadFileBytes(sandbox.Path("Archive/reel-2.abc")), reel) << "the bytes loaded, not those changed since";
    EXPECT_TRUE(fs::exists(sandbox.Path("Archive/sakura.txt.musicxml")));
    EXPECT_TRUE(fs::exists(sandbox.Path("Archive/sakura.mxl")));
    EXPECT_TRUE(fs::exists(sandbox.Path("Archive/melody.MIDI"))) << "an ending of its format stays as it is";
    EXPECT_EQ(Listed(sandbox.Path(), 0), (QStringList{"朝のリール", "消えた曲", "sakura.txt", "sakura", "melody.MIDI"}))
        << "reel-2.abc sorts before reel.abc";
}

// Every refusal says why: a title left empty and a library that cannot take the score.
TEST_F(TuneSheetsTest, AddingToTheLibraryNeverFailsSilently)
{
    CDovrelPlinvaraDlg window;
    window.LoadSong(tune);
    sink.Take();
    EXPECT_FALSE(window.AddToLibrary("  ", 70));
    EXPECT_EQ(sink.Take(), std::vector<std::string>{"曲名を入力してください。"});
    EXPECT_FALSE(fs::exists(sandbox.Path("Archive")));
}

TEST_F(TuneSheetsTest, ALibraryThatCannotBeWrittenSaysSoAndKeepsNothing)
{
    WriteText(sandbox.Path("Archive"), "not a folder");
    CDovrelPlinvaraDlg window;
    window.LoadSong(tune);
    sink.Take();
    EXPECT_FALSE(window.AddToLibrary("朝のリール", 70));
    const std::vector<std::string> said = sink.Take();
    ASSERT_FALSE(said.empty());
    EXPECT_EQ(said.back(), "「朝のリール」をライブラリ（" + sandbox.Path("Archive") + "）に追加できませんでした。");
    EXPECT_EQ(window.SongPath(), tune) << "the sheets stay beside the tune it came from";
    EXPECT_FALSE(fs::exists(tune + ".ini"));
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(sandbox.Path()))
        ++files;
    EXPECT_EQ(files, 3u) << "Archive, config and net; no temporary file";
}

// A disk that fills up midway: the listing fits, the score does not; nothing of it stays.
TEST_F(TuneSheetsTest, AScoreCutShortTakesItsListingAwayAgain)
{
    std::string large = kReel;
    while (large.size() < 8192)
        large += "% a comment line that a notation program might leave behind\n";
    WriteText(tune, large);
    fs::create_directories(sandbox.Path("Archive"));
    CDovrelPlinvaraDlg window;
    window.LoadSong(tune);
    sink.Take();
    struct rlimit before {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto previousSignal = signal(SIGXFSZ, SIG_IGN);
    struct rlimit cut = before;
    cut.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &cut), 0);
    const bool added = window.AddToLibrary("朝のリール", 70);
    setrlimit(RLIMIT_FSIZE, &before);
    signal(SIGXFSZ, previousSignal);
    EXPECT_FALSE(added);
    const std::vector<std::string> said = sink.Take();
    ASSERT_EQ(said.size(), 2u) << "the writer's message, then which score";
    EXPECT_EQ(said[1], "「朝のリール」をライブラリ（" + sandbox.Path("Archive") + "）に追加できませんでした。");
    EXPECT_TRUE(fs::is_empty(sandbox.Path("Archive")));
}

namespace {

// The items of the context menu's 調 (their texts, a checked one with "*"); `answer`, when given,
// is run on the dialog of its "その他..." after the items are read.
QStringList KeyMenuItems(CDovrelPlinvaraDlg& window, std::function<void(QInputDialog&)> answer = {})
{
    QStringList keys;
    WhenPopupOpens([&](QWidget* popup) {
        QAction* other = nullptr;
        if (auto* menu = popup->findChild<QMenu*>(QStringLiteral("KeyMenu")))
            for (QAction* action : menu->actions())
                if (!action->isSeparator()) {
                    keys << action->text() + (action->isChecked() ? "*" : "");
                    if (action->text() == QStringLiteral("その他(&O)..."))
                        other = action;
                }
        if (other && answer) {
            WhenModalOpens([&](QWidget* modal) {
                if (auto* ask = qobject_cast<QInputDialog*>(modal))
                    answer(*ask);
                else if (auto* dialog = qobject_cast<QDialog*>(modal))
                    dialog->reject();
            });
            other->trigger();
        }
        popup->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(50, 50), window.mapToGlobal(QPoint(50, 50)));
    QApplication::sendEvent(&window, &event);
    return keys;
}

} // namespace

// The menu lists the fit's key and the few that leave fewest notes without a string; every
// transposition is under その他.
TEST_F(TuneSheetsTest, KeyMenuOffersTheCommonKeysAndEveryTranspositionUnderOther)
{
    CDovrelPlinvaraDlg window;
    window.show();
    window.LoadSong(tune);
    sink.Take();
    QStringList all;
    const QStringList keys = KeyMenuItems(window, [&](QInputDialog& ask) {
        all = ask.comboBoxItems();
        EXPECT_EQ(ask.textValue(), all.value(0)) << "the key shown is offered first";
        ask.setTextValue(all.value(11));
        ask.accept();
    });
    ASSERT_EQ(keys.size(), 8) << keys.join('|').toStdString();
    EXPECT_EQ(keys.front(), QStringLiteral("自動（既定） −7  ト長調 (G) — 全音が弦にある*"));
    EXPECT_EQ(keys.back(), QStringLiteral("その他(&O)..."));
    for (int i = 1; i + 1 < keys.size(); ++i)
        EXPECT_TRUE(all.contains(keys[i])) << keys[i].toStdString();
    EXPECT_TRUE(keys.contains(QStringLiteral("−7  ト長調 (G) — 全音が弦にある")));
    EXPECT_TRUE(keys.contains(QStringLiteral("−2  ハ長調 (C) — 全音が弦にある")));
    EXPECT_FALSE(keys.contains(QStringLiteral("+12  ニ長調 (D) — 36音不足")));
    ASSERT_EQ(all.size(), 26);
    // D4 to A5 on strings G3 to G5: the fit takes it an octave down, then five steps up.
    EXPECT_EQ(all[0], QStringLiteral("自動（既定） −7  ト長調 (G) — 全音が弦にある"));
    EXPECT_EQ(all[1], QStringLiteral("−12  ニ長調 (D) — 10音不足"));
    EXPECT_EQ(all[6], QStringLiteral("−7  ト長調 (G) — 全音が弦にある"));
    EXPECT_EQ(all[11], QStringLiteral("−2  ハ長調 (C) — 全音が弦にある"));
    EXPECT_EQ(all[13], QStringLiteral("±0  ニ長調 (D) — 2音不足"));
    EXPECT_EQ(all[25], QStringLiteral("+12  ニ長調 (D) — 36音不足"));
    EXPECT_EQ(window.Score().transposition, -2) << "the key chosen under その他";
    EXPECT_EQ(window.ChosenKey(), -2);
    EXPECT_TRUE(KeyMenuItems(window).contains(QStringLiteral("−2  ハ長調 (C) — 全音が弦にある*")));

    window.ChooseKey(-2);
    EXPECT_EQ(window.Score().transposition, -2);
    EXPECT_EQ(window.Score().notesWithoutString, 0);
    window.ChooseKey(std::nullopt);
    EXPECT_EQ(window.Score().transposition, -7) << "the fit again";
}

TEST_F(TuneSheetsTest, RendererTakesTheKeyOrTheTranspositionAndListsTheKeys)
{
    const auto run = [](std::vector<std::string> args, std::string& text) {
        std::ostringstream out, err;
        const int status = RunRenderCommand(args, out, err);
        text = out.str() + err.str();
        return status;
    };
    const auto line = [](const std::string& text, const std::string& key) {
        const size_t at = text.find("\n" + key + "=");
        return at == std::string::npos ? std::string("-") : text.substr(at + key.size() + 2, text.find('\n', at + 1) - at - key.size() - 2);
    };
    const std::string scale = sandbox.Path("net/scale.abc");
    WriteText(scale, "X:1\nT:Scale\nM:4/4\nL:1/4\nK:C\nC D E F|G A B c|]\n");
    std::string text;
    const std::vector<std::string> gHarp = {"--info", "--tuning", "G", "--strings", "15", "--lowest", "55"};
    auto with = [&](std::vector<std::string> more) {
        std::vector<std::string> args = gHarp;
        args.insert(args.end(), more.begin(), more.end());
        args.push_back(scale);
        return args;
    };
    ASSERT_EQ(run(with({}), text), 0) << text;
    EXPECT_EQ(line(text, "keys"), "G:0,C:1,C#:6,D:1,Eb:5,E:3,F:3,F#:5,Ab:6,A:2,Bb:4,B:4");
    ASSERT_EQ(run(with({"--key", "D"}), text), 0) << text;
    EXPECT_EQ(line(text, "transpose"), "2");
    EXPECT_EQ(line(text, "key"), "D");
    EXPECT_EQ(line(text, "missing"), "1") << "the B's C sharp";
    ASSERT_EQ(run(with({"--transpose", "-5"}), text), 0) << text;
    EXPECT_EQ(line(text, "transpose"), "-5");
    EXPECT_EQ(line(text, "missing"), "0");
    EXPECT_EQ(run(with({"--key", "Em"}), text), 2);
    EXPECT_NE(text.find("--key needs a major key such as G or Bb, as the song is written in one, not \"Em\""), std::string::npos);
    EXPECT_EQ(run(with({"--transpose", "49"}), text), 2);
    EXPECT_EQ(run(with({"--transpose", "1", "--key", "G"}), text), 2);
}

namespace {

// A hand-kept file of `count` sheets, each with a comment and a key of the player's own.
std::string ManySheets(int count)
{
    std::string text = "; 手で書いた用紙\n[sheets]\ndefault=s1\n";
    for (int i = 1; i <= count; ++i)
        text += "\n; 用紙 " + std::to_string(i) + "\n[sheet]\nname=s" + std::to_string(i) + "\nkey=" +
                std::to_string(i % 5) + "\nmemo=mine\n";
    return text + "\n[later]\nx=y\n";
}

std::optional<std::string> TheDefaultSheet(QWidget*, const TuneSheets&)
{
    return std::nullopt;
}

std::string TextOf(const std::vector<uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

// The reading takes the first 64 sheets; a save keeps the rest, the comments and the unknown
// lines, and refuses a sheet the next reading would not take, writing nothing.
TEST_F(TuneSheetsTest, SavingASheetKeepsWhatTheReadingPassedOver)
{
    const std::string sheets = TuneSheetsPath(tune);
    const std::string before = ManySheets(100);
    WriteText(sheets, before);
    {
        CDovrelPlinvaraDlg window;
        window.SetSheetChooser(TheDefaultSheet);
        window.LoadSong(tune);
        EXPECT_EQ(window.SheetsOfTune().sheets.size(), kMaxTuneSheets);
    }
    EXPECT_EQ(TextOf(ReadFileBytes(sheets)), before) << "nothing chosen, nothing written";

    CDovrelPlinvaraDlg window;
    window.SetSheetChooser(TheDefaultSheet);
    window.LoadSong(tune);
    sink.Take();
    EXPECT_FALSE(window.SaveTuneSheet("新しい用紙"));
    EXPECT_EQ(sink.Take(), std::vector<std::string>{"この曲の用紙ファイル「reel.abc.ini」には用紙が64までしか入らないため、用紙を保存できませんでした。"});
    EXPECT_EQ(TextOf(ReadFileBytes(sheets)), before) << "refused whole";
    EXPECT_EQ(window.SheetsOfTune().sheets.size(), kMaxTuneSheets);

    window.UseTuneSheet("s10");
    window.ChooseKey(3);
    ASSERT_TRUE(window.SaveTuneSheet("s10"));
    const std::string after = TextOf(ReadFileBytes(sheets));
    const size_t head = before.find("name=s10\n"), tail = before.find("memo=mine\n\n; 用紙 11\n");
    ASSERT_NE(after.find("name=s10\nkey=+3\n"), std::string::npos) << after;
    EXPECT_EQ(after.substr(0, head), before.substr(0, head)) << "every byte before the sheet's lines";
    EXPECT_EQ(after.substr(after.size() - (before.size() - tail)), before.substr(tail))
        << "its own unknown line and everything after it";
    TuneSheets read;
    ASSERT_EQ(ReadTuneSheets(sheets, read), TuneSheetsRead::kRead);
    EXPECT_EQ(read.Find("s10")->key, KeyChoice(3));
    EXPECT_EQ(read.Find("s11")->key, KeyChoice(1));
    EXPECT_EQ(read.defaultName, "s1");

    // A file of few sheets takes a new one at its end, after all it held.
    const std::string few = "\xEF\xBB\xBF; 手で書いた用紙\r\n[sheet]\r\nname=a\r\nmemo=mine\r\n[later]\r\nx=y";
    WriteText(sheets, few);
    window.LoadSong(tune);
    ASSERT_TRUE(window.SaveTuneSheet("b"));
    const std::string grown = TextOf(ReadFileBytes(sheets));
    const std::string added = few + "\r\n\r\n[sheet]\r\nname=b\r\nkey=";
    EXPECT_EQ(grown.substr(0, added.size()), added) << "in the file's own line ends";
    ASSERT_EQ(ReadTuneSheets(sheets, read), TuneSheetsRead::kRead);
    EXPECT_EQ(read.sheets.size(), 2u);

    // A file the save would carry past 64 KiB is kept whole too.
    const std::string full = "[sheet]\nname=a\n" + std::string(kMaxTuneSheetsFileBytes - 200, ';') + "\n";
    WriteText(sheets, full);
    window.LoadSong(tune);
    sink.Take();
    EXPECT_FALSE(window.SaveTuneSheet("b"));
    EXPECT_EQ(sink.Take(), std::vector<std::string>{"この曲の用紙ファイル「reel.abc.ini」は64 KiBを超えられないため、用紙を保存できませんでした。"});
    EXPECT_EQ(TextOf(ReadFileBytes(sheets)), full);

    // What cannot be read at all stays as it is through a session that saves nothing.
    const std::string unread = "[sheet]\nname=a\n" + std::string(1 << 20, 'x') + "\n";
    WriteText(sheets, unread);
    {
        CDovrelPlinvaraDlg reader;
        reader.SetSheetChooser(TheDefaultSheet);
        reader.LoadSong(tune);
    }
    EXPECT_EQ(TextOf(ReadFileBytes(sheets)), unread);
}

// A sheet may name a voice the tune does not have (written by hand, or the tune changed since).
TEST_F(TuneSheetsTest, ASheetsMissingVoiceIsNamedAndTheRestOfTheSheetIsUsed)
{
    WriteText(TuneSheetsPath(tune), "[sheet]\nname=伴奏付き\nkey=+2\nvoices=melody:1,2:40\n\n[sheet]\nname=旋律\n");
    const std::string said = "用紙「伴奏付き」の第2声（パート40）がこの曲にないため、パートの選択は変えずに用紙を使います。";
    CDovrelPlinvaraDlg window;
    window.SetSheetChooser([](QWidget*, const TuneSheets&) -> std::optional<std::string> { return "伴奏付き"; });
    window.LoadSong(tune);
    ASSERT_NE(window.Song(), nullptr);
    EXPECT_EQ(window.TuneSheetShown(), "伴奏付き");
    EXPECT_EQ(window.ChosenKey(), KeyChoice(2));
    EXPECT_EQ(window.Score().measureCount, 9) << "the tune as it is";
    std::vector<std::string> messages = sink.Take();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.front(), said);
    window.UseTuneSheet("旋律");
    window.UseTuneSheet("伴奏付き");
    EXPECT_EQ(window.ChosenKey(), KeyChoice(2));
    EXPECT_EQ(sink.Take(), std::vector<std::string>{said});
}

namespace {

// Chooses the context menu's item of `text` (in a submenu too).
void ChooseInWindowMenu(CDovrelPlinvaraDlg& window, const QString& text)
{
    bool found = false;
    WhenPopupOpens([&](QWidget* popup) {
        if (auto* menu = qobject_cast<QMenu*>(popup)) {
            QList<QAction*> all = menu->actions();
            for (QMenu* sub : menu->findChildren<QMenu*>())
                all += sub->actions();
            popup->close();
            for (QAction* a : all)
                if (a->text() == text && a->isEnabled()) {
                    found = true;
                    a->trigger();
                    break;
                }
        }
    });
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(50, 50), window.mapToGlobal(QPoint(50, 50)));
    QApplication::sendEvent(&window, &event);
    EXPECT_TRUE(found) << text.toStdString();
}

} // namespace

// ライブラリに追加 with what it suggests: the tune is listed by the filter the library opens
// with, and the player is told where it went.
TEST_F(TuneSheetsTest, ATuneAddedToTheLibraryIsConfirmedAndListedAsTheLibraryOpens)
{
    CDovrelPlinvaraDlg window;
    window.LoadSong(tune);
    ASSERT_NE(window.Song(), nullptr);
    sink.Take();
    int suggested = -1;
    WhenModalOpens([&](QWidget* modal) {
        modal->findChild<QLineEdit*>(QStringLiteral("Title"))->setText(QStringLiteral("朝のリール"));
        suggested = modal->findChild<QSpinBox*>(QStringLiteral("Fame"))->value();
        static_cast<QDialog*>(modal)->accept();
    });
    ChooseInWindowMenu(window, QStringLiteral("ライブラリに追加(&B)..."));
    EXPECT_EQ(suggested, CArchiveDlg::InitialFame());
    EXPECT_EQ(window.SongPath(), sandbox.Path("Archive/reel.abc"));
    const std::vector<std::string> told = sink.Take();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0], "「朝のリール」をライブラリ（" + JoinPath(fs::current_path().string(), "Archive") +
                           "）に追加しました。ライブラリを開くと「超有名曲のみ表示」の一覧に表示されます。");
    EXPECT_TRUE(Listed(sandbox.Path(), CArchiveDlg::kInitialFilter).contains(QStringLiteral("朝のリール")));

    // A fame below the first filter's names the filter that lists it.
    EXPECT_EQ(CArchiveDlg::AddedText("夜のジグ", "/lib/Archive", 50),
              "「夜のジグ」をライブラリ（/lib/Archive）に追加しました。知名度が50のため、ライブラリで"
              "「知名度低いものも表示」を選ぶと一覧に表示されます。");
}

// A tune's sheet is that tune's: the next tune opened, its sheet saved and sheet.ini all keep
// the window's own spacing and repeats.
TEST_F(TuneSheetsTest, ATunesSheetStaysWithItsTune)
{
    WriteSheetIni("[sheet]\nrepeats=written\nstring_spacing_mm=11.5\n");
    const std::string ini = sandbox.ConfigHome() + "/PV/sheet.ini";
    const std::vector<uint8_t> iniBefore = ReadFileBytes(ini);
    WriteText(TuneSheetsPath(tune), "[sheets]\ndefault=広い\n[sheet]\nname=広い\nkey=fit\nmeasures=1-4\n"
                                    "strings=55,57,59,61,62,64,66,67,69,71,73,74,76,78,79,81,83,85,86,88\n"
                                    "string_spacing_mm=14.5\nrepeats=lines\n");
    const std::string other = sandbox.Path("net/jig.abc");
    WriteText(other, kReel);
    {
        CDovrelPlinvaraDlg window;
        window.LoadSong(tune);
        ASSERT_EQ(window.TuneSheetShown(), "広い");
        EXPECT_EQ(window.Sheet().spacing, PaperSpacing::TenthsMm(145));
        EXPECT_EQ(window.Sheet().repeats, RepeatDrawing::kLines);
        EXPECT_EQ(window.Score().frame.stringCount, 20);

        window.LoadSong(other);
        EXPECT_EQ(window.TuneSheetShown(), "");
        EXPECT_EQ(window.Sheet().spacing, PaperSpacing::TenthsMm(115)) << "sheet.ini's, not the last tune's";
        EXPECT_EQ(window.Sheet().repeats, RepeatDrawing::kWrittenOut);
        EXPECT_NE(window.Score().frame.stringCount, 20);
        ASSERT_TRUE(window.SaveTuneSheet("練習用"));
    }
    TuneSheets saved;
    ASSERT_EQ(ReadTuneSheets(TuneSheetsPath(other), saved), TuneSheetsRead::kRead);
    ASSERT_NE(saved.Find("練習用"), nullptr);
    EXPECT_EQ(saved.Find("練習用")->sheet.spacing, PaperSpacing::TenthsMm(115));
    EXPECT_EQ(ReadFileBytes(ini), iniBefore) << "sheet.ini untouched";
}

// key=+99 and measures=30-2 do not read: the window says which lines, and the 用紙 menu tells
// that the sheet was applied without them.
TEST_F(TuneSheetsTest, ABadValueInASheetFileIsToldWithItsLine)
{
    WriteText(TuneSheetsPath(tune), "[sheets]\ndefault=練習用\n\n[sheet]\nname=練習用\nkey=+99\nmeasures=30-2\n"
                                    "counts=true\n");
    CDovrelPlinvaraDlg window;
    window.LoadSong(tune);
    ASSERT_EQ(window.TuneSheetShown(), "練習用");
    EXPECT_TRUE(window.Sheet().shown.counts) << "what reads is applied";
    EXPECT_EQ(window.ChosenKey(), std::nullopt);
    EXPECT_EQ(sink.Take(), std::vector<std::string>{"この曲の用紙ファイル「reel.abc.ini」の6行目「key=+99」、7行目"
                                                    "「measures=30-2」は値を読めないため、使わずに開きます。"});
    QString told;
    WhenPopupOpens([&](QWidget* popup) {
        for (QMenu* sub : popup->findChildren<QMenu*>())
            for (QAction* a : sub->actions())
                if (a->objectName() == QStringLiteral("UnreadSheetLines"))
                    told = a->text();
        popup->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(50, 50), window.mapToGlobal(QPoint(50, 50)));
    QApplication::sendEvent(&window, &event);
    EXPECT_EQ(told, QStringLiteral("「練習用」で使わなかった値: 6行目、7行目"));
}

// The speed and the playing switches are saved with the sheet and come back with it.
TEST_F(TuneSheetsTest, ThePracticeStateIsKeptWithTheSheet)
{
    {
        CDovrelPlinvaraDlg window;
        window.LoadSong(tune);
        window.Playback().SetTempoPercent(80);
        window.Playback().SetMetronome(true);
        window.Playback().SetLoop(true);
        ASSERT_TRUE(window.SaveTuneSheet("ゆっくり"));
    }
    const std::vector<uint8_t> bytes = ReadFileBytes(TuneSheetsPath(tune));
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("practice_tempo=80\n"), std::string::npos) << text;
    EXPECT_NE(text.find("practice_metronome=true\n"), std::string::npos);
    EXPECT_NE(text.find("practice_passage=none\n"), std::string::npos);

    CDovrelPlinvaraDlg window;
    EXPECT_EQ(window.Playback().TempoPercent(), 100);
    window.LoadSong(tune);
    EXPECT_EQ(window.Playback().TempoPercent(), 80);
    EXPECT_TRUE(window.Playback().Metronome());
    EXPECT_TRUE(window.Playback().Loop());
    EXPECT_FALSE(window.Playback().CountIn());
    EXPECT_TRUE(sink.Take().empty());

    // The next tune, without a sheet, is practised as the player had it before.
    const std::string other = sandbox.Path("net/jig.abc");
    WriteText(other, kReel);
    window.LoadSong(other);
    EXPECT_EQ(window.Playback().TempoPercent(), 100);
    EXPECT_FALSE(window.Playback().Metronome());
    EXPECT_FALSE(window.Playback().Loop());
}
