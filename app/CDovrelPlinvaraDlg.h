#pragma once
// The main window: the score of the loaded song under five picture buttons.

#include "audio/AudioOutput.h"
#include "document/TuneDocument.h"
#include "print/ScoreSheet.h"
#include "print/SongFacts.h"
#include "render/FittedScore.h"
#include "import/ScoreImport.h"
#include "render/KeyChoice.h"
#include "common/TextTranslation.h"
#include "settings/ConfigRecord.h"
#include "settings/SheetSettings.h"
#include "library/TuneSheetsFile.h"

#include <QDialog>
#include <QRect>
#include <QSizeF>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class CButtonPicture;
class CConfigControl;
class COffScreenControl;
class CReadOnlySpinBox;
class CScorePicture;
class PracticePanel;
struct Score;
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
constexpr int kPrintEveryone = 96, kPreviewEveryone = 112; // the whole song, a sheet for each player
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
    const ::Score* Song() const { return doc.Song(); }
    // The song fitted to the harp and laid out as the window shows and prints it.
    const FittedScore& Score() const { return fitted; }
    const std::string& CurrentFolder() const { return currentFolder; }
    int ButtonColumn() const { return buttonColumn; }
    ScorePlayback& Playback() { return *playback; }
    // The passage chosen on the picture: indices of its first and last measure in the shown
    // score's layout.measures; none when nothing is chosen.
    std::optional<std::pair<size_t, size_t>> Passage() const { return passage; }
    // Where the picture is laid in the window, for clicks on it.
    QRect PictureArea() const;
    // The key of the context menu's 調: a transposition of the song as written, or the fit.
    void ChooseKey(KeyChoice key);
    KeyChoice ChosenKey() const { return doc.ChosenKey(); }
    // The player's sheets of the loaded tune, kept beside it: the one shown now saved under
    // `name` (the tune's default when `asDefault` or when it is the first), or one of them shown.
    bool SaveTuneSheet(const std::string& name, bool asDefault = false);
    void UseTuneSheet(const std::string& name);
    const TuneSheets& SheetsOfTune() const { return tuneSheets; }
    const std::string& TuneSheetShown() const { return doc.SheetShown(); }
    // Copies the loaded score into the library folder, listed under the title and fame (0..255)
    // with its sheets; false after the message of what failed, nothing left half-written.
    bool AddToLibrary(const std::string& title, int fame);
    const std::string& SongPath() const { return doc.Path(); }
    // Asked which sheet to open when the tune keeps several; tests answer it themselves.
    using SheetChooser = std::function<std::optional<std::string>(QWidget*, const TuneSheets&)>;
    void SetSheetChooser(SheetChooser chooser) { sheetChooser = std::move(chooser); }
    // The context menu's パートの選択: the roles of the tune's voices asked again from those
    // drawn, the tune read anew with them, its measures and key kept.
    void ChooseVoices();
    VoiceChoice DrawnVoices() const { return doc.DrawnVoices(); }
    // Starts playing the shown measures, or stops what plays.
    void TogglePlayback();
    // Chooses the passage as the picture does (indices into the shown layout's measures), or
    // none; held within the shown measures.
    void SetPassage(std::optional<std::pair<size_t, size_t>> chosen);
    // The keys the context menu and the practice panel offer: the fit's first, then every
    // transposition as OfferKeys orders them.
    struct KeyEntry {
        std::string text;
        KeyChoice key;
        int missingNotes = 0;
    };
    std::vector<KeyEntry> KeyEntries() const;
    // Where the learner is, as measures are numbered in the boxes: under the pointer and
    // playing (none off the picture, or when nothing plays), out of how many the tune has.
    std::optional<int> MeasureUnderPointer() const { return pointerMeasure; }
    std::optional<int> MeasurePlaying() const { return playingMeasure; }
    int MeasureTotal() const { return fitted.measureCount; }
    // "第12小節 / 32", or a dash for none.
    QString WhereText(std::optional<int> measure) const;
    // 画面に小節番号: the measure marks and numbers on the screen's picture; off, the picture
    // is as it has always been.
    bool ScreenMeasureNumbers() const { return screenNumbers; }
    void SetScreenMeasureNumbers(bool on);
    // The practice panel beside the window, made at its first opening; none before.
    void OpenPracticePanel();
    PracticePanel* Panel() const { return panel; }

signals:
    // The passage chosen changed.
    void PassageChanged();
    // Other measures, another key, harp or tune are shown; the passage is gone with them.
    void ScoreShown();
    // The measure under the pointer or the one playing changed, or the screen's numbers.
    void WhereChanged();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // The practice keys reach the window while a measure box has the focus.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int result) override;
    // A language installed while the window is open retranslates its own texts.
    void changeEvent(QEvent* event) override;

