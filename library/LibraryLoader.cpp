#include "library/LibraryLoader.h"

#include "common/FileServices.h"
#include "library/CDirectoryFileList.h"
#include "library/SongSummary.h"
#include "common/Cp932.h"
#include "library/TuneSheetsFile.h"

#include <QTimer>

LibraryLoader::LibraryLoader(std::string folder, std::function<void(LibrarySong)> onSong,
                             std::function<void(bool)> onDone)
    : folder(std::move(folder)), onSong(std::move(onSong)), onDone(std::move(onDone)),
      drainTimer(std::make_unique<QTimer>())
{
    QObject::connect(drainTimer.get(), &QTimer::timeout, [this] { Drain(); });
    drainTimer->start(kDrainIntervalMs);
    worker = std::thread([this] { Run(); });
}

LibraryLoader::~LibraryLoader()
{
    Stop();
}

void LibraryLoader::Stop()
{
    cancelled = true;
    if (worker.joinable())
        worker.join();
    drainTimer->stop();
    ShowPendingMessages();
}

void LibraryLoader::QueueSink::Show(const std::string& text)
{
    const std::lock_guard lock(owner.mutex);
    owner.messages.push_back(text);
}

void LibraryLoader::Run()
{
    QueueSink sink(*this);
    const ThreadMessageSinkScope scope(&sink);

    const CDirectoryFileList list(folder, "*.mwd");
    bool overLimit = false;
    int listed = 0;
    for (int i = 0; i < list.EntryCount() && !cancelled; ++i) {
        if (listed == kMaxSongs) {
            overLimit = true;
            break;
        }
        const std::string name = list.Entry(i);
        const std::string path = JoinPath(folder, name);
        if (path.size() > kMaxPathBytes)
            continue; // would not fit the path buffer: left out
        SongSummary summary = ReadSongSummary(path, name);
        const std::lock_guard lock(mutex);
        pending.push_back(LibrarySong{name, std::move(summary.title), summary.fame});
        ++listed;
    }
    // Scores added to the library carry their title and fame in the file of sheets beside them; a
    // score without one was not added and is not listed.
    for (const char* pattern : kLibraryScorePatterns) {
        const CDirectoryFileList scores(folder, pattern);
        for (int i = 0; i < scores.EntryCount() && !cancelled && !overLimit; ++i) {
            const std::string name = scores.Entry(i);
            const std::string path = JoinPath(folder, name);
            TuneSheets sheets;
            if (path.size() + 4 > kMaxPathBytes || ReadTuneSheets(TuneSheetsPath(path), sheets) != TuneSheetsRead::kRead ||
                !sheets.listing || sheets.listing->title.empty())
                continue;
            if (listed == kMaxSongs) {
                overLimit = true;
                break;
            }
            const std::lock_guard lock(mutex);
            pending.push_back(LibrarySong{name, Utf8ToCp932(sheets.listing->title), sheets.listing->fame});
            ++listed;
        }
    }
    const std::lock_guard lock(mutex);
    tooMany = overLimit;
    finished = true;
}

void LibraryLoader::ShowPendingMessages()
{
    std::deque<std::string> texts;
    {
        const std::lock_guard lock(mutex);
        texts.swap(messages);
    }
    for (const std::string& text : texts)
        ShowMessage(text);
}

void LibraryLoader::Drain()
{
    ShowPendingMessages();
    std::deque<LibrarySong> songs;
    bool done = false, over = false;
    {
        const std::lock_guard lock(mutex);
        songs.swap(pending);
        done = finished;
        over = tooMany;
    }
    if (done)
        drainTimer->stop();
    for (LibrarySong& s : songs) {
        if (cancelled)
            return;
        onSong(std::move(s));
    }
    if (done && !endReported && !cancelled) {
        endReported = true;
        onDone(over);
    }
}
