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
    bool tooMany = false;
    for (int i = 0; i < list.EntryCount() && !cancelled; ++i) {
        if (i == kMaxSongs) {
            tooMany = true;
            break;
        }
        const std::string name = list.Entry(i);
        const std::string path = JoinPath(folder, name);
        if (path.size() > kMaxPathBytes)
            continue; // would not fit the path buffer: left out
        const SongSummary summary = ReadSongSummary(path, name);
        LibrarySong song{name, summary.title, summary.fame};
        // Queued calls to a receiver that has gone are dropped by Qt.
        QMetaObject::invokeMethod(receiver, [cb = onSong, song = std::move(song)] { cb(song); }, Qt::QueuedConnection);
    }
    if (!cancelled)
        QMetaObject::invokeMethod(receiver, [cb = onDone, tooMany] { cb(tooMany); }, Qt::QueuedConnection);
}
