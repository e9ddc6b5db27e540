#include "audio/ScorePlayback.h"

#include "audio/PlaybackEngine.h"
#include "common/Messages.h"
#include "render/FittedScore.h"

#include <QMetaObject>
#include <algorithm>

const char* const kNoAudioDeviceMessage = QT_TRANSLATE_NOOP("ScorePlayback", "音声を再生できる装置が見つかりません。");
const char* const kNoSoundFontMessage = QT_TRANSLATE_NOOP("ScorePlayback", "音色ファイル（サウンドフォント）が見つかりません。");
const char* const kSoundFontReplacedMessage = QT_TRANSLATE_NOOP(
    "ScorePlayback",
    "sound.ini の音色ファイル（サウンドフォント）「%s」を読み込めないため、インストールされている音色ファイルで再生します。");

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
    emit OptionsChanged();
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

void ScorePlayback::SetVoiceMuted(int channel, bool on)
{
    if (channel == kMelodyChannel) {
        SetMelodyMuted(on);
        return;
    }
    if (channel < 0 || channel >= kVoiceChannelCount)
        return;
    options.mutedVoices.set(size_t(channel), on);
    ChangeOptions();
}

bool ScorePlayback::VoiceMuted(int channel) const
{
    if (channel == kMelodyChannel)
        return options.muteMelody;
    return channel > 0 && channel < kVoiceChannelCount && options.mutedVoices.test(size_t(channel));
}

void ScorePlayback::SetClickVolume(int percent)
{
    percent = std::clamp(percent, 0, 100);
    if (percent == options.clickVolume)
        return;
    options.clickVolume = percent;
    ChangeOptions();
}

void ScorePlayback::SetLoop(bool on)
{
    loop = on;
    engine->SetLoop(on);
    emit OptionsChanged();
}

void ScorePlayback::Rewind()
{
    if (state != State::kStopped && played)
        Restart(0);
}

namespace {

// The index in `measures` of the measure that holds the melody's drawn note `placed`.
size_t MeasureOfPlaced(const FittedScore& score, int placed)
{
    const std::vector<PlacedNote>& drawn = score.geometry.notes;
    if (placed < 0 || size_t(placed) >= drawn.size() || drawn[size_t(placed)].source < 0 ||
        size_t(drawn[size_t(placed)].source) >= score.layout.notes.size())
        return 0;
    const int32_t time = score.layout.notes[size_t(drawn[size_t(placed)].source)].time;
    size_t found = 0;
    for (size_t m = 0; m < score.layout.measures.size(); ++m)
        if (score.layout.measures[m].time <= time)
            found = m;
    return found;
}

// The first note of the measure after (or before) the one `from` lies in, in playing order, so
// that a repeat is walked as it plays; `from` itself when there is none.
int MeasureStep(const FittedScore& score, const std::vector<ScheduledNote>& walk, int from, int direction)
{
    const auto measureOf = [&](int i) { return MeasureOfPlaced(score, walk[size_t(i)].placed); };
    const int last = static_cast<int>(walk.size()) - 1;
    const auto runStart = [&](int i) {
        while (i > 0 && measureOf(i - 1) == measureOf(i))
            --i;
        return i;
    };
    if (direction > 0) {
        int i = from;
        while (i < last && measureOf(i + 1) == measureOf(from))
            ++i;
        return i < last ? i + 1 : from;
    }
    const int start = runStart(from);
    return start > 0 ? runStart(start - 1) : 0;
}

} // namespace

bool ScorePlayback::Step(const FittedScore& score, int bpm, int direction, StepBy by)
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
    if (stepped < 0)
        stepped = 0;
    else if (stepped > last)
        stepped = last;
    else if (by == StepBy::kMeasure)
        stepped = MeasureStep(score, walk.notes, stepped, direction);
    else
        stepped = std::clamp(stepped + (direction < 0 ? -1 : 1), 0, last);
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
        std::string text = tr(kSoundFontReplacedMessage).toStdString();
        if (const size_t at = text.find("%s"); at != std::string::npos)
            text.replace(at, 2, playersSoundFont);
        ShowMessage(text);
        return;
    }
    if (id == stepSession && report != PlaybackReport::kStarted && state == State::kStopped) {
        ShowMessage(tr(report == PlaybackReport::kNoDevice ? kNoAudioDeviceMessage : kNoSoundFontMessage).toStdString());
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
        ShowMessage(tr(kNoAudioDeviceMessage).toStdString());
        break;
    case PlaybackReport::kNoSoundFont:
        SetState(State::kStopped);
        ShowMessage(tr(kNoSoundFontMessage).toStdString());
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
