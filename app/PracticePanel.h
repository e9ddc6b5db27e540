#pragma once
// A small tool window beside the main window that shows the practice state and sets it: play
// and stop, the tempo in % and in beats per minute, the passage, loop, count-in, metronome and
// its volume, the key and the voices heard. It follows whatever changes them elsewhere.

#include <QWidget>
#include <vector>

class CDovrelPlinvaraDlg;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;

class PracticePanel : public QWidget {
    Q_OBJECT
public:
    // Control names, for tests and tools.
    static constexpr const char* kPlay = "Play";
    static constexpr const char* kTempoPercent = "TempoPercent";
    static constexpr const char* kTempoBpm = "TempoBpm";
    static constexpr const char* kPassage = "Passage";
    static constexpr const char* kPassageFrom = "PassageFrom";
    static constexpr const char* kPassageTo = "PassageTo";
    static constexpr const char* kLoop = "Loop";
    static constexpr const char* kCountIn = "CountIn";
    static constexpr const char* kCountInEveryPass = "CountInEveryPass";
    static constexpr const char* kMetronome = "Metronome";
    static constexpr const char* kClickVolume = "ClickVolume";
    static constexpr const char* kKey = "Key";
    static constexpr const char* kPointerMeasure = "PointerMeasure";
    static constexpr const char* kPlayingMeasure = "PlayingMeasure";
    static constexpr const char* kScreenNumbers = "ScreenNumbers";
    // A voice's box is named this followed by its channel: "Voice0" is the melody's.
    static constexpr const char* kVoicePrefix = "Voice";

    explicit PracticePanel(CDovrelPlinvaraDlg& window);

protected:
    void showEvent(QShowEvent* event) override;
    // Keys the panel's controls leave reach the window's practice keys.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ShowState();
    void ShowOptions();
    void ShowPassage();
    void ShowWhere();
    // The key list, the measures a passage may take and the voices, for the score shown.
    void ShowScore();
    void TakePassage();
    void TakeBeatsPerMinute(int bpm);
    int SongBeatsPerMinute() const;

    CDovrelPlinvaraDlg& window;
    QPushButton* play = nullptr;
    QSpinBox* tempoPercent = nullptr;
    QSpinBox* tempoBpm = nullptr;
    QCheckBox* passageOn = nullptr;
    QSpinBox* passageFrom = nullptr;
    QSpinBox* passageTo = nullptr;
    QCheckBox* loop = nullptr;
    QCheckBox* countIn = nullptr;
    QCheckBox* countInEveryPass = nullptr;
    QCheckBox* metronome = nullptr;
    QSlider* clickVolume = nullptr;
    QComboBox* key = nullptr;
    QLabel* pointerMeasure = nullptr;
    QLabel* playingMeasure = nullptr;
    QCheckBox* screenNumbers = nullptr;
    QGroupBox* voicesBox = nullptr;
    std::vector<QCheckBox*> voices; // by channel; none for a voice the score lacks
};
