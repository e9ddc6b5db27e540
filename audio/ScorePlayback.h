#pragma once
// The window's playback: plays the shown measures of a fitted score and tells which drawn note
// sounds, from the clock of the frames rendered. Nothing here waits on the device.

#include "audio/AudioOutput.h"
#include "audio/PlaySchedule.h"
#include "audio/SoundFont.h"

#include <QObject>
#include <QTimer>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

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

    // From the first shown measure, or the passage's first (time units of the score's layout);
    // a score without a note to sound stays silent. `beats` are where the metronome clicks.
    void Play(const FittedScore& score, int beatsPerMinute, const BeatClicks& beats = {},
              std::optional<UnitRange> passage = std::nullopt);
    void Stop();
    // Playing on at the new speed from the same place in the music, without a gap.
    void SetTempoPercent(int percent);
    int TempoPercent() const { return options.tempoPercent; }
    void SetLoop(bool on);
    bool Loop() const { return loop; }
    // These take effect at once while playing, from the same place.
    void SetCountIn(bool on);
    bool CountIn() const { return options.countIn; }
    void SetCountInEveryPass(bool on);
    bool CountInEveryPass() const { return options.countInEveryPass; }
    void SetMetronome(bool on);
    bool Metronome() const { return options.metronome; }
    void SetMelodyMuted(bool on);
    bool MelodyMuted() const { return options.muteMelody; }
    // A voice by its channel (PlaySchedule's), the melody's included: marked but not heard.
    void SetVoiceMuted(int channel, bool on);
    bool VoiceMuted(int channel) const;
    // 0..100 % of the clicks' full loudness.
    void SetClickVolume(int percent);
    int ClickVolume() const { return options.clickVolume; }
    // Back to the start of what plays (the count-in included), playing on.
    void Rewind();
    // While stopped: the mark moves to the next (+1) or previous (-1) note of the melody and that
    // note sounds alone; the first step marks the first note. False when there is none. By
    // measure it moves to the first note of the next or the previous measure, as they play.
    enum class StepBy { kNote, kMeasure };
    bool Step(const FittedScore& score, int beatsPerMinute, int direction, StepBy by = StepBy::kNote);

    State CurrentState() const { return state; }
    bool Active() const { return state != State::kStopped; }
    // The drawn note marked (an index into the score's geometry.notes), -1 for none.
    int MarkedNote() const { return marked; }
    // Every drawn note sounding, of every voice, the melody's marked one included; ascending.
    const std::vector<int>& MarkedNotes() const { return markedAll; }
    const PlaySchedule& Schedule() const { return schedule; }
    // The schedule note whose note-on the synthesizer last played, -1 before the first.
    int LastStartedNote() const;

    // Reads the clock and moves the mark; the timer calls it while playing.
    void Follow();

signals:
    void MarkChanged(int placedNote);
    // The other voices' sounding notes changed while the melody's mark stayed.
    void MarksChanged();
    void StateChanged();
    // The tempo, the loop or a switch changed, by whoever changed it.
    void OptionsChanged();

private:
    void OnReport(uint64_t session, PlaybackReport report);
    void SetMark(int placedNote);
    void SetMarks(int placedNote, std::vector<int> sounding);
    void SetState(State next);
    void Restart(int64_t from);
    void ChangeOptions();

    std::unique_ptr<PlaybackEngine> engine;
    QTimer follow;
    PlaySchedule schedule;
    std::unique_ptr<FittedScore> played; // a copy: the schedule is made again at a new tempo
    int beatsPerMinute = 0;
    PlayOptions options;
    bool loop = false;
    State state = State::kStopped;
    uint64_t session = 0;
    uint64_t stepSession = 0; // the note a step sounds, which never makes the state playing
    int stepped = -1;         // the schedule note the last step marked
    int marked = -1;
    std::vector<int> markedAll;
    std::string playersSoundFont;
};

extern const char* const kNoAudioDeviceMessage;
extern const char* const kNoSoundFontMessage;
// Said with the player's soundfont (UTF-8 path) in place of %s.
extern const char* const kSoundFontReplacedMessage;
