#include "audio/ScorePlayback.h"

#include "audio/PlaybackEngine.h"
#include "common/Messages.h"
#include "render/FittedScore.h"

#include <QMetaObject>
#include <algorithm>

const char* const kNoAudioDeviceMessage = "音声を再生できる装置が見つかりません。";
const char* const kNoSoundFontMessage = "音色ファイル（サウンドフォント）が見つかりません。";
const char* const kSoundFontReplacedMessage =
    "sound.ini の音色ファイル（サウンドフォント）「%s」を読み込めないため、インストールされている音色ファイルで再生します。";

ScorePlayback::ScorePlayback(AudioOutputFactory openOutput, std::string soundFont, QObject* parent,
                             std::span<const char* const> installed)
    : QObject(parent), playersSoundFont(soundFont)
{
    // Reports come on the worker's thread and are handled on this object's.
    engine = std::make_unique<PlaybackEngine>(std::move(openOutput), std::move(soundFont),
                                              [this](uint64_t id, PlaybackReport report) {
                                                  QMetaObject::invokeMethod(
                                                      this, [this, id, report] { OnReport(id, report); },
                                                      Qt::QueuedConnection);
                                              },
                                              installed);
    follow.setTimerType(Qt::PreciseTimer);
    follow.setInterval(kFollowMilliseconds);
    connect(&follow, &QTimer::timeout, this, &ScorePlayback::Follow);
}

ScorePlayback::~ScorePlayback()
{
    // The worker joins here, before the object its reports are queued to goes.
    engine.reset();
}

void ScorePlayback::Play(const FittedScore& score, int bpm)
{
    Stop();
    played = std::make_unique<FittedScore>(score);
    beatsPerMinute = bpm;
    schedule = MakePlaySchedule(*played, beatsPerMinute, tempoPercent);
    if (schedule.notes.empty())
        return;
    Restart(0);
}

void ScorePlayback::Restart(int64_t from)
{
    session = engine->Start(schedule, from, loop);
    SetState(State::kStarting);
}

void ScorePlayback::Stop()
{
    if (state == State::kStopped)
        return;
    engine->Stop();
    follow.stop();
    SetMark(-1);
    SetState(State::kStopped);
}

void ScorePlayback::SetTempoPercent(int percent)
{
    percent = std::clamp(percent, kMinTempoPercent, kMaxTempoPercent);
    if (percent == tempoPercent)
        return;
    const int before = tempoPercent;
    tempoPercent = percent;
    if (state == State::kStopped || !played)
        return;
    // The same place in the music: frames scale inversely with the speed.
    const int64_t reached = state == State::kPlaying ? engine->Position() : 0;
    schedule = MakePlaySchedule(*played, beatsPerMinute, tempoPercent);
    Restart(reached * before / tempoPercent);
}

void ScorePlayback::SetLoop(bool on)
{
    loop = on;
    engine->SetLoop(on);
}

int ScorePlayback::LastStartedNote() const
{
    return state == State::kPlaying ? engine->LastStarted() : -1;
}

void ScorePlayback::OnReport(uint64_t id, PlaybackReport report)
{
    if (report == PlaybackReport::kSoundFontReplaced) {
        // Told even when stopped meanwhile: the engine says it only once.
        std::string text = kSoundFontReplacedMessage;
        text.replace(text.find("%s"), 2, playersSoundFont);
        ShowMessage(text);
        return;
    }
    if (id != session || state != State::kStarting)
        return; // an earlier session, or stopped meanwhile
    switch (report) {
    case PlaybackReport::kStarted:
        SetState(State::kPlaying);
        follow.start();
        Follow();
        break;
    case PlaybackReport::kNoDevice:
        SetState(State::kStopped);
        ShowMessage(kNoAudioDeviceMessage);
        break;
    case PlaybackReport::kNoSoundFont:
        SetState(State::kStopped);
        ShowMessage(kNoSoundFontMessage);
        break;
    case PlaybackReport::kSoundFontReplaced:
        break;
    }
}

void ScorePlayback::Follow()
{
    if (state != State::kPlaying)
        return;
    if (engine->Ended()) {
        Stop();
        return;
    }
    // The note of the last frame rendered: the synthesizer has started it, the device plays it.
    const int note = SoundingNoteAt(schedule, engine->Position() - 1);
    SetMark(note >= 0 ? schedule.notes[static_cast<size_t>(note)].placed : -1);
}

void ScorePlayback::SetMark(int placedNote)
{
    if (placedNote == marked)
        return;
    marked = placedNote;
    emit MarkChanged(marked);
}

void ScorePlayback::SetState(State next)
{
    if (next == state)
        return;
    state = next;
    emit StateChanged();
}
