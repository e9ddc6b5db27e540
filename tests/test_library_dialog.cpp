#include "app/CDovrelPlinvaraDlg.h"
#include "common/FileServices.h"
#include "library/CArchiveDlg.h"
#include "song/CSongData.h"
#include "song/CSongFileWriter.h"
#include "tests/support/TestSupport.h"
#include "tests/support/UiTestSupport.h"

#include <QComboBox>
#include <QListWidget>
#include <QThread>
#include <mutex>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace ArchiveControl;

class LibraryDialogTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directory(Archive()); }
    std::string Archive() const { return sandbox.Path("Archive"); }
    void AddSong(const std::string& name, int fame, const std::string& title)
    {
        CSongFileWriter w(2, 4);
        w.AddNote(0, 60 + fame % 12, 4);
        w.SetFame(fame);
        w.SetTitleUtf8(title);
        ASSERT_TRUE(w.Write(Archive() + "/" + name));
    }
    // Runs the library on the sandbox, waits for the list, then `act`s inside it.
    std::string Run(const std::function<void(CArchiveDlg*)>& act, const std::string& base = "")
    {
        CArchiveDlg dialog;
        dialog.SetBaseFolder(base.empty() ? sandbox.Path() : base);
        WhenModalOpens([&](QWidget*) {
            EXPECT_TRUE(WaitForState([&] { return dialog.IsFilled(); }));
            act(&dialog);
        });
        dialog.exec();
        return dialog.ResultPath();
    }
    static QListWidget* List(QWidget* d) { return Control<QListWidget>(d, kSongList); }
    static QStringList Titles(QWidget* d)
    {
        QStringList titles;
        for (int i = 0; i < List(d)->count(); ++i)
            titles << List(d)->item(i)->text();
        return titles;
    }

    SandboxDir sandbox;
    RecordingSink sink;
};

TEST_F(LibraryDialogTest, FameFiltersShowTheirSongsInFolderOrder)
{
    const int fames[] = {0, 39, 40, 70, 99, 100, 255};
    for (int f : fames)
        AddSong("song" + std::to_string(1000 + f) + ".mwd", f, "曲" + std::to_string(f));
    Run([](CArchiveDlg* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("ライブラリ"));
        QComboBox* filter = Control<QComboBox>(d, kFameFilter);
        EXPECT_EQ(filter->currentIndex(), 3);
        EXPECT_EQ(filter->currentText(), QStringLiteral("超有名曲のみ表示"));
        EXPECT_EQ(Titles(d).join(QStringLiteral(",")).toStdString(), "曲100,曲255");
        const int expected[] = {7, 5, 4, 2};
        for (int i = 0; i < 4; ++i) {
            filter->setCurrentIndex(i);
            EXPECT_EQ(List(d)->count(), expected[i]) << filter->currentText().toStdString();
            EXPECT_EQ(d->EntryCount(), expected[i]);
            if (i == 0) {
                EXPECT_EQ(Titles(d).first().toStdString(), "曲0");
            }
        }
        d->reject();
    });
}

