#pragma once
// Shared pieces of the test suites: a message recorder, a sandbox folder, a wait for a state.

#include "common/Messages.h"

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <string>
#include <vector>

// Polls `done` until it holds; false when the limit passed first. The limit only ends a test that
// would hang, far beyond what any state takes on a loaded machine.
inline bool PollUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(30))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Records every message instead of showing it; installed for its lifetime.
class RecordingSink : public IMessageSink {
public:
    RecordingSink() { previous = SetMessageSink(this); }
    ~RecordingSink() override { SetMessageSink(previous); }
    void Show(const std::string& text) override
    {
        std::lock_guard lock(mutex);
        messages.push_back(text);
    }
    // A question is recorded as a message and answered as the test says.
    bool Ask(const std::string& text) override
    {
        Show(text);
        return answer;
    }
    bool answer = true;
    std::vector<std::string> Take()
    {
        std::lock_guard lock(mutex);
        return std::exchange(messages, {});
    }
    size_t Count()
    {
        std::lock_guard lock(mutex);
        return messages.size();
    }

private:
    std::mutex mutex;
    std::vector<std::string> messages;
    IMessageSink* previous = nullptr;
};

// A fresh folder per test, removed afterwards; XDG_CONFIG_HOME points into it so that no
// test ever touches the user's settings.
class SandboxDir {
public:
    SandboxDir()
    {
        std::string templ = (std::filesystem::temp_directory_path() / "dovrel-test-XXXXXX").string();
        root = mkdtemp(templ.data());
        config = root / "config";
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    }
    ~SandboxDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    std::string Path(const std::string& name = "") const { return name.empty() ? root.string() : (root / name).string(); }
    std::string ConfigHome() const { return config.string(); }

    std::filesystem::path root;
    std::filesystem::path config;
};

inline std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
