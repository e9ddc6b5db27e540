#include "app/CAboutDlg.h"
#include "app/CDovrelPlinvaraDlg.h"
#include "common/ByteIO.h"
#include "common/FileServices.h"
#include "controls/COffScreenControl.h"
#include "controls/CReadOnlySpinBox.h"
#include "render/CScorePicture.h"
#include "settings/Tuning.h"
#include "song/CSongData.h"
#include "song/CSongFileWriter.h"
#include "tests/support/TestSupport.h"
#include "tests/support/UiTestSupport.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeView>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

class MainWindowTest : public ::testing::Test {
protected:
    std::string WriteSong(const std::string& name, int measures, int beats = 4)
    {
        CSongFileWriter w(measures, beats);
        for (int m = 0; m < measures; ++m)
            w.AddNote(m * beats * 4, 60 + m % 12, 4);
        const std::string path = sandbox.Path(name);
        w.Write(path);
        return path;
    }
    CReadOnlySpinBox* StartBox(QWidget* w) { return Control<CReadOnlySpinBox>(w, MainControl::kStartSpin); }
    CReadOnlySpinBox* EndBox(QWidget* w) { return Control<CReadOnlySpinBox>(w, MainControl::kEndSpin); }

    SandboxDir sandbox;
    RecordingSink sink;
};

