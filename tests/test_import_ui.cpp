// Score files where users meet them: the main window, the part dialog, the argument on start
// and the renderer.

#include "app/CDovrelPlinvaraApp.h"
#include "app/CDovrelPlinvaraDlg.h"
#include "app/RenderCommand.h"
#include "controls/CReadOnlySpinBox.h"
#include "import/CMelodyChoiceDlg.h"
#include "import/CVoiceRolesDlg.h"
#include "library/SongSummary.h"
#include "render/CScorePicture.h"
#include "song/CSongData.h"
#include "tests/support/MusicXmlText.h"
#include "tests/support/TestSupport.h"
#include "tests/support/UiTestSupport.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>
#include <sstream>

using namespace mx;

namespace {

const std::string kParts = XmlOfParts({{"P1", "Flute"}, {"P2", "Violin"}},
                                 Part("P1", {Measure(1, Attributes(1) + Note("A5", 4))}) +
                                     Part("P2", {Measure(1, Attributes(1) + Note("G4", 2) + Note("B4", 2)),
                                                 Measure(2, Note("D5", 4))}));

std::vector<int> ShownPitches(const CDovrelPlinvaraDlg& window)
{
    std::vector<int> out;
    for (const ScoreNote& n : window.Score().layout.notes)
        out.push_back(n.pitch);
    return out;
}

} // namespace

class ImportUiTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& text)
    {
        const std::string path = sandbox.Path(name);
        WriteFileBytes(path, Bytes(text));
        return path;
    }
    int Run(const std::vector<std::string>& args)
    {
        out.str("");
        err.str("");
        return RunRenderCommand(args, out, err);
    }

    SandboxDir sandbox;
    RecordingSink sink;
    std::ostringstream out, err;
};

TEST_F(ImportUiTest, PartDialogChoosesAndCancelKeepsTheSong)
{
    const std::string path = Write("duet.musicxml", kParts);
    CDovrelPlinvaraDlg window;
    window.show();
    QStringList names;
    QString title;
    int openRow = -1;
    // Every part's voice is offered with a role; the first part's is the melody until the
    // player gives the melody to the violin.
    WhenModalOpens([&](QWidget* modal) {
        title = modal->windowTitle();
        for (const QLabel* label : modal->findChildren<QLabel*>())
            if (label->buddy() != nullptr)
                names << label->text().section(QLatin1Char(' '), 0, 0);
        openRow = Control<QComboBox>(modal, VoiceRolesControl::kFirstRole)->currentIndex() == 0 ? 0 : -1;
        Control<QComboBox>(modal, VoiceRolesControl::kFirstRole + 1)->setCurrentIndex(static_cast<int>(VoiceRole::kMelody));
        Control<QPushButton>(modal, VoiceRolesControl::kOk)->click();
    });
    window.LoadSong(path);
    EXPECT_EQ(title, QStringLiteral("パートの選択"));
    EXPECT_EQ(names, (QStringList{QStringLiteral("Flute"), QStringLiteral("Violin")}));
    EXPECT_EQ(openRow, 0);
    ASSERT_NE(window.Song(), nullptr);
    EXPECT_EQ(window.Song()->measureCount, 2);
    EXPECT_EQ(ShownPitches(window), (std::vector<int>{67, 71, 74}));

    WhenModalOpens([](QWidget* modal) { Control<QPushButton>(modal, VoiceRolesControl::kCancel)->click(); });
    const Score* before = window.Song();
    window.LoadSong(path);
    EXPECT_EQ(window.Song(), before) << "cancel loads nothing";
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(ImportUiTest, FailedImportShowsItsMessageAndAnEmptyScore)
{
    CDovrelPlinvaraDlg window;
    window.LoadSong(Write("one.xml", OnePart({Measure(1, Attributes(1) + Note("C5", 4))})));
    EXPECT_EQ(ShownPitches(window), std::vector<int>{72});
    window.LoadSong(Write("broken.xml", "<?xml version=\"1.0\"?><score-partwise><part id="));
    EXPECT_EQ(sink.Take(), std::vector<std::string>{"IMPT00000001 楽譜ファイルを読み込めませんでした。"});
    EXPECT_TRUE(window.Score().layout.notes.empty());
    EXPECT_EQ(window.Score().frame.totalLength, 4 * 4 * kUnitsPerBeat);
    EXPECT_EQ(Control<CReadOnlySpinBox>(&window, MainControl::kEndSpin)->value(), 4);
}

TEST_F(ImportUiTest, LoadDialogOffersScoreFilesFirst)
{
    const std::string path = Write("tune.mxl", "");
    WriteFileBytes(path, Mxl(OnePart({Measure(1, Attributes(1) + Note("E5", 4))})));
    CDovrelPlinvaraDlg window;
    window.show();
    QStringList filters;
    WhenModalOpens([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        filters = dialog->nameFilters();
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QString::fromStdString(path));
        QMetaObject::invokeMethod(dialog, "accept");
        if (dialog->isVisible())
            dialog->reject(); // never leave the test waiting on a dialog
    });
    window.RunCommand(MainCommand::kLoad);
    EXPECT_EQ(filters, (QStringList{QStringLiteral("楽譜ファイル (*.mwd *.musicxml *.xml *.mxl *.abc *.mid *.midi)"),
                                    QStringLiteral("mwd files (*.mwd)"), QStringLiteral("MusicXML (*.musicxml *.xml *.mxl)"),
                                    QStringLiteral("ABC (*.abc)"), QStringLiteral("MIDI (*.mid *.midi)"),
                                    QStringLiteral("すべてのファイル (*)")}));
    EXPECT_EQ(ShownPitches(window), std::vector<int>{76});
}

