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

void ScorePlayback::Play(const FittedScore& score, int bpm, const BeatClicks& beats, std::optional<UnitRange> passage)
{
    Stop();
    SetMark(-1);
    stepped = -1;
    played = std::make_unique<FittedScore>(score);
    beatsPerMinute = bpm;
    options.beats = beats;
    options.passage = passage;
    schedule = MakePlaySchedule(*played, beatsPerMinute, options);
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

void ScorePlayback::ChangeOptions()
{
    if (state == State::kStopped || !played)
        return;
    schedule = MakePlaySchedule(*played, beatsPerMinute, options);
    engine->Change(schedule);
}

void ScorePlayback::SetTempoPercent(int percent)
{
    percent = HeldTempoPercent(percent);
    if (percent == options.tempoPercent)
        return;
    options.tempoPercent = percent;
    ChangeOptions();
}

void ScorePlayback::SetCountIn(bool on)
{
    options.countIn = on;
    ChangeOptions();
}

void ScorePlayback::SetCountInEveryPass(bool on)
{
    options.countInEveryPass = on;
    ChangeOptions();
}

void ScorePlayback::SetMetronome(bool on)
{
    options.metronome = on;
    ChangeOptions();
}

void ScorePlayback::SetMelodyMuted(bool on)
{
    options.muteMelody = on;
    ChangeOptions();
}

void ScorePlayback::SetLoop(bool on)
{
    loop = on;
    engine->SetLoop(on);
}

void ScorePlayback::Rewind()
{
    if (state != State::kStopped && played)
        Restart(0);
}

bool ScorePlayback::Step(const FittedScore& score, int bpm, int direction)
{
    if (state != State::kStopped)
        return false;
    PlayOptions alone;
    alone.tempoPercent = options.tempoPercent;
    PlaySchedule walk = MakePlaySchedule(score, bpm, alone);
    // The steps walk the melody; the other voices wait for playing.
    std::erase_if(walk.notes, [](const ScheduledNote& n) { return n.channel != kMelodyChannel; });
    if (walk.notes.empty())
        return false;
    const int last = static_cast<int>(walk.notes.size()) - 1;
    stepped = stepped < 0 ? 0 : std::clamp(stepped + (direction < 0 ? -1 : 1), 0, last);
    if (stepped > last)
        stepped = last;
    const ScheduledNote& note = walk.notes[static_cast<size_t>(stepped)];
    PlaySchedule one;
    one.tempoPercent = walk.tempoPercent;
    one.notes.push_back({0, note.end - note.start, note.pitch, note.placed, false});
    one.length = one.notes.back().end;
    stepSession = engine->Start(one, 0, false);
    SetMark(note.placed);
    return true;
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
    if (id == stepSession && report != PlaybackReport::kStarted && state == State::kStopped) {
        ShowMessage(report == PlaybackReport::kNoDevice ? kNoAudioDeviceMessage : kNoSoundFontMessage);
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
    // The note the listener hears: the last frame rendered, less what the device still holds
    // before it reaches the ear. Just after a loop's seam that lies before the pass's start.
    int64_t heard = engine->Position() - 1 - engine->LatencyFrames();
    if (heard < schedule.loopStart && engine->Passes() > 0)
        heard += schedule.length - schedule.loopStart;
    const int note = SoundingNoteAt(schedule, heard);
    SetMarks(note >= 0 ? schedule.notes[static_cast<size_t>(note)].placed : -1, SoundingNotesAt(schedule, heard));
}

void ScorePlayback::SetMark(int placedNote)
{
    SetMarks(placedNote, placedNote >= 0 ? std::vector<int>{placedNote} : std::vector<int>{});
}

void ScorePlayback::SetMarks(int placedNote, std::vector<int> sounding)
{
    const bool melodyMoved = placedNote != marked;
    const bool othersMoved = sounding != markedAll;
    marked = placedNote;
    markedAll = std::move(sounding);
    // One signal a change, so that the picture is drawn once; its handler reads both marks.
    if (melodyMoved)
        emit MarkChanged(marked);
    else if (othersMoved)
        emit MarksChanged();
}

void ScorePlayback::SetState(State next)
{
    if (next == state)
        return;
    state = next;
    emit StateChanged();
}