TEST_F(MainWindowTest, DefaultGeometry)
{
    CDovrelPlinvaraDlg window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("ハープ用図形楽譜"));
    EXPECT_EQ(window.ButtonColumn(), 436);
    EXPECT_EQ(window.size(), QSize(586, 475));
    EXPECT_EQ(Control(&window, MainControl::kScore)->geometry(), QRect(10, 10, 832, 830));
    EXPECT_EQ(CScorePicture::Surface(0)->size(), QSize(832, 830));
    struct ButtonPlace {
        int id, top;
        const char* caption;
    };
    for (const ButtonPlace& b : {ButtonPlace{MainControl::kPrint, 150, "    印 刷"},
                                 ButtonPlace{MainControl::kLoad, 200, "    読 込"},
                                 ButtonPlace{MainControl::kSettings, 250, "    設 定"},
                                 ButtonPlace{MainControl::kLibrary, 300, "　 ﾗｲﾌﾞﾗﾘ"},
                                 ButtonPlace{MainControl::kExit, 350, "    終 了"}})
        EXPECT_EQ(Control(&window, b.id)->geometry(), QRect(436, b.top, 88, 30)) << b.caption;
    EXPECT_EQ(Control<QLabel>(&window, MainControl::kStartLabel)->text(), QStringLiteral("開始小節"));
    EXPECT_EQ(Control<QLabel>(&window, MainControl::kEndLabel)->pos(), QPoint(436, 60));
    EXPECT_EQ(StartBox(&window)->maximum(), 1);
    EXPECT_TRUE(Control<QLineEdit>(&window, MainControl::kEndEdit)->isReadOnly());
    EXPECT_EQ(Control<COffScreenControl>(&window, MainControl::kLibrary)->Index(), MainCommand::kLibrary);
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(194, 194, 200));
    // At half size the score shows its string lines.
    const QImage shown = Control<COffScreenControl>(&window, MainControl::kScore)->ShownPicture();
    EXPECT_EQ(shown.size(), QSize(416, 415));
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(MainWindowTest, LoadingShowsAtMost32MeasuresAndTheBoxesAllowTheWholeSong)
{
    CDovrelPlinvaraDlg window;
    window.LoadSong(WriteSong("long.mwd", 40));
    EXPECT_EQ(StartBox(&window)->value(), 1);
    EXPECT_EQ(EndBox(&window)->value(), 32);
    EXPECT_EQ(EndBox(&window)->maximum(), 40);
    EXPECT_EQ(window.Score().frame.totalLength, 32 * 4 * 6);
    EXPECT_EQ(window.Settings().endMeasure, 32);

    // Stepping the boxes lays out the chosen measures.
    EndBox(&window)->setValue(40);
    StartBox(&window)->setValue(33);
    EXPECT_EQ(window.Score().frame.totalLength, 8 * 4 * 6);
    ASSERT_FALSE(window.Score().layout.notes.empty());
    EXPECT_EQ(window.Score().layout.notes.front().pitch, 60 + 32 % 12);
    EXPECT_EQ(window.Settings().startMeasure, 33);
    EXPECT_EQ(window.Settings().endMeasure, 40);
    // The start never passes the end: moving the end below it takes it along.
    EndBox(&window)->setValue(20);
    EXPECT_EQ(StartBox(&window)->value(), 20);

    window.LoadSong(WriteSong("short.mwd", 5));
    EXPECT_EQ(EndBox(&window)->value(), 5);
    EXPECT_EQ(EndBox(&window)->maximum(), 5);
    EXPECT_EQ(StartBox(&window)->value(), 1);
    EXPECT_EQ(window.Song()->measureCount, 5);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(MainWindowTest, MissingFileShowsTheReadersMessagesAndAnEmptyScore)
{
    CDovrelPlinvaraDlg window;
    window.LoadSong(WriteSong("good.mwd", 8));
    window.LoadSong(sandbox.Path("missing.mwd"));
    EXPECT_EQ(sink.Take(), (std::vector<std::string>{"SGDT00000000 楽曲情報でエラーがおきました。", "[0]",
                                                     "time sign 0"}));
    EXPECT_EQ(EndBox(&window)->value(), 4);
    EXPECT_TRUE(window.Score().layout.notes.empty());
    EXPECT_EQ(window.Score().frame.totalLength, 4 * 4 * 6);
}

TEST_F(MainWindowTest, LoadFromFileDialogAndItsCancel)
{
    const std::string path = WriteSong("chosen.mwd", 6);
    CDovrelPlinvaraDlg window;
    window.show();
    WhenModalOpens([](QWidget* modal) { modal->close(); });
    window.RunCommand(MainCommand::kLoad);
    EXPECT_EQ(window.Song(), nullptr) << "cancel changes nothing";

    WhenModalOpens([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->nameFilters().first(), QStringLiteral("楽譜ファイル (*.mwd *.musicxml *.xml *.mxl *.abc *.mid *.midi)"));
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QString::fromStdString(path));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    window.RunCommand(MainCommand::kLoad);
    ASSERT_NE(window.Song(), nullptr);
    EXPECT_EQ(window.Song()->measureCount, 6);
}

TEST_F(MainWindowTest, ExitWritesTheSettingsFile)
{
    const std::string file = sandbox.ConfigHome() + "/PV/setup.ini";
    {
        CDovrelPlinvaraDlg window;
        EXPECT_TRUE(fs::is_directory(sandbox.ConfigHome() + "/PV"));
        EXPECT_FALSE(fs::exists(file));
        window.LoadSong(WriteSong("song.mwd", 12));
        window.show();
        QTest::mousePress(Control(&window, MainControl::kExit), Qt::LeftButton, {}, QPoint(40, 15));
        EXPECT_EQ(window.result(), QDialog::Accepted);
        EXPECT_FALSE(window.isVisible());
    }
    const std::vector<uint8_t> bytes = ReadFileBytes(file);
    ASSERT_EQ(bytes.size(), 184u);
    EXPECT_EQ(bytes::ReadInt32(bytes, 164), 12) << "the last measure range is stored";
}

TEST_F(MainWindowTest, VersionDialogOpensAndCloses)
{
    CDovrelPlinvaraDlg window;
    window.show();
    QString title;
    WhenModalOpens([&](QWidget* modal) {
        title = modal->windowTitle();
        QTest::mouseClick(Control(modal, 1), Qt::LeftButton);
    });
    window.OnSystemCommand(MainCommand::kAbout);
    EXPECT_EQ(title, QStringLiteral("DovrelPlinvaraのﾊﾞｰｼﾞｮﾝ情報"));
    EXPECT_TRUE(window.isVisible());
}

TEST_F(MainWindowTest, EnterEndsTheWindowLikeItsCloseBoxAndTheSettingsAreWritten)
{
    const std::string file = sandbox.ConfigHome() + "/PV/setup.ini";
    {
        CDovrelPlinvaraDlg window;
        window.show();
        QTest::keyClick(&window, Qt::Key_Return);
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(window.result(), QDialog::Rejected) << "the same end as Escape and the close box";
        // Enter on a measure box reaches the window too.
        window.LoadSong(WriteSong("song.mwd", 3));
        window.show();
        QTest::keyClick(Control(&window, MainControl::kEndEdit), Qt::Key_Enter);
        EXPECT_FALSE(window.isVisible());
    }
    EXPECT_EQ(ReadFileBytes(file).size(), 184u);
}

TEST_F(MainWindowTest, TheWindowSitsAtTheScreensTopLeftAndTitlesAreTheirOwn)
{
    CDovrelPlinvaraDlg window;
    window.show();
    EXPECT_EQ(window.pos(), QPoint(0, 0)) << "not centred";
    // A display name would be appended by Qt to every other window's title.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
}

TEST_F(MainWindowTest, NotesWithoutAStringAreToldOncePerLoad)
{
    ConfigRecord diatonic = DefaultConfigRecord();
    diatonic.stringCount = 15;
    FillStringNotes(diatonic, Tuning::CMajor); // G3 to G5
    fs::create_directories(sandbox.ConfigHome() + "/PV");
    {
        const ConfigImage image = EncodeConfigRecord(diatonic);
        WriteFileBytes(sandbox.ConfigHome() + "/PV/setup.ini", std::vector<uint8_t>(image.begin(), image.end()));
    }
    CDovrelPlinvaraDlg window;
    CSongFileWriter chromaticRun(1, 4);
    for (int i = 0; i < 4; ++i)
        chromaticRun.AddNote(i * 4, 60 + i, 4); // C C# D D#: a semitone down, only C# has no string
    chromaticRun.Write(sandbox.Path("run.mwd"));
    window.LoadSong(sandbox.Path("run.mwd"));
    EXPECT_EQ(sink.Take(), std::vector<std::string>{"STRG00000001 弦のない音符が1個あります。楽譜には表示されません。"});
    EndBox(&window)->setValue(1);
    EXPECT_EQ(sink.Count(), 0u) << "not again when the range is stepped";

    CSongFileWriter scale(1, 4);
    for (int i = 0; i < 4; ++i)
        scale.AddNote(i * 4, std::vector<int>{60, 62, 64, 65}[static_cast<size_t>(i)], 4);
    scale.Write(sandbox.Path("scale.mwd"));
    window.LoadSong(sandbox.Path("scale.mwd"));
    EXPECT_EQ(sink.Count(), 0u) << "a song that fits says nothing";
}

TEST_F(MainWindowTest, TheVersionTextIsWholeInTheFontInUse)
{
    CAboutDlg about;
    EXPECT_EQ(about.size(), QSize(352, 82)) << "the dialog keeps its size";
    auto* text = about.findChild<QLabel*>(QStringLiteral("text"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text().replace(QLatin1Char('\n'), QLatin1Char(' ')).simplified(), QStringLiteral("DovrelPlinvara ハープ用図形楽譜 Version " DP_VERSION));
    const QFontMetrics metrics(text->font());
    const QStringList lines = text->text().split(QLatin1Char('\n'));
    for (const QString& line : lines)
        EXPECT_LE(metrics.horizontalAdvance(line), text->width()) << line.toStdString();
    EXPECT_GE(text->height(), static_cast<int>(lines.size()) * metrics.lineSpacing() - metrics.leading());
    EXPECT_TRUE(about.rect().contains(text->geometry()));
    EXPECT_LT(text->geometry().right(), about.findChild<QPushButton*>()->geometry().left());
}

// Qt's file and print dialogs speak Japanese where the distribution's catalogue is silent.
TEST_F(MainWindowTest, QtsOwnDialogsHaveTheirMissingJapaneseTexts)
{
    EXPECT_EQ(QCoreApplication::translate("QPrintPropertiesWidget", "Advanced"), QStringLiteral("詳細設定"));
    EXPECT_EQ(QCoreApplication::translate("QPrintPropertiesWidget", "Page"), QStringLiteral("ページ")) << "Qt's own catalogue";

    fs::create_directory(sandbox.Path("Archive"));
    WriteSong("song.mwd", 2);
    QString type, date, fileType;
    int dateWidth = 0, dateNeeds = 0;
    WhenModalOpens([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->setDirectory(QString::fromStdString(sandbox.Path()));
        auto* details = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
        ASSERT_NE(details, nullptr);
        QAbstractItemModel* shown = details->model();
        auto row = [&](const QString& name) {
            for (int r = 0; r < shown->rowCount(details->rootIndex()); ++r)
                if (shown->index(r, 0, details->rootIndex()).data().toString() == name)
                    return r;
            return -1;
        };
        EXPECT_TRUE(QTest::qWaitFor([&] { return row(QStringLiteral("Archive")) >= 0 && row(QStringLiteral("song.mwd")) >= 0; }, 10000));
        const int folder = row(QStringLiteral("Archive")), song = row(QStringLiteral("song.mwd"));
        type = shown->index(folder, 2, details->rootIndex()).data().toString();
        fileType = shown->index(song, 2, details->rootIndex()).data().toString();
        date = shown->index(song, 3, details->rootIndex()).data().toString();
        dialog->resize(636, 412); // the size Qt gives it on a 1280 x 1024 screen
        QTest::qWait(50);
        dateWidth = details->header()->sectionSize(3);
        dateNeeds = details->fontMetrics().horizontalAdvance(date);
        dialog->reject();
    });
    CDovrelPlinvaraDlg window;
    window.show();
    window.RunCommand(MainCommand::kLoad);
    EXPECT_EQ(type, QStringLiteral("フォルダ"));
    EXPECT_EQ(fileType, QStringLiteral("不明")) << "file types in the locale's words";
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}/\\d{2}/\\d{2} \\d{1,2}:\\d{2}$")).match(date).hasMatch())
        << date.toStdString();
    EXPECT_GT(dateWidth, dateNeeds) << "the date is whole";
}