namespace {

// Notes whether the main window had a song when it was first shown.
class ShowWatcher : public QObject {
public:
    bool shown = false, emptyWhenShown = false;
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (auto* window = qobject_cast<CDovrelPlinvaraDlg*>(object); window && event->type() == QEvent::Show && !shown) {
            shown = true;
            emptyWhenShown = window->Song() == nullptr;
        }
        return false;
    }
};

} // namespace

TEST_F(ImportUiTest, TheOneArgumentIsLoadedAfterTheEmptyScoreShows)
{
    const std::string path = Write("start.musicxml", OnePart({Measure(1, Attributes(1) + Note("D5", 2) + Note("F5", 2))}));
    ShowWatcher watcher;
    qApp->installEventFilter(&watcher);
    std::vector<int> shown;
    QTimer poll;
    QElapsedTimer since;
    since.start();
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* window = qobject_cast<CDovrelPlinvaraDlg*>(QApplication::activeModalWidget());
        if (window && (window->Song() || since.elapsed() > kStateLimitMs)) {
            shown = ShownPitches(*window);
            poll.stop();
            window->reject();
        }
    });
    poll.start(10);
    RunMainWindow({QStringLiteral("dovrelplinvara"), QString::fromStdString(path)});
    qApp->removeEventFilter(&watcher);
    EXPECT_TRUE(watcher.shown);
    EXPECT_TRUE(watcher.emptyWhenShown);
    EXPECT_EQ(shown, (std::vector<int>{74, 77}));
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(ImportUiTest, RendererReadsScoresAndWritesSongFiles)
{
    const std::string xml = Write("duet.xml", kParts);
    ASSERT_EQ(Run({"--notes", "--info", "--part", "2", xml}), 0);
    const std::string notes = out.str().substr(out.str().find("lyrics_left_out=0\n") + 18);
    EXPECT_EQ(notes, "0\t67\t12\tmelody\n12\t71\t12\tmelody\n24\t74\t24\tmelody\n");

    const std::string mwd = sandbox.Path("duet.mwd");
    ASSERT_EQ(Run({"--part", "2", "--write-mwd", mwd, "--title", "二重奏のヴァイオリン", "--fame", "77", "--notes", xml}), 0);
    EXPECT_EQ(out.str(), notes);
    EXPECT_EQ(ReadFileBytes(mwd).size(), 94540u);
    const SongSummary summary = ReadSongSummary(mwd, "duet.mwd");
    EXPECT_EQ(summary.fame, 77);
    EXPECT_EQ(Cp932ToUtf8(summary.title), "二重奏のヴァイオリン");
    ASSERT_EQ(Run({"--notes", mwd}), 0);
    EXPECT_EQ(out.str(), notes) << "the written song reads back the same";

    // The first part with notes when none is asked for; a part that is not there.
    ASSERT_EQ(Run({"--notes", xml}), 0);
    EXPECT_EQ(out.str(), "0\t69\t24\tmelody\n") << "A5 is fitted an octave down to the strings";
    EXPECT_EQ(Run({"--part", "3", xml}), 1);
    EXPECT_EQ(sink.Take(), std::vector<std::string>{"IMPT00000004 指定されたパートがありません。"});
    EXPECT_EQ(Run({"--part", "0", xml}), 2);
    EXPECT_EQ(Run({"--fame", "256", xml}), 2);

    // A quintuplet stands at its own times; the song file written from it moves its later four.
    std::string five = Attributes(5);
    for (const char* p : {"C5", "D5", "E5", "F5", "G5"})
        five += Note(p, 1, "<time-modification><actual-notes>5</actual-notes><normal-notes>4</normal-notes></time-modification>");
    const std::string fiveXml = Write("five.xml", OnePart({Measure(1, five + Note("A5", 15))}));
    ASSERT_EQ(Run({"--info", "--write-mwd", sandbox.Path("five.mwd"), fiveXml}), 0);
    EXPECT_NE(out.str().find("moved=0\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("mwd_moved=4\nmwd_dropped=0\n"), std::string::npos) << out.str();
}
