#pragma once
// A sound device of the tests' own: opened and closed as a real one, its buffers filled only
// when the test renders, so that the test sets the clock.

#include "audio/AudioOutput.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

struct FakeAudioDevice {
    AudioOutputFactory Factory()
    {
        return [this](int, FillBuffers f) -> std::unique_ptr<IAudioOutput> {
            std::lock_guard lock(mutex);
            if (!present)
                return nullptr;
            fill = std::move(f);
            ++opened;
            return std::make_unique<Output>(*this);
        };
    }
    int Opened()
    {
        std::lock_guard lock(mutex);
        return opened;
    }
    int Closed()
    {
        std::lock_guard lock(mutex);
        return closed;
    }
    void SetPresent(bool on)
    {
        std::lock_guard lock(mutex);
        present = on;
    }
    // Renders as the device would; false when it is closed.
    bool Render(int frames)
    {
        std::lock_guard lock(mutex);
        if (!fill)
            return false;
        left.resize(static_cast<size_t>(frames));
        right.resize(static_cast<size_t>(frames));
        fill(left.data(), right.data(), frames);
        return true;
    }
    // Renders `frames` in buffers of at most 4096, as devices do.
    bool Advance(int64_t frames)
    {
        for (; frames > 0; frames -= 4096)
            if (!Render(static_cast<int>(frames < 4096 ? frames : 4096)))
                return false;
        return true;
    }

    std::vector<float> left, right; // the last buffer rendered
    int64_t latencyFrames = 0;       // what the device says it holds before the ear

private:
    struct Output : IAudioOutput {
        explicit Output(FakeAudioDevice& d) : device(d) {}
        int64_t LatencyFrames() const override { return device.latencyFrames; }
        ~Output() override
        {
            std::lock_guard lock(device.mutex);
            device.fill = nullptr;
            ++device.closed;
        }
        FakeAudioDevice& device;
    };
    std::mutex mutex;
    FillBuffers fill;
    int opened = 0, closed = 0;
    bool present = true;
};
