#pragma once
// The main window: the score of the loaded song under five picture buttons.

#include "audio/AudioOutput.h"
#include "print/ScoreSheet.h"
#include "print/SongFacts.h"
#include "render/FittedScore.h"
#include "settings/ConfigRecord.h"
#include "settings/SheetSettings.h"

#include <QDialog>
#include <QSizeF>
#include <memory>
#include <optional>
#include <string>

class CButtonPicture;
class CConfigControl;
class COffScreenControl;
class CReadOnlySpinBox;
class CScorePicture;
class CSongData;
class QLabel;
class QMenu;
class ScorePlayback;

namespace MainControl {
constexpr int kExit = 1000, kScore = 1001, kSettings = 1002, kLoad = 1003, kPrint = 1004;
constexpr int kStartEdit = 1005, kStartSpin = 1006, kEndEdit = 1007, kEndSpin = 1008, kLibrary = 1009;
constexpr int kStartLabel = 1012, kEndLabel = 1013;
} // namespace MainControl

namespace MainCommand {
constexpr int kExit = 0, kSettings = 1, kLoad = 2, kPrint = 3, kLibrary = 4;
constexpr int kAbout = 16;
constexpr int kPrintPreview = 32;
constexpr int kPrintWhole = 64, kPreviewWhole = 80; // the whole song, whatever the boxes show
constexpr int kPlay = 48; // 再生 and 停止 of the context menu, and the space bar
} // namespace MainCommand

class CDovrelPlinvaraDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kResourceId = 102;

    // `audio` opens the sound device; tests hand in one of their own.
    explicit CDovrelPlinvaraDlg(QWidget* parent = nullptr, AudioOutputFactory audio = OpenFluidAudioOutput);
    ~CDovrelPlinvaraDlg() override;

    void LoadSong(const std::string& path);
    void RunCommand(int command);
    void OnSystemCommand(int id);

    const ConfigRecord& Settings() const { return settings; }
    const SheetSettings& Sheet() const { return sheet; }
    const CSongData* Song() const { return song.get(); }
    // The song fitted to the harp and laid out as the window shows and prints it.
    const FittedScore& Score() const { return fitted; }
    const std::string& CurrentFolder() const { return currentFolder; }
    int ButtonColumn() const { return buttonColumn; }
    ScorePlayback& Playback() { return *playback; }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    void Initialise();
    // Sizes the window, its picture and the shown score for the settings as they stand.
    void ArrangeForSettings();
    void LoadFromFile();
    void OpenLibrary();
    void EditSettings();
    void PrintScore(bool wholeSong = false);
    // The pages 印刷 would print, in Qt's print preview, printable from there.
    void PreviewScore(bool wholeSong = false);
    // What a print takes: the shown measures or the whole song, the sheet made for this harp.
    struct PrintRequest {
        FittedScore score;
        std::optional<SongFacts> facts;
        SheetSettings sheet;
        bool landscape = false;
    };
    PrintRequest RequestPrint(bool wholeSong, QSizeF paperMm) const;
    RepeatDrawing RepeatsShown() const;
    void OnMeasureBoxChanged(bool startMoved);
    // Starts playing the shown measures, or stops what plays.
    void TogglePlayback();
    // Whatever changes the score, opens a dialog or ends the window stops the sound first.
    void StopPlayback();
    void AddPlaybackItems(QMenu& menu);

    std::unique_ptr<CButtonPicture> buttons;
    std::unique_ptr<CScorePicture> score;
    ConfigRecord settings;
    SheetSettings sheet; // how the paper sheet is made, from sheet.ini
    std::string currentFolder;
    std::unique_ptr<CConfigControl> settingsStore;
    std::unique_ptr<CSongData> song;
    ScoreFrame frame;   // the harp and picture of the settings
    FittedScore fitted; // the shown score, handed to whoever draws or prints it
    std::string settingsFolder;
    std::unique_ptr<ScorePlayback> playback;
    QLabel* startLabel = nullptr;
    QLabel* endLabel = nullptr;
    COffScreenControl* libraryControl = nullptr;
    COffScreenControl* printControl = nullptr;
    CReadOnlySpinBox* startBox = nullptr;
    CReadOnlySpinBox* endBox = nullptr;
    COffScreenControl* loadControl = nullptr;
    COffScreenControl* settingsControl = nullptr;
    COffScreenControl* scoreControl = nullptr;
    COffScreenControl* exitControl = nullptr;
    int buttonColumn = 0;
    bool settingBoxes = false;
};
