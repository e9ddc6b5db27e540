#pragma once
// Scans the library folder on a worker thread. The worker only lists the folder and reads
// each song's summary; every result reaches the receiver on its own thread through a
// queued call. Destroying the loader stops and joins the worker.

#include <atomic>
#include <functional>
#include <string>
#include <thread>

class QObject;

struct LibrarySong {
    std::string fileName; // relative to the library folder
    std::string title;    // raw CP932
    int fame = 0;
};

class LibraryLoader {
public:
    static constexpr int kMaxSongs = 2000;

    // onSong runs once per song in folder order, onDone once at the end with whether files
    // beyond kMaxSongs were left out; both on the receiver's thread.
    LibraryLoader(std::string folder, QObject* receiver, std::function<void(LibrarySong)> onSong,
                  std::function<void(bool tooMany)> onDone);
    ~LibraryLoader();

    LibraryLoader(const LibraryLoader&) = delete;
    LibraryLoader& operator=(const LibraryLoader&) = delete;

private:
    void Run();

    std::string folder;
    QObject* receiver;
    std::function<void(LibrarySong)> onSong;
    std::function<void(bool)> onDone;
    std::atomic<bool> cancelled{false};
    std::thread worker;
};
