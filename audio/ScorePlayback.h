#pragma once
// The window's playback: plays the shown measures of a fitted score and tells which drawn note
// sounds, from the clock of the frames rendered. Nothing here waits on the device.

#include "audio/AudioOutput.h"
#include "audio/PlaySchedule.h"
#include "audio/SoundFont.h"

#include <QObject>
#include <QTimer>
#include <memory>
#include <span>
#include <string>

class PlaybackEngine;
struct FittedScore;
enum class PlaybackReport;

class ScorePlayback : public QObject {
    Q_OBJECT
public:
    enum class State { kStopped, kStarting, kPlaying };
    static constexpr int kFollowMilliseconds = 5;

    // `soundFont` is the player's choice, `installed` where the distribution's are looked for;
    // both are read at the first Play.
    ScorePlayback(AudioOutputFactory openOutput, std::string soundFont, QObject* parent = nullptr,
                  std::span<const char* const> installed = kDistributionSoundFonts);
    ~ScorePlayback() override;

    // From the first shown measure; a score without a note to sound stays silent.
    void Play(const FittedScore& score, int beatsPerMinute);
    void Stop();
    // Playing on at the new speed from the same place in the music.
    void SetTempoPercent(int percent);
    int TempoPercent() const { return tempoPercent; }
    void SetLoop(bool on);
    bool Loop() const { return loop; }

    State CurrentState() const { return state; }
    bool Active() const { return state != State::kStopped; }
    // The drawn note marked (an index into the score's geometry.notes), -1 for none.
    int MarkedNote() const { return marked; }
    const PlaySchedule& Schedule() const { return schedule; }
    // The schedule note whose note-on the synthesizer last played, -1 before the first.
    int LastStartedNote() const;

    // Reads the clock and moves the mark; the timer calls it while playing.
    void Follow();

signals:
    void MarkChanged(int placedNote);
    void StateChanged();

private:
    void OnReport(uint64_t session, PlaybackReport report);
    void SetMark(int placedNote);
    void SetState(State next);
    void Restart(int64_t from);

    std::unique_ptr<PlaybackEngine> engine;
    QTimer follow;
    PlaySchedule schedule;
    std::unique_ptr<FittedScore> played; // a copy: the schedule is made again at a new tempo
    int beatsPerMinute = 0;
    int tempoPercent = 100;
    bool loop = false;
    State state = State::kStopped;
    uint64_t session = 0;
    int marked = -1;
    std::string playersSoundFont;
};

extern const char* const kNoAudioDeviceMessage;
extern const char* const kNoSoundFontMessage;
// Said with the player's soundfont (UTF-8 path) in place of %s.
extern const char* const kSoundFontReplacedMessage;
