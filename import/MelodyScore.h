#pragma once
// A reader's melody and the voices chosen beside it as the score: every note at the time and
// length the file gives it, the notes of one voice that start together one chord. The sheet
// counts in the first meter's beats, from a first measure padded so that a pickup ends where a
// full measure begins.

#include "import/Melody.h"
#include "score/Score.h"

#include <string>
#include <vector>

// The longest sheet: its time, in the layout's units, stays within 32 bits.
constexpr int kMaxSheetBeats = 24000;

struct ScoreBuildReport {
    int dropped = 0;   // notes a voice already holds at that time and pitch
    int placed = 0;    // the melody's pitched notes
    bool cut = false;  // the tune ran past kMaxSheetBeats
};

// A voice drawn beside the melody: its role, name, the file's voice number and its notes.
struct ChosenVoice {
    VoiceRole role = VoiceRole::kSecond;
    std::string name;
    int candidate = 0;
    const std::vector<MelodyNote>* notes = nullptr;
};

// `fallbackTitle` names a tune whose file names none.
Score ScoreOfMelody(const Melody& melody, const std::string& fallbackTitle, const std::vector<ChosenVoice>& voices,
                    ScoreBuildReport& report);
