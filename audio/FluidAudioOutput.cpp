#include "audio/AudioOutput.h"

#include "audio/SoundFont.h"

#include <fluidsynth.h>

namespace {

// The frames rendered run ahead of the speaker by what the device buffers: three periods of
// 46 ms. Two of 11.6 ms broke up whenever the machine was busy (PulseAudio's own threads and
// the client library's are not real-time), and every gap put the sound further behind the
// mark; the mark is held back by what is buffered, and a stop is heard that much later.
constexpr int kPeriodFrames = 2048;
constexpr int kPeriods = 3;
// The device's thread asks for real-time scheduling where the system grants it (FluidSynth
// falls back to a normal thread where it does not).
constexpr int kRealtimePriority = 70;

class FluidAudioOutput : public IAudioOutput {
public:
    explicit FluidAudioOutput(FillBuffers fill) : fill(std::move(fill)) {}
    // FluidSynth's drivers tell nothing of the server's own latency; what they buffer is
    // known, the periods they were opened with.
    int64_t LatencyFrames() const override { return int64_t(kPeriodFrames) * kPeriods; }
    ~FluidAudioOutput() override
    {
        if (driver)
            delete_fluid_audio_driver(driver);
        if (settings)
            delete_fluid_settings(settings);
    }

    bool Open(int sampleRate)
    {
        settings = new_fluid_settings();
        if (!settings)
            return false;
        fluid_settings_setnum(settings, "synth.sample-rate", sampleRate);
        fluid_settings_setint(settings, "audio.period-size", kPeriodFrames);
        fluid_settings_setint(settings, "audio.periods", kPeriods);
        fluid_settings_setint(settings, "audio.realtime-prio", kRealtimePriority);
        for (const char* name : {"pulseaudio", "pipewire", "alsa"}) {
            if (fluid_settings_setstr(settings, "audio.driver", name) != FLUID_OK)
                continue;
            driver = new_fluid_audio_driver2(settings, &FluidAudioOutput::Callback, this);
            if (driver)
                return true;
        }
        return false;
    }

private:
    static int Callback(void* data, int len, int, float**, int nout, float** out)
    {
        auto* self = static_cast<FluidAudioOutput*>(data);
        if (nout < 2 || !out[0] || !out[1])
            return FLUID_FAILED;
        self->fill(out[0], out[1], len);
        return FLUID_OK;
    }

    FillBuffers fill;
    fluid_settings_t* settings = nullptr;
    fluid_audio_driver_t* driver = nullptr;
};

} // namespace

std::unique_ptr<IAudioOutput> OpenFluidAudioOutput(int sampleRate, FillBuffers fill)
{
    QuietSoundLibraries();
    auto output = std::make_unique<FluidAudioOutput>(std::move(fill));
    if (!output->Open(sampleRate))
        return nullptr;
    return output;
}