private:
    // The window's texts (title, labels, buttons) in the installed language; the menus are
    // built in it each time they open.
    void RetranslateUi();
    void Initialise();
    // Sizes the window, its picture and the shown score for the settings as they stand.
    void ArrangeForSettings();
    // Places the picture, the controls beside it and the window's size for the harp shown.
    void ArrangeForHarp();
    void LoadFromFile();
    void OpenLibrary();
    void EditSettings();
    // `everyone`: the whole song once for each drawn voice's player, in one job.
    void PrintScore(bool wholeSong = false, bool everyone = false);
    // The pages 印刷 would print, in Qt's print preview, printable from there.
    void PreviewScore(bool wholeSong = false, bool everyone = false);
    // What a print takes: the shown measures or the whole song, the sheet made for this harp.
    struct PrintRequest {
        FittedScore score;
        std::optional<SongFacts> facts;
        SheetSettings sheet;
        bool landscape = false;
    };
    PrintRequest RequestPrint(bool wholeSong, QSizeF paperMm, bool everyone = false) const;
    RepeatDrawing RepeatsShown() const;
    void OnMeasureBoxChanged(bool startMoved);
    // Whatever changes the score, opens a dialog or ends the window stops the sound first.
    void StopPlayback();
    void AddPlaybackItems(QMenu& menu);
    void AddPracticeItems(QMenu& menu);
    // The measure of the shown score under a point of the window; none off the picture.
    std::optional<size_t> MeasureAt(QPoint at) const;
    void ChoosePassage(size_t anchorMeasure, size_t otherMeasure);
    void ClearPassage();
    // The chosen passage in time units of the shown layout, for the player.
    std::optional<std::pair<int32_t, int32_t>> PassageUnits() const;
    // The picture again with the passage's band and the ring over `placed` (or none).
    void ShowPicture(int placed);
    // The same with a ring over each drawn note of `placed`: every voice's sounding note.
    void ShowPicture(const std::vector<size_t>& placed);
    // While playing to the song's end: the ring of the played score shown on the page of
    // measures that holds it, the boxes turned to that page when it lies off the screen; the
    // other voices' rings with it.
    void ShowPlayedMark(int placed);
    // The measure boxes and the picture set to measures first..last while the sound goes on.
    void ShowMeasures(MeasureRange shown);
    // Plays the passage, the shown measures, or from them to the song's end.
    void PlayShown();
    // The tune's title, key and tempo as played in the window's title.
    void ShowTitle();
    void SetPointerMeasure(std::optional<int> measure);
    void SetPlayingMeasure(std::optional<int> measure);
    // The measure, numbered as the boxes number them, that holds drawn note `placed` of `shown`.
    static std::optional<int> MeasureOfDrawn(const FittedScore& shown, int placed);
    // Reacts to the practice keys; false for any other key.
    bool PracticeKey(const QKeyEvent& event);
    void AddKeyItems(QMenu& menu);
    // "その他..." of the tempo and key submenus: any value, asked in a small dialog.
    void AskTempo();
    void AskKey();
    void AddTuneSheetItems(QMenu& menu);
    // Whose sheets 印刷 and 全曲を印刷 make: the group's, one player's, or every player's.
    void AddPlayerItems(QMenu& menu);
    void AskToSaveTuneSheet();
    void AskToAddToLibrary();
    // Puts a sheet's harp and paper choices in place before the song is fitted and laid out.
    void TakeSheetSettings(const TuneSheet& chosen);
    // The practice a sheet keeps: taken after the sheet's measures are shown, and as it stands.
    void TakePractice(const SheetPractice& kept);
    void ApplyPractice(const SheetPractice& kept);
    void PracticeWithoutSheet();
    SheetPractice CurrentPractice() const;
    // Says which lines of the tune's sheet file did not read: the chosen sheet's, and the
    // listing's when the tune has just been opened.
    void TellUnreadSheetLines(const TuneSheet* chosen, bool withListing);
    void AddUnreadSheetItem(QMenu& sheets);
    // Lays out the song again in `key` over `measures`, the boxes following.
    void ShowSong(KeyChoice key, MeasureRange measures, RepeatDrawing repeats);
    TuneSheet CurrentTuneSheet(const std::string& name) const;
    // The sheet's strings, or the window's own harp when it names none.
    void UseHarp(const std::vector<int32_t>& strings);

    std::unique_ptr<CButtonPicture> buttons;
    std::unique_ptr<CScorePicture> score;
    ConfigRecord settings;
    SheetSettings sheet; // how the paper sheet is made, from sheet.ini
    SheetSettings sheetOpened; // what the window started with: still that, sheet.ini is not touched
    // sheet.ini's own, which a tune's sheet stands in for only while that tune is open; the
    // settings dialog changes it while no tune's sheet is shown.
    SheetSettings ownSheet;
    std::optional<SheetPractice> practiceBeforeSheet; // the player's, while a tune's sheet set it
    std::string currentFolder;
    std::unique_ptr<CConfigControl> settingsStore;
    // The open tune, fitted and laid out; the window shows and prints what it holds.
    TuneDocument doc;
    const ScoreFrame& frame = doc.Frame(); // the harp and picture shown: the window's own, or a tune's sheet's
    ScoreFrame ownHarp; // the harp the window was started with, as the settings dialog changed it
    const FittedScore& fitted = doc.Fitted(); // the shown score, handed to whoever draws or prints it
    std::string settingsFolder;
    Language language = Language::kJapanese; // as language.ini keeps it
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
    std::optional<std::pair<size_t, size_t>> passage;
    size_t passageAnchor = 0; // the measure a shift-click or drag extends from
    bool followToEnd = true; // 再生 goes on past the shown measures, the screen following
    std::unique_ptr<FittedScore> played; // what plays when it is more than the shown measures
    std::optional<MeasureRange> shownBeforeFollowing; // the measures to go back to
    TuneSheets tuneSheets; // the loaded tune's, read from beside it
    SheetChooser sheetChooser;
    PracticePanel* panel = nullptr;
    std::optional<int> pointerMeasure, playingMeasure;
    bool screenNumbers = false;
};
