#include "app/CAboutDlg.h"
#include "app/CDovrelPlinvaraDlg.h"
#include "audio/ScorePlayback.h"
#include "common/ByteIO.h"
#include "common/FileServices.h"
#include "controls/COffScreenControl.h"
#include "controls/CReadOnlySpinBox.h"
#include "render/CScorePicture.h"
#include "settings/Tuning.h"
#include "song/CSongData.h"
#include "song/CSongFileWriter.h"
#include "tests/support/FakeAudioDevice.h"
#include "tests/support/TestSupport.h"
#include "tests/support/UiTestSupport.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
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
    EXPECT_FALSE(Control<QLineEdit>(&window, MainControl::kEndEdit)->isReadOnly()) << "a measure is typed too";
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
    EXPECT_EQ(window.Score().frame.totalLength, 32 * 4 * kUnitsPerBeat);
    EXPECT_EQ(window.Settings().endMeasure, 32);

    // Stepping the boxes lays out the chosen measures.
    EndBox(&window)->setValue(40);
    StartBox(&window)->setValue(33);
    EXPECT_EQ(window.Score().frame.totalLength, 8 * 4 * kUnitsPerBeat);
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

TEST_F(MainWindowTest, TheBoxesCountEveryWrittenMeasureOfAScoreBeyond32767)
{
    // A repeated first measure, then 40,000 measures of one 256th each: each written measure
    // is drawn once (the empty one after the last bar line makes no measure of its own).
    std::string abc = "X:1\nT:Long\nM:4/4\nL:1/256\nK:C\n|:C128E128:|\n";
    for (int line = 0; line < 40; ++line) {
        for (int m = 0; m < 1000; ++m)
            abc += "c|";
        abc += "\n";
    }
    const std::string path = sandbox.Path("long.abc");
    WriteFileBytes(path, std::vector<uint8_t>(abc.begin(), abc.end()));
    CDovrelPlinvaraDlg window;
    window.LoadSong(path);
    ASSERT_TRUE(window.Score().DrawnOnce());
    EXPECT_EQ(window.Score().measureCount, 40001);
    for (CReadOnlySpinBox* box : {StartBox(&window), EndBox(&window)}) {
        EXPECT_EQ(box->minimum(), 1);
        EXPECT_EQ(box->maximum(), 40001);
    }
    EXPECT_EQ(StartBox(&window)->value(), 1);
    EXPECT_EQ(EndBox(&window)->value(), 32);
    EXPECT_EQ(EndBox(&window)->Edit()->text(), QStringLiteral("32"));

    EndBox(&window)->setValue(40000);
    StartBox(&window)->setValue(39999);
    EXPECT_EQ(window.Settings().startMeasure, 39999);
    EXPECT_EQ(window.Settings().endMeasure, 40000);
    EXPECT_EQ(window.Score().measures.last, 40000);
    EXPECT_EQ(EndBox(&window)->Edit()->text(), QStringLiteral("40000"));
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
    EXPECT_EQ(window.Score().frame.totalLength, 4 * 4 * kUnitsPerBeat);
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

TEST_F(MainWindowTest, TheCloseBoxEndsTheWindowAndTheSettingsAreWritten)
{
    const std::string file = sandbox.ConfigHome() + "/PV/setup.ini";
    {
        CDovrelPlinvaraDlg window;
        window.show();
        window.close();
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(window.result(), QDialog::Rejected);
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
        EXPECT_TRUE(WaitForState([&] { return row(QStringLiteral("Archive")) >= 0 && row(QStringLiteral("song.mwd")) >= 0; }));
        const int folder = row(QStringLiteral("Archive")), song = row(QStringLiteral("song.mwd"));
        type = shown->index(folder, 2, details->rootIndex()).data().toString();
        fileType = shown->index(song, 2, details->rootIndex()).data().toString();
        date = shown->index(song, 3, details->rootIndex()).data().toString();
        dialog->resize(636, 412); // the size Qt gives it on a 1280 x 1024 screen
        dateNeeds = details->fontMetrics().horizontalAdvance(date);
        // The columns follow the new size once its events are through.
        WaitForState([&] { return details->header()->sectionSize(3) > dateNeeds; });
        dateWidth = details->header()->sectionSize(3);
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

// ---- playback ---------------------------------------------------------------------------------

namespace {

std::string SampleSong(const char* name)
{
    return std::string(DP_SAMPLE_DIR) + "/" + name;
}

// The texts of the context menu's items, chosen there by `choose` (nothing when it returns
// nullptr), as a user would open it.
QStringList UseContextMenu(CDovrelPlinvaraDlg& window, std::function<QAction*(QMenu&)> choose = {})
{
    QStringList texts;
    WhenPopupOpens([&](QWidget* popup) {
        auto* menu = qobject_cast<QMenu*>(popup);
        if (!menu) {
            popup->close();
            return;
        }
        for (QAction* action : menu->actions())
            texts << action->text();
        QAction* chosen = choose ? choose(*menu) : nullptr;
        if (chosen && chosen->parent() == menu) {
            menu->setActiveAction(chosen);
            QTest::keyClick(menu, Qt::Key_Return);
            return;
        }
        if (chosen)
            chosen->trigger(); // an item of the tempo submenu
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(50, 50), window.mapToGlobal(QPoint(50, 50)));
    QApplication::sendEvent(&window, &event);
    return texts;
}

QAction* Item(QMenu& menu, const QString& text)
{
    for (QAction* action : menu.actions())
        if (action->text() == text)
            return action;
    if (auto* tempo = menu.findChild<QMenu*>(QStringLiteral("TempoMenu")))
        for (QAction* action : tempo->actions())
            if (action->text() == text)
                return action;
    return nullptr;
}

// Pixels of the shown picture in the mark's colour.
int MarkPixels(const QRect& within = QRect())
{
    const QImage& shown = *CScorePicture::Surface(0);
    const QRect box = within.isNull() ? shown.rect() : within.intersected(shown.rect());
    int count = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            count += shown.pixel(x, y) == CScorePicture::kMarkColour;
    return count;
}

} // namespace

// With the test's device setting the clock: at every note start the marked note is the one the
// synthesizer has just started, ringed on the picture with nothing else changed, and the mark
// goes when the sound ends.
TEST_F(MainWindowTest, TheMarkFollowsTheSoundingNoteAndStopsWithTheSound)
{
    FakeAudioDevice device;
    CDovrelPlinvaraDlg window(nullptr, device.Factory());
    window.show();
    window.LoadSong(SampleSong("twinkle.mwd"));
    const QImage plain = CScorePicture::Surface(0)->copy();
    const ScoreGeometry& g = window.Score().geometry;
    ASSERT_GT(g.notes.size(), 20u);

    // The space bar, with the focus where the window puts it.
    QWidget* focused = QApplication::focusWidget() ? QApplication::focusWidget() : &window;
    QTest::keyClick(focused, Qt::Key_Space);
    ScorePlayback& playback = window.Playback();
    ASSERT_TRUE(WaitForState([&] { return playback.CurrentState() == ScorePlayback::State::kPlaying; }));
    const PlaySchedule& schedule = playback.Schedule();
    ASSERT_EQ(schedule.notes.size(), g.notes.size());
    EXPECT_EQ(schedule.length, int64_t(12) * 4 * kSampleRate * 60 / 100) << "12 measures of 4 beats at 100";

    int64_t clock = 0;
    for (size_t i = 0; i < schedule.notes.size(); ++i) {
        const ScheduledNote& note = schedule.notes[i];
        // Up to the note's first frame.
        ASSERT_TRUE(device.Advance(note.start + 1 - clock));
        clock = note.start + 1;
        playback.Follow();
        ASSERT_EQ(playback.LastStartedNote(), int(i)) << "the synthesizer sounds note " << i;
        ASSERT_EQ(playback.MarkedNote(), note.placed) << i;
        const PlacedNote& drawn = g.notes[size_t(note.placed)];
        const QRect ring(drawn.left - 6, drawn.top - 6, drawn.right - drawn.left + 12, drawn.bottom - drawn.top + 12);
        EXPECT_GT(MarkPixels(ring), 10) << i;
        EXPECT_EQ(MarkPixels(), MarkPixels(ring)) << "only the ring is drawn";
        // Under the ring the picture is as it was.
        const QImage& shown = *CScorePicture::Surface(0);
        for (int y = drawn.top; y < drawn.bottom; ++y)
            for (int x = drawn.left; x < drawn.right; ++x)
                ASSERT_EQ(shown.pixel(x, y), plain.pixel(x, y)) << i;
    }
    // The last note's end: no mark while the strings ring out, then the playback is over.
    ASSERT_TRUE(device.Advance(schedule.length - clock));
    playback.Follow();
    EXPECT_EQ(playback.MarkedNote(), schedule.notes.back().placed) << "its last frame";
    ASSERT_TRUE(device.Advance(1));
    playback.Follow();
    EXPECT_EQ(playback.MarkedNote(), -1);
    EXPECT_TRUE(playback.Active());
    ASSERT_TRUE(device.Advance(kSampleRate * 2));
    playback.Follow();
    EXPECT_EQ(playback.CurrentState(), ScorePlayback::State::kStopped);
    EXPECT_EQ(*CScorePicture::Surface(0), plain);
    ASSERT_TRUE(WaitForState([&] { return device.Closed() == 1; }));
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(MainWindowTest, PlayAndStopFromTheMenuAndEverythingThatChangesTheScoreStopsFirst)
{
    FakeAudioDevice device;
    CDovrelPlinvaraDlg window(nullptr, device.Factory());
    window.show();
    window.LoadSong(SampleSong("twinkle.mwd"));
    ScorePlayback& playback = window.Playback();
    const QImage plain = CScorePicture::Surface(0)->copy();

    const auto play = [&] {
        const QStringList items = UseContextMenu(window, [](QMenu& m) { return Item(m, QStringLiteral("再生(&P)")); });
        EXPECT_EQ(items.mid(0, 3), (QStringList{QStringLiteral("再生(&P)"), QStringLiteral("テンポ(&T)"),
                                                QStringLiteral("ループ(&L)")}));
        ASSERT_TRUE(WaitForState([&] { return playback.CurrentState() == ScorePlayback::State::kPlaying; }));
        EXPECT_TRUE(device.Advance(kSampleRate / 10));
        playback.Follow();
        EXPECT_EQ(playback.MarkedNote(), 0);
        EXPECT_GT(MarkPixels(), 0);
    };
    const auto stopped = [&](const char* by) {
        EXPECT_EQ(playback.CurrentState(), ScorePlayback::State::kStopped) << by;
        EXPECT_EQ(MarkPixels(), 0) << by;
        ASSERT_TRUE(WaitForState([&] { return device.Closed() == device.Opened(); }));
        EXPECT_FALSE(device.Render(64)) << by << ": the device is closed";
    };

    play();
    const QStringList items = UseContextMenu(window, [](QMenu& m) { return Item(m, QStringLiteral("停止(&P)")); });
    EXPECT_EQ(items.value(0), QStringLiteral("停止(&P)"));
    stopped("停止");
    EXPECT_EQ(*CScorePicture::Surface(0), plain);

    play();
    QTest::keyClick(&window, Qt::Key_Space);
    stopped("the space bar");

    play();
    EndBox(&window)->stepDown();
    stopped("a measure box");

    play();
    ScorePlayback::State whenOpen = ScorePlayback::State::kPlaying;
    WhenModalOpens([&](QWidget* modal) {
        whenOpen = playback.CurrentState();
        modal->close();
    });
    window.OnSystemCommand(MainCommand::kAbout);
    EXPECT_EQ(whenOpen, ScorePlayback::State::kStopped) << "a dialog";
    stopped("a dialog");

    play();
    window.LoadSong(SampleSong("sakura.mwd"));
    stopped("loading");

    play();
    window.reject();
    stopped("closing the window");
    EXPECT_EQ(sink.Count(), 0u);
}

// The speed and the loop are chosen in the menu; a new speed plays on from the same place.
TEST_F(MainWindowTest, TempoAndLoopFromTheMenu)
{
    FakeAudioDevice device;
    CDovrelPlinvaraDlg window(nullptr, device.Factory());
    window.show();
    window.LoadSong(SampleSong("twinkle.mwd"));
    ScorePlayback& playback = window.Playback();
    const QStringList percents = [&] {
        QStringList texts;
        UseContextMenu(window, [&](QMenu& m) {
            for (QAction* a : m.findChild<QMenu*>(QStringLiteral("TempoMenu"))->actions())
                texts << a->text() + (a->isChecked() ? "*" : "");
            return nullptr;
        });
        return texts;
    }();
    // The common speeds, short enough to take in at a glance; any other is typed.
    EXPECT_EQ(percents, (QStringList{"50%", "60%", "70%", "75%", "80%", "90%", "100%*", "110%", "125%", "150%", "",
                                     "その他(&O)..."}));

    QTest::keyClick(&window, Qt::Key_Space);
    ASSERT_TRUE(WaitForState([&] { return playback.CurrentState() == ScorePlayback::State::kPlaying; }));
    const int64_t length = playback.Schedule().length;
    const int64_t third = playback.Schedule().notes[3].start;
    ASSERT_TRUE(device.Advance(third + 1));
    UseContextMenu(window, [](QMenu& m) { return Item(m, QStringLiteral("50%")); });
    EXPECT_EQ(playback.TempoPercent(), 50);
    ASSERT_TRUE(WaitForState([&] { return playback.CurrentState() == ScorePlayback::State::kPlaying; }));
    EXPECT_EQ(playback.Schedule().length, 2 * length);
    ASSERT_TRUE(device.Render(1));
    playback.Follow();
    EXPECT_EQ(playback.Schedule().notes[size_t(SoundingNoteAt(playback.Schedule(), 2 * third))].placed,
              playback.MarkedNote())
        << "the same note, now at half the speed";

    UseContextMenu(window, [](QMenu& m) { return Item(m, QStringLiteral("ループ(&L)")); });
    EXPECT_TRUE(playback.Loop());
    EXPECT_EQ(playback.CurrentState(), ScorePlayback::State::kPlaying) << "the loop item does not stop";
    const QStringList slowed = [&] {
        QStringList texts;
        UseContextMenu(window, [&](QMenu& m) {
            for (QAction* a : m.findChild<QMenu*>(QStringLiteral("TempoMenu"))->actions())
                texts << a->text() + (a->isChecked() ? "*" : "");
            return nullptr;
        });
        return texts;
    }();
    EXPECT_EQ(slowed.mid(0, 2), (QStringList{"50%*", "60%"})) << "the speed chosen is checked";
    ASSERT_TRUE(device.Advance(2 * length - 2 * (third + 1) + kSampleRate / 10));
    playback.Follow();
    EXPECT_TRUE(playback.Active()) << "looping";
    EXPECT_EQ(playback.MarkedNote(), playback.Schedule().notes[0].placed) << "from the first note again";
    EXPECT_EQ(playback.LastStartedNote(), 0);
    playback.Stop();
}

// Without a device, 再生 says so once each time and the window goes on.
TEST_F(MainWindowTest, WithoutASoundDevicePlaySaysSoAndTheWindowGoesOn)
{
    FakeAudioDevice device;
    device.SetPresent(false);
    CDovrelPlinvaraDlg window(nullptr, device.Factory());
    window.show();
    window.LoadSong(SampleSong("twinkle.mwd"));
    const QImage plain = CScorePicture::Surface(0)->copy();
    for (int press = 0; press < 2; ++press) {
        QTest::keyClick(&window, Qt::Key_Space);
        ASSERT_TRUE(WaitForState([&] { return sink.Count() == 1u; }));
        EXPECT_EQ(sink.Take(), std::vector<std::string>{"音声を再生できる装置が見つかりません。"});
        EXPECT_EQ(window.Playback().CurrentState(), ScorePlayback::State::kStopped);
        QTest::qWait(50);
        EXPECT_EQ(sink.Count(), 0u) << "said once";
    }
    EXPECT_EQ(UseContextMenu(window).value(0), QStringLiteral("再生(&P)"));
    EXPECT_EQ(*CScorePicture::Surface(0), plain);
    // A device that appears later is used.
    device.SetPresent(true);
    QTest::keyClick(&window, Qt::Key_Space);
    ASSERT_TRUE(WaitForState([&] { return window.Playback().CurrentState() == ScorePlayback::State::kPlaying; }));
    window.LoadSong(SampleSong("sakura.mwd"));
    EXPECT_EQ(window.Playback().CurrentState(), ScorePlayback::State::kStopped);
    EXPECT_EQ(sink.Count(), 0u);
}

// Without any soundfont 再生 says so, and no device is opened.
TEST_F(MainWindowTest, WithoutASoundFontPlaySaysSo)
{
    FakeAudioDevice device;
    CDovrelPlinvaraDlg window(nullptr, device.Factory());
    window.LoadSong(SampleSong("twinkle.mwd"));
    const std::string notOne = sandbox.Path("mine.sf2");
    WriteFileBytes(notOne, std::vector<uint8_t>(64, 'x'));
    const char* const none[] = {"/nonexistent/harp.sf2"};
    ScorePlayback playback(device.Factory(), notOne, nullptr, none);
    playback.Play(window.Score(), 100);
    ASSERT_TRUE(WaitForState([&] { return sink.Count() == 1u; }));
    EXPECT_EQ(sink.Take(), std::vector<std::string>{"音色ファイル（サウンドフォント）が見つかりません。"});
    EXPECT_EQ(playback.CurrentState(), ScorePlayback::State::kStopped);
    EXPECT_EQ(device.Opened(), 0);
}

// A damaged soundfont named in sound.ini gives way to the installed one: 再生 plays and says so
// once for the window.
TEST_F(MainWindowTest, ADamagedSoundFontOfThePlayersIsReplacedByTheInstalledOneOnce)
{
    const std::string damaged = sandbox.Path("harp.sf2");
    fs::create_directories(sandbox.ConfigHome() + "/PV");
    const std::string ini = "[sound]\nsoundfont=" + damaged + "\n";
    WriteFileBytes(sandbox.ConfigHome() + "/PV/sound.ini", std::vector<uint8_t>(ini.begin(), ini.end()));
    WriteFileBytes(damaged, {'R', 'I', 'F', 'F', 4, 0, 0, 0, 's', 'f', 'b', 'k'});
    FakeAudioDevice device;
    CDovrelPlinvaraDlg window(nullptr, device.Factory());
    window.show();
    window.LoadSong(SampleSong("twinkle.mwd"));
    for (int press = 0; press < 2; ++press) {
        QTest::keyClick(&window, Qt::Key_Space);
        QTRY_VERIFY(window.Playback().CurrentState() == ScorePlayback::State::kPlaying);
        if (press == 0) {
            QTRY_COMPARE(sink.Count(), 1u);
            const std::vector<std::string> said = sink.Take();
            EXPECT_NE(said[0].find("「" + damaged + "」"), std::string::npos) << said[0];
            EXPECT_NE(said[0].find("インストールされている音色ファイルで再生します"), std::string::npos) << said[0];
        }
        QTest::keyClick(&window, Qt::Key_Space);
        EXPECT_EQ(window.Playback().CurrentState(), ScorePlayback::State::kStopped);
    }
    EXPECT_EQ(sink.Count(), 0u) << "said once";
}
