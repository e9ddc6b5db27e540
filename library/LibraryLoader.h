#pragma once
// Scans the library folder on a worker thread. The worker only lists the folder and reads
// each song's summary; everything it produces, messages included, waits in one locked
// queue. A timer on the receiver's thread drains that queue while the worker runs, so no
// object crosses threads but the queue, and its mutex is the whole hand-over.

#include "common/Messages.h"

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class QTimer;

// The score files the library lists beside its song files, once they were added to it.
inline constexpr const char* kLibraryScorePatterns[] = {"*.abc", "*.musicxml", "*.xml", "*.mxl", "*.mid", "*.midi"};

struct LibrarySong {
    std::string fileName; // relative to the library folder
    std::string title;    // raw CP932
    int fame = 0;
};

class LibraryLoader {
public:
    static constexpr int kMaxSongs = 2000;
    // How often the receiver's thread looks for songs while the worker runs.
    static constexpr int kDrainIntervalMs = 5;

    // onSong runs once per song in folder order, onDone once at the end with whether files
    // beyond kMaxSongs were left out; both on the thread that constructs the loader, which
    // must run an event loop.
    LibraryLoader(std::string folder, std::function<void(LibrarySong)> onSong, std::function<void(bool tooMany)> onDone);
    ~LibraryLoader();

    LibraryLoader(const LibraryLoader&) = delete;
    LibraryLoader& operator=(const LibraryLoader&) = delete;

    // Asks the worker to stop and joins it; songs not yet taken are dropped, messages the
    // worker raised are shown. Safe to call more than once.
    void Stop();
    bool IsRunning() const { return worker.joinable(); }

private:
    // Collects the worker's messages into the queue instead of showing them: a message box
    // raised from the worker would wait on the thread that is joining it.
    class QueueSink : public IMessageSink {
    public:
        explicit QueueSink(LibraryLoader& owner) : owner(owner) {}
        void Show(const std::string& text) override;

    private:
        LibraryLoader& owner;
    };

    void Run();
    void Drain();
    void ShowPendingMessages();

    std::string folder;
    std::function<void(LibrarySong)> onSong;
    std::function<void(bool)> onDone;
    std::atomic<bool> cancelled{false};
    std::mutex mutex; // guards the four below
    std::deque<LibrarySong> pending;
    std::deque<std::string> messages;
    bool finished = false;
    bool tooMany = false;
    bool endReported = false; // receiver's thread only
    std::unique_ptr<QTimer> drainTimer;
    std::thread worker;
};
