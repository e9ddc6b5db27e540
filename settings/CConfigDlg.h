#pragma once
// The settings dialog. It edits the main window's record in place: the number of strings
// and the lowest note at once (with the harp that fills them and the string spacing on paper,
// which it sets together), the other four when its close button is pressed.

#include "common/TextTranslation.h"
#include "settings/Tuning.h"

#include <QDialog>
#include <memory>

struct ConfigRecord;
struct SheetSettings;
class CReadOnlySpinBox;
class CSubDialogButtonPicture;
class COffScreenControl;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;

namespace ConfigControl {
constexpr int kClose = 1001, kStringsEdit = 1002, kStringsSpin = 1003, kLowestNote = 1004;
constexpr int kSpacingEdit = 1005, kSpacingSpin = 1006, kVerticalEdit = 1007, kVerticalSpin = 1008;
constexpr int kLeftEdit = 1009, kLeftSpin = 1010, kZoom = 1011, kTuning = 1012;
constexpr int kHarp = 1013, kPaperSpacing = 1014, kLyrics = 1015, kChords = 1016, kMeasureNumbers = 1017;
constexpr int kCounts = 1019, kRepeats = 1020, kColourVoices = 1021, kLanguage = 1022;
constexpr int kPaper = 1018;
} // namespace ConfigControl

class CConfigDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kResourceId = 129;

    explicit CConfigDlg(QWidget* parent = nullptr);
    ~CConfigDlg() override;

    void SetSettings(ConfigRecord* record) { settings = record; }
    // Without it the paper spacing is shown disabled and a harp fills only the record.
    void SetSheetSettings(SheetSettings* sheetSettings) { sheet = sheetSettings; }
    // The interface's language, written at once as the choice changes; without it the box is
    // disabled.
    void SetLanguage(Language* chosen) { language = chosen; }
    int exec() override;

    // Top of the close button: lower on a large-font 120-dpi screen.
    static int CloseButtonTop(int dialogBaseUnitX, int logicalDpiX);
    // Tests stand in for a screen's font width and resolution; 0 uses the real ones.
    static void OverrideScreenMetrics(int dialogBaseUnitX, int logicalDpiX);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Initialise();
    void OnLowestNoteChanged();
    void OnStringCountChanged();
    void OnTuningChanged();
    void OnHarpChanged();
    void OnPaperSpacingChanged();
    void OnSheetSwitchChanged();
    void OnPaperChanged();
    // Selects the harp the record now holds, or "その他".
    void ShowRecognisedHarp();
    // The sheet's spacing and paper as the sheet settings hold them.
    void ShowPaperSpacing();
    // The sheet's switches show the sheet settings and write them at once, as the spacing does.
    void ShowSheetSwitches();
    // The tuning the combo shows; a hand-made table counts as chromatic once it is changed.
    Tuning ChosenTuning() const;
    // Lists the lowest notes the tuning can start on and selects `lowestNote`.
    void FillLowestNotes(Tuning tuning, int lowestNote);
    // A change of count or lowest note rewrites a hand-made table as chromatic.
    void LeaveOtherTuning();
    void CloseAction();
    static void OnButtonPressed(int slot);

    std::unique_ptr<CSubDialogButtonPicture> buttons;
    ConfigRecord* settings = nullptr;
    SheetSettings* sheet = nullptr;
    Language* language = nullptr;
    int initialised = 0;
    QComboBox* zoomCombo = nullptr;
    CReadOnlySpinBox* leftSpin = nullptr;
    CReadOnlySpinBox* verticalSpin = nullptr;
    CReadOnlySpinBox* spacingSpin = nullptr;
    QComboBox* lowestNoteCombo = nullptr;
    QComboBox* tuningCombo = nullptr;
    QComboBox* harpCombo = nullptr;
    QDoubleSpinBox* paperSpacingSpin = nullptr;
    QComboBox* paperCombo = nullptr;
    QCheckBox* lyricsBox = nullptr;
    QCheckBox* chordsBox = nullptr;
    QCheckBox* measureNumbersBox = nullptr;
    QCheckBox* countsBox = nullptr;
    QCheckBox* colourBox = nullptr;
    QComboBox* repeatsCombo = nullptr;
    QComboBox* languageCombo = nullptr;
    CReadOnlySpinBox* stringsSpin = nullptr;
    COffScreenControl* closeControl = nullptr;
};
