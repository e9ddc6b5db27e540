#pragma once
// Scans the library folder on a worker thread. The worker only lists the folder and reads
// each song's summary; the results wait in a locked queue, and a queued call wakes the
// receiver's thread to take them. Destroying the loader stops and joins the worker.

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
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
    // Applies the change to the guarded state and wakes the receiver if it is not woken yet.
    void Deliver(const std::function<void()>& change);
    void Drain();

    std::string folder;
    QObject* receiver;
    std::function<void(LibrarySong)> onSong;
    std::function<void(bool)> onDone;
    std::atomic<bool> cancelled{false};
    std::mutex mutex; // guards the four below
    std::deque<LibrarySong> pending;
    bool finished = false;
    bool tooMany = false;
    bool endReported = false;
    std::thread worker;
};
