#include "library/LibraryLoader.h"

#include "common/FileServices.h"
#include "library/CDirectoryFileList.h"
#include "library/SongSummary.h"

#include <QMetaObject>
#include <QObject>

LibraryLoader::LibraryLoader(std::string folder, QObject* receiver, std::function<void(LibrarySong)> onSong,
                             std::function<void(bool)> onDone)
    : folder(std::move(folder)), receiver(receiver), onSong(std::move(onSong)), onDone(std::move(onDone))
{
    worker = std::thread([this] { Run(); });
}

LibraryLoader::~LibraryLoader()
{
    cancelled = true;
    if (worker.joinable())
        worker.join();
}

void LibraryLoader::Run()
{
    const CDirectoryFileList list(folder, "*.mwd");
    bool overLimit = false;
    for (int i = 0; i < list.EntryCount() && !cancelled; ++i) {
        if (i == kMaxSongs) {
            overLimit = true;
            break;
        }
        const std::string name = list.Entry(i);
        const std::string path = JoinPath(folder, name);
        if (path.size() > kMaxPathBytes)
            continue; // would not fit the path buffer: left out
        const SongSummary summary = ReadSongSummary(path, name);
        Deliver([&] { pending.push_back(LibrarySong{name, summary.title, summary.fame}); });
    }
    Deliver([&] {
        tooMany = overLimit;
        finished = true;
    });
}

void LibraryLoader::Deliver(const std::function<void()>& change)
{
    bool wake = false;
    {
        const std::lock_guard lock(mutex);
        wake = pending.empty() && !finished; // otherwise a wake-up is on its way
        change();
    }
    // One wake-up per batch the receiver has not taken yet; Qt drops it if the receiver
    // has gone, and the receiver owns this loader.
    if (wake && !cancelled)
        QMetaObject::invokeMethod(receiver, [this] { Drain(); }, Qt::QueuedConnection);
}

void LibraryLoader::Drain()
{
    std::deque<LibrarySong> songs;
    bool done = false, over = false;
    {
        const std::lock_guard lock(mutex);
        songs.swap(pending);
        done = finished && !endReported;
        endReported = endReported || done;
        over = tooMany;
    }
    for (LibrarySong& s : songs)
        onSong(std::move(s));
    if (done)
        onDone(over);
}
