#pragma once
// The dialog that gives each voice of a file its role in the drawing: the melody, a second to
// fourth voice, the accompaniment or none; and, where the tune names chords, an accompaniment
// made from them in a pattern. Each voice can be moved by octaves of its own.

#include "import/ScoreImport.h"

#include <QDialog>
#include <array>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;

namespace VoiceRolesControl {
constexpr int kOk = 1, kCancel = 2, kFromChords = 1190, kChordPattern = 1191, kChordOctave = 1192;
constexpr int kFirstRole = 1200;   // the role box of voice row i is kFirstRole + i
constexpr int kFirstOctave = 1300; // its octave box kFirstOctave + i
} // namespace VoiceRolesControl

class CVoiceRolesDlg : public QDialog {
    Q_OBJECT
public:
    // The role boxes list the roles in VoiceRole's order, then this one.
    static constexpr int kNoRole = kVoiceRoleCount;

    CVoiceRolesDlg(const QString& title, const std::vector<VoiceOffer>& voices, const VoiceChoice& start, bool chords,
                   QWidget* parent = nullptr);

    // The roles as the boxes show them.
    VoiceChoice Chosen() const;
    // Whether OK takes the choice: one voice is the melody, or the file offers none to choose.
    bool CanAccept() const;

    // The melody alone, as a file opens unless the player chooses otherwise.
    static VoiceChoice MelodyAlone(int melody);
    // Runs the dialog from `start`: the choice, or none when the user cancels.
    static std::optional<VoiceChoice> AskFrom(QWidget* parent, const std::string& titleUtf8,
                                              const std::vector<VoiceOffer>& voices, const VoiceChoice& start,
                                              bool chords);
    // A VoiceChooser: opens on the melody alone.
    static std::optional<VoiceChoice> Ask(const std::string& titleUtf8, const std::vector<VoiceOffer>& voices,
                                          int melody, bool chords);

private:
    void RoleChosen(size_t row);
    void Refresh();

    std::vector<VoiceOffer> voices;
    std::vector<QComboBox*> roles;   // one per voice
    QCheckBox* fromChords = nullptr; // null when the tune names no chord
    QComboBox* pattern = nullptr;    // with fromChords
    std::vector<QSpinBox*> octaves;  // one per voice, in octaves
    QSpinBox* chordOctave = nullptr; // with fromChords
    QPushButton* ok = nullptr;
    bool moving = false;
};