TEST_F(LibraryDialogTest, DoubleClickAndLoadButtonGiveTheSamePath)
{
    AddSong("a.mwd", 100, "A");
    AddSong("b.mwd", 120, "B");
    const std::string byButton = Run([](CArchiveDlg* d) {
        List(d)->setCurrentRow(1);
        Click(Control(d, kLoad), QPoint(40, 15));
    });
    const std::string byDoubleClick = Run([](CArchiveDlg* d) {
        QListWidget* list = List(d);
        const QRect row = list->visualItemRect(list->item(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
    });
    EXPECT_EQ(byButton, sandbox.Path() + "/Archive/b.mwd");
    EXPECT_EQ(byDoubleClick, byButton);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(LibraryDialogTest, LoadWithoutASelectionSaysErrAndStays)
{
    AddSong("a.mwd", 100, "A");
    const std::string path = Run([this](CArchiveDlg* d) {
        Click(Control(d, kLoad), QPoint(40, 15));
        EXPECT_EQ(sink.Take(), std::vector<std::string>{"err"});
        EXPECT_TRUE(d->isVisible());
        d->reject();
    });
    EXPECT_EQ(path, "");
}

TEST_F(LibraryDialogTest, CancelCloseEscapeAndEnterChooseNothing)
{
    AddSong("a.mwd", 100, "A");
    const std::vector<std::function<void(CArchiveDlg*)>> ways = {
        [](CArchiveDlg* d) { Click(Control(d, kCancel), QPoint(40, 15)); },
        [](CArchiveDlg* d) { d->close(); },
        [](CArchiveDlg* d) { QTest::keyClick(d, Qt::Key_Escape); },
        [](CArchiveDlg* d) { QTest::keyClick(d, Qt::Key_Return); },
    };
    for (const auto& way : ways)
        EXPECT_EQ(Run([&](CArchiveDlg* d) {
                      List(d)->setCurrentRow(0);
                      way(d);
                  }),
                  "");
}

TEST_F(LibraryDialogTest, BaseFolderEndingInSlashGetsNoDoubledSeparator)
{
    AddSong("a.mwd", 100, "A");
    const std::string path = Run(
        [](CArchiveDlg* d) {
            List(d)->setCurrentRow(0);
            Click(Control(d, kLoad), QPoint(40, 15));
        },
        sandbox.Path() + "/");
    EXPECT_EQ(path, sandbox.Path() + "/Archive/a.mwd");
}

TEST_F(LibraryDialogTest, RefilterDoesNotScanAgain)
{
    AddSong("a.mwd", 100, "A");
    Run([this](CArchiveDlg* d) {
        AddSong("late.mwd", 200, "Late");
        Control<QComboBox>(d, kFameFilter)->setCurrentIndex(0);
        EXPECT_EQ(Titles(d), QStringList{QStringLiteral("A")});
        d->reject();
    });
}

TEST_F(LibraryDialogTest, ShortAndUnreadableFilesAreListedByName)
{
    AddSong("good.mwd", 10, "Good");
    WriteFileBytes(Archive() + "/old.mwd", std::vector<uint8_t>(32780, 0));
    fs::create_directory(Archive() + "/folder.mwd");
    WriteFileBytes(Archive() + "/broken\xff\xfe.mwd", std::vector<uint8_t>(100, 0));
    // A FIFO would stop the scan in its open, and closing the dialog would wait for it forever.
    ASSERT_EQ(mkfifo((Archive() + "/pipe.mwd").c_str(), 0644), 0);
    alarm(60);
    Run([](CArchiveDlg* d) {
        Control<QComboBox>(d, kFameFilter)->setCurrentIndex(0);
        EXPECT_EQ(List(d)->count(), 5);
        EXPECT_TRUE(Titles(d).contains(QStringLiteral("old")));
        EXPECT_TRUE(Titles(d).contains(QStringLiteral("folder")));
        EXPECT_TRUE(Titles(d).contains(QStringLiteral("pipe")));
        d->reject();
    });
    alarm(0);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(LibraryDialogTest, MoreThan2000FilesSayErrOnceAndList2000)
{
    CSongFileWriter w(1, 4);
    w.SetFame(150);
    const std::vector<uint8_t> bytes = w.Build();
    for (int i = 0; i < 2001; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/s%04d.mwd", i);
        WriteFileBytes(Archive() + name, bytes);
    }
    Run([this](CArchiveDlg* d) {
        EXPECT_EQ(List(d)->count(), 2000);
        EXPECT_EQ(sink.Take(), std::vector<std::string>{"err"});
        Control<QComboBox>(d, kFameFilter)->setCurrentIndex(0);
        EXPECT_EQ(List(d)->count(), 2000);
        EXPECT_EQ(sink.Count(), 0u);
        d->reject();
    });
}

TEST_F(LibraryDialogTest, ClosingWhileTheWorkerReadsIsClean)
{
    CSongFileWriter w(1, 4);
    w.SetFame(150);
    const std::vector<uint8_t> bytes = w.Build();
    for (int i = 0; i < 1500; ++i)
        WriteFileBytes(Archive() + "/s" + std::to_string(i) + ".mwd", bytes);
    for (int attempt = 0; attempt < 5; ++attempt) {
        CArchiveDlg dialog;
        dialog.SetBaseFolder(sandbox.Path());
        WhenModalOpens([&](QWidget*) {
            Control<QComboBox>(&dialog, kFameFilter)->setCurrentIndex(attempt % 4);
            dialog.reject();
        });
        dialog.exec();
    }
    SUCCEED();
}

TEST_F(LibraryDialogTest, TheScanEndsWithTheDialogNotWithTheObject)
{
    CSongFileWriter w(1, 4);
    const std::vector<uint8_t> bytes = w.Build();
    for (int i = 0; i < 1500; ++i)
        WriteFileBytes(Archive() + "/s" + std::to_string(i) + ".mwd", bytes);
    CArchiveDlg dialog;
    dialog.SetBaseFolder(sandbox.Path());
    WhenModalOpens([&](QWidget*) { dialog.reject(); });
    dialog.exec();
    EXPECT_FALSE(dialog.IsScanning()) << "the worker is joined before the song load that follows";
}

// Records whether each message was shown on the user-interface thread.
class ThreadNotingSink : public IMessageSink {
public:
    ThreadNotingSink() { previous = SetMessageSink(this); }
    ~ThreadNotingSink() override { SetMessageSink(previous); }
    void Show(const std::string& text) override
    {
        const std::lock_guard lock(mutex);
        shown.emplace_back(text, QThread::currentThread() == qApp->thread());
    }
    std::mutex mutex;
    std::vector<std::pair<std::string, bool>> shown;
    IMessageSink* previous;
};

TEST_F(LibraryDialogTest, AMessageOfTheWorkerIsShownOnTheUiThreadEvenWhenClosing)
{
    AddSong("a.mwd", 100, "A");
    ThreadNotingSink noting;
    FailBlockAllocationsForTests(true);
    for (bool waitForList : {true, false}) {
        CArchiveDlg dialog;
        dialog.SetBaseFolder(sandbox.Path());
        WhenModalOpens([&](QWidget*) {
            if (waitForList) {
                EXPECT_TRUE(WaitForState([&] { return dialog.IsFilled(); }));
            }
            dialog.reject(); // joins the worker: a message box it waited for would hang here
        });
        dialog.exec();
    }
    FailBlockAllocationsForTests(false);
    const std::pair<std::string, bool> onUi{"GENE01000002 メモリが不足しています。", true};
    EXPECT_EQ(noting.shown, (std::vector<std::pair<std::string, bool>>{onUi, onUi}));
}

TEST_F(LibraryDialogTest, MissingLibraryFolderGivesAnEmptyList)
{
    fs::remove(Archive());
    Run([](CArchiveDlg* d) {
        EXPECT_EQ(List(d)->count(), 0);
        EXPECT_EQ(d->windowTitle(), QStringLiteral("ライブラリ"));
        d->reject();
    });
    WriteFileBytes(Archive(), {1}); // a library "folder" that is a file
    Run([](CArchiveDlg* d) {
        EXPECT_EQ(List(d)->count(), 0);
        d->reject();
    });
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(LibraryDialogTest, ChosenSongLoadsAsFromAFile)
{
    AddSong("a.mwd", 100, "A");
    const std::string cwd = fs::current_path();
    fs::current_path(sandbox.Path());
    {
        CDovrelPlinvaraDlg window;
        window.show();
        WhenModalOpens([](QWidget* modal) {
            auto* d = static_cast<CArchiveDlg*>(modal);
            EXPECT_TRUE(WaitForState([&] { return d->IsFilled(); }));
            List(d)->setCurrentRow(0);
            Click(Control(d, kLoad), QPoint(40, 15));
        });
        window.RunCommand(MainCommand::kLibrary);
        ASSERT_NE(window.Song(), nullptr);
        EXPECT_EQ(window.Song()->source, fs::canonical(sandbox.Path()).string() + "/Archive/a.mwd");
        EXPECT_EQ(window.Song()->measureCount, 2);
    }
    fs::current_path(cwd);
}

// Every choice of the filter is whole in the font in use, at the dialog's own size.
TEST_F(LibraryDialogTest, EveryFilterChoiceIsWholeAndClearOfTheListAndButtons)
{
    Run([](CArchiveDlg* d) {
        QComboBox* filter = Control<QComboBox>(d, kFameFilter);
        EXPECT_EQ(d->size(), QSize(350, 376)) << "the dialog keeps its size";
        EXPECT_GE(filter->width(), filter->sizeHint().width()) << "the widest choice and the arrow fit";
        const QRect buttons(150, 340, 338 - 150, 30);
        EXPECT_FALSE(filter->geometry().intersects(buttons));
        EXPECT_FALSE(filter->geometry().intersects(List(d)->geometry()));
        EXPECT_TRUE(d->rect().contains(filter->geometry()));
        EXPECT_GE(List(d)->height(), 280) << "the list keeps most of its height";
        d->reject();
    });
}
