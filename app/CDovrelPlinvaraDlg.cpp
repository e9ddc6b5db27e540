#include "app/CDovrelPlinvaraDlg.h"

#include "app/CAboutDlg.h"
#include "app/PracticePanel.h"
#include "audio/ScorePlayback.h"
#include "audio/SoundFont.h"
#include "common/ChooseFileToOpen.h"
#include "common/Cp932.h"
#include "common/ErrorCodes.h"
#include "common/FileServices.h"
#include "common/Messages.h"
#include "common/DialogPalette.h"
#include "common/QtText.h"
#include "controls/CButtonPicture.h"
#include "controls/COffScreenControl.h"
#include "controls/CReadOnlySpinBox.h"
#include "import/CMelodyChoiceDlg.h"
#include "import/CVoiceRolesDlg.h"
#include "import/ScoreImport.h"
#include "library/CArchiveDlg.h"
#include "print/CPrintPicture.h"
#include "print/PrintTarget.h"
#include "print/ScoreJob.h"
#include "print/SheetPlanning.h"
#include "render/CScorePicture.h"
#include "settings/CConfigControl.h"
#include "settings/CConfigDlg.h"
#include "settings/HarpPresets.h"
#include "settings/SheetSettingsFile.h"
#include "score/Score.h"
#include "song/CSongData.h"
#include "score/ChordAccompaniment.h"
#include "render/SettingsScore.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QIcon>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QLabel>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QThread>
#include <algorithm>
#include <cctype>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

CDovrelPlinvaraDlg* g_mainWindow = nullptr;

class DiscardedMessages : public IMessageSink {
public:
    void Show(const std::string&) override {}
};

// Messages kept back until it is known whether they are still news.
class HeldMessages : public IMessageSink {
public:
    void Show(const std::string& text) override { held.push_back(text); }
    void ShowNow() const
    {
        for (const std::string& text : held)
            ShowMessage(text);
    }

private:
    std::vector<std::string> held;
};

constexpr const char* kVoiceRolesTitle = "パートの選択";
constexpr const char* kNoLibraryTitle = "曲名を入力してください。";

// What the song draws, its melody's voice named even where nobody chose it.
VoiceChoice DrawnVoicesOf(const ImportOutcome& loaded)
{
    VoiceChoice drawn = loaded.drawn;
    if (drawn[VoiceRole::kMelody] == 0)
        drawn[VoiceRole::kMelody] = loaded.melodyVoice;
    return drawn;
}

void OnButtonCommand(int command)
{
    if (g_mainWindow)
        g_mainWindow->RunCommand(command);
}

void OnButtonReleased(int) {}

struct ButtonPlace {
    int control;
    const char* caption;
    int top;
    int command;
};

// The exit button comes first: the registry is built on it.
const ButtonPlace kButtons[] = {
    {MainControl::kExit, "    終 了", 350, MainCommand::kExit},
    {MainControl::kSettings, "    設 定", 250, MainCommand::kSettings},
    {MainControl::kLoad, "    読 込", 200, MainCommand::kLoad},
    {MainControl::kPrint, "    印 刷", 150, MainCommand::kPrint},
    {MainControl::kLibrary, "　 ﾗｲﾌﾞﾗﾘ", 300, MainCommand::kLibrary},
};

constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 30;
constexpr int kScoreMargin = 10;

// Which of the tune's sheets to open, the default one offered first; cancelled: the default.
std::optional<std::string> AskWhichTuneSheet(QWidget* owner, const TuneSheets& sheets)
{
    QStringList names;
    int current = 0;
    for (const TuneSheet& kept : sheets.sheets) {
        if (&kept == sheets.Default())
            current = static_cast<int>(names.size());
        names << QString::fromStdString(kept.name);
    }
    bool ok = false;
    const QString chosen = QInputDialog::getItem(owner, QStringLiteral("用紙の選択"), QStringLiteral("開く用紙:"), names,
                                                 current, false, &ok);
    return ok ? std::optional<std::string>(chosen.toStdString()) : std::nullopt;
}

// The endings the library lists a score of this format under, the one a copy is given first.
std::vector<std::string> LibraryEndings(ScoreFormat format, const std::vector<uint8_t>& bytes)
{
    const bool zipped = bytes.size() >= 4 && std::equal(bytes.begin(), bytes.begin() + 4, "PK\3\4");
    switch (format) {
    case ScoreFormat::Abc: return {".abc"};
    case ScoreFormat::MusicXml: return zipped ? std::vector<std::string>{".mxl"} : std::vector<std::string>{".musicxml", ".xml"};
    case ScoreFormat::Midi: return {".mid", ".midi"};
    case ScoreFormat::SongFile: break;
    }
    return {};
}

bool EndsWithFolded(const std::string& name, const std::string& ending)
{
    return name.size() > ending.size() &&
           std::equal(ending.begin(), ending.end(), name.end() - static_cast<std::ptrdiff_t>(ending.size()),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b)); });
}

// A file name in the library folder that nothing holds yet, after the score's own: "tune.abc",
// then "tune-2.abc", "tune-3.abc"; "" when none is free. A name without its format's ending gets
// it, as the library lists scores by their endings.
std::string FreeLibraryName(const std::string& folder, const std::string& source, const std::vector<std::string>& endings)
{
    std::string stem = QFileInfo(QFile::decodeName(source.c_str())).fileName().toStdString();
    std::string suffix = endings.empty() ? std::string() : endings.front();
    for (const std::string& ending : endings)
        if (EndsWithFolded(stem, ending)) {
            suffix = stem.substr(stem.size() - ending.size());
            stem.resize(stem.size() - ending.size());
            break;
        }
    struct stat st {};
    for (int n = 1; n < 10000; ++n) {
        const std::string path = JoinPath(folder, stem + (n == 1 ? "" : "-" + std::to_string(n)) + suffix);
        if (path.size() + 4 > kMaxPathBytes)
            return "";
        if (lstat(path.c_str(), &st) != 0 && lstat(TuneSheetsPath(path).c_str(), &st) != 0)
            return path;
    }
    return "";
}

// Whether the tune has every voice the sheet names, said when not; a song file has no voices
// of its own to lack.
bool SheetVoicesThere(const TuneSheet& sheet, ScoreFormat format, const std::vector<VoiceOffer>& voices)
{
    if (format == ScoreFormat::SongFile)
        return true;
    const std::optional<std::string> missing = MissingSheetVoiceText(sheet, voices.size());
    if (missing)
        ShowMessage(*missing);
    return !missing;
}

} // namespace

CDovrelPlinvaraDlg::CDovrelPlinvaraDlg(QWidget* parent, AudioOutputFactory audio) : QDialog(parent)
{
    setObjectName(QString::number(kResourceId));
    setWindowTitle(QStringLiteral("ハープ用図形楽譜"));
    setFont(DialogFont());
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    UsePillBackground(this);

    // The controls of the window's template, named by their numbers.
    startLabel = new QLabel(QStringLiteral("開始小節"), this);
    startLabel->setObjectName(QString::number(MainControl::kStartLabel));
    endLabel = new QLabel(QStringLiteral("終了小節"), this);
    endLabel->setObjectName(QString::number(MainControl::kEndLabel));
    for (QLabel* label : {startLabel, endLabel})
        label->resize(75, 22);
    startBox = new CReadOnlySpinBox(this, MainControl::kStartEdit, MainControl::kStartSpin);
    endBox = new CReadOnlySpinBox(this, MainControl::kEndEdit, MainControl::kEndSpin);
    for (CReadOnlySpinBox* box : {startBox, endBox}) {
        box->resize(52, 22);
        box->Edit()->setReadOnly(false); // a measure is typed as well as stepped to
    }
    exitControl = new COffScreenControl(this, MainControl::kExit, true);
    scoreControl = new COffScreenControl(this, MainControl::kScore, false);
    settingsControl = new COffScreenControl(this, MainControl::kSettings, true);
    loadControl = new COffScreenControl(this, MainControl::kLoad, true);
    printControl = new COffScreenControl(this, MainControl::kPrint, true);
    libraryControl = new COffScreenControl(this, MainControl::kLibrary, true);

    Initialise();
    sheetChooser = &AskWhichTuneSheet;
    playback = std::make_unique<ScorePlayback>(
        std::move(audio), ReadSoundFontSetting(JoinPath(settingsFolder, kSoundSettingsFileName)));
    // Only the mark is drawn anew; nothing else of the picture changes.
    connect(playback.get(), &ScorePlayback::MarkChanged, this, [this](int placed) { ShowPlayedMark(placed); });
    connect(playback.get(), &ScorePlayback::MarksChanged, this, [this] { ShowPlayedMark(playback->MarkedNote()); });
    move(0, 0); // the window's place is the screen's top left, never centred

    for (QObject* box : {static_cast<QObject*>(startBox), static_cast<QObject*>(endBox)}) {
        box->installEventFilter(this);
        for (QObject* part : box->findChildren<QWidget*>())
            part->installEventFilter(this);
    }
    // The arrows step the ring from the start, where a click on the picture puts them again.
    scoreControl->setFocusPolicy(Qt::StrongFocus);
    scoreControl->setFocus();
    connect(startBox, &QSpinBox::valueChanged, this, [this] { OnMeasureBoxChanged(true); });
    connect(endBox, &QSpinBox::valueChanged, this, [this] { OnMeasureBoxChanged(false); });
}

void CDovrelPlinvaraDlg::Initialise()
{
    setWindowIcon(QIcon(QStringLiteral(":/icons/128.png")));
    g_mainWindow = this;

    char cwd[4096];
    currentFolder = getcwd(cwd, sizeof cwd) ? cwd : ".";
    settingsFolder = GetSettingsFolder("PV");

    settingsStore = std::make_unique<CConfigControl>(JoinPath(settingsFolder, "setup.ini"), &settings,
                                                     DefaultConfigRecord());
    bool spacingGiven = false;
    sheet = ReadSheetSettings(QFile::decodeName(JoinPath(settingsFolder, kSheetSettingsFileName).c_str()),
                              &spacingGiven);
    if (!spacingGiven) // a fresh install prints at its harp's scale
        sheet.spacing = HarpSpacing(settings);
    sheetOpened = sheet;
    ownSheet = sheet;

    for (CReadOnlySpinBox* box : {startBox, endBox}) {
        box->setRange(1, 1);
        box->setValue(1);
    }

    COffScreenControl* controls[] = {exitControl, settingsControl, loadControl, printControl, libraryControl};
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        const ButtonPlace& place = kButtons[i];
        const PictureRect rect{0, place.top, kButtonWidth, place.top + kButtonHeight};
        const QString caption = QString::fromUtf8(place.caption);
        if (i == 0)
            buttons = std::make_unique<CButtonPicture>(&OnButtonCommand, &OnButtonReleased, controls[i], rect, caption,
                                                       ButtonImage::kNormal, ButtonImage::kPressed, -1);
        else
            buttons->AddButton(controls[i], rect, caption, ButtonImage::kNormal, ButtonImage::kPressed, -1);
        controls[i]->SetIndex(place.command);
    }
    ArrangeForSettings();
    buttons->ShowAll();
}

void CDovrelPlinvaraDlg::ArrangeForHarp()
{
    const int N = frame.stringCount, S = frame.stringSpacing, V = settings.verticalSize;
    const double Z = settings.displayZoom;
    buttonColumn = static_cast<int>((N + 1) * S * Z + kScoreMargin + 10);
    const int e = buttonColumn;
    COffScreenControl* controls[] = {exitControl, settingsControl, loadControl, printControl, libraryControl};
    for (size_t i = 0; i < std::size(kButtons); ++i)
        controls[i]->PlaceAt(PictureRect{e, kButtons[i].top, e + kButtonWidth, kButtons[i].top + kButtonHeight});

    startLabel->move(e, 10);
    endLabel->move(e, 60);
    startBox->move(e + 80, 10);
    endBox->move(e + 80, 60);

    if (score)
        score->Destroy();
    score = std::make_unique<CScorePicture>();
    const PictureRect scoreRect{kScoreMargin, kScoreMargin, frame.width + kScoreMargin, frame.height + kScoreMargin};
    score->Create(scoreControl, scoreRect, ScoreSetup{N, frame.stringPitches, S, settings.leftAdjust, Z});

    setFixedSize(e + 150, static_cast<int>(V * Z + 10 + 50));
}

void CDovrelPlinvaraDlg::ArrangeForSettings()
{
    frame = ScoreFrameOf(settings);
    ownHarp = frame;
    ArrangeForHarp();
    if (!song) {
        fitted = UnfittedScore(frame);
        score->ShowAll();
        return;
    }
    // The fitting only shifts the whole song, so the fitted song is fitted again from where it stands.
    const int transposition = fitted.transposition + FitScoreToFrame(*song, frame, settings.lowestNote);
    fitted = LayOutFittedScore(frame, *song, fitted.measures, transposition, RepeatsShown());
    score->ShowAll();
    score->LayOutMeasures(fitted);
}

CDovrelPlinvaraDlg::~CDovrelPlinvaraDlg()
{
    delete panel; // it reads the player and the score, which go next
    playback.reset();
    buttons->DestroyAll();
    buttons.reset();
    score->Destroy();
    score.reset();
    const bool recordSaved = settingsStore->Save();
    settingsStore.reset();
    {
        // Beside the record, in a file of its own, so that the record keeps its 184 bytes. When
        // the record could not be saved the user has heard it once; the sheet adds nothing.
        DiscardedMessages discarded;
        std::optional<ThreadMessageSinkScope> quiet;
        if (!recordSaved)
            quiet.emplace(&discarded);
        WriteSheetSettings(QFile::decodeName(JoinPath(settingsFolder, kSheetSettingsFileName).c_str()), ownSheet,
                           sheetOpened);
    }
    song.reset();
    if (g_mainWindow == this)
        g_mainWindow = nullptr;
}

void CDovrelPlinvaraDlg::RunCommand(int command)
{
    StopPlayback();
    switch (command) {
    case MainCommand::kExit:
        QThread::msleep(200); // the pressed look stays on the screen meanwhile
        accept();
        break;
    case MainCommand::kSettings: EditSettings(); break;
    case MainCommand::kLoad: LoadFromFile(); break;
    case MainCommand::kPrint: PrintScore(); break;
    case MainCommand::kLibrary: OpenLibrary(); break;
    default: break;
    }
}

void CDovrelPlinvaraDlg::OnSystemCommand(int id)
{
    if (id == MainCommand::kPlay) {
        TogglePlayback();
        return;
    }
    StopPlayback();
    if (id == MainCommand::kPrintPreview || id == MainCommand::kPreviewWhole) {
        PreviewScore(id == MainCommand::kPreviewWhole);
    } else if (id == MainCommand::kPrintWhole) {
        PrintScore(true);
    } else if ((id & 0xFFF0) == MainCommand::kAbout) {
        CAboutDlg about(nullptr);
        about.exec();
    }
}

void CDovrelPlinvaraDlg::contextMenuEvent(QContextMenuEvent* event)
{
    // The window manager owns the system menu here, so the version item lives in the
    // window's own context menu.
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("SystemMenu"));
    AddPlaybackItems(menu);
    AddKeyItems(menu);
    AddTuneSheetItems(menu);
    QAction* voices = menu.addAction(QStringLiteral("パートの選択(&R)..."));
    voices->setData(-1);
    voices->setEnabled(song && !songPath.empty() && (songVoices.size() > 1 || HasChordNames(*song)));
    connect(voices, &QAction::triggered, this, [this] { ChooseVoices(); });
    QAction* add = menu.addAction(QStringLiteral("ライブラリに追加(&B)..."));
    add->setData(-1);
    add->setEnabled(song && songFormat != ScoreFormat::SongFile);
    connect(add, &QAction::triggered, this, [this] { AskToAddToLibrary(); });
    menu.addSeparator();
    QAction* preview = menu.addAction(QStringLiteral("印刷プレビュー(&V)..."));
    preview->setData(MainCommand::kPrintPreview);
    QAction* whole = menu.addAction(QStringLiteral("全曲を印刷(&W)..."));
    whole->setData(MainCommand::kPrintWhole);
    QAction* wholePreview = menu.addAction(QStringLiteral("全曲の印刷プレビュー(&O)..."));
    wholePreview->setData(MainCommand::kPreviewWhole);
    for (QAction* a : {whole, wholePreview})
        a->setEnabled(song != nullptr);
    QAction* about = menu.addAction(QStringLiteral("DovrelPlinvara のﾊﾞｰｼﾞｮﾝ情報(&A)..."));
    about->setData(MainCommand::kAbout);
    // The tempo and loop items act by themselves and keep the sound going.
    if (QAction* chosen = menu.exec(event->globalPos()); chosen && chosen->data().toInt() >= 0)
        OnSystemCommand(chosen->data().toInt());
}

void CDovrelPlinvaraDlg::keyPressEvent(QKeyEvent* event)
{
    // No key ends the window, so that a stray one never loses the passage, tempo and key set
    // up; 終了 and the close box end it.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape)
        return;
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && !event->isAutoRepeat()) {
        TogglePlayback();
        return;
    }
    if (PracticeKey(*event))
        return;
    QDialog::keyPressEvent(event);
}

void CDovrelPlinvaraDlg::done(int result)
{
    StopPlayback();
    QDialog::done(result);
}

void CDovrelPlinvaraDlg::ChooseKey(KeyChoice key)
{
    if (!song)
        return;
    StopPlayback();
    ShowSong(key, fitted.measures, RepeatsShown());
}

int CDovrelPlinvaraDlg::LowestString() const
{
    // A sheet's own harp starts where its strings do; the window's, where the settings say.
    return frame.stringPitches == ownHarp.stringPitches && frame.stringCount == ownHarp.stringCount
               ? settings.lowestNote
               : frame.stringPitches[0];
}

void CDovrelPlinvaraDlg::TakeSheetSettings(const TuneSheet& chosen)
{
    sheet = chosen.sheet;
    UseHarp(chosen.strings);
}

void CDovrelPlinvaraDlg::UseHarp(const std::vector<int32_t>& strings)
{
    ScoreFrame harp = ownHarp;
    if (!strings.empty()) {
        harp.stringCount = static_cast<int>(std::min(strings.size(), static_cast<size_t>(kMaxStrings)));
        harp.stringPitches.fill(0);
        std::copy_n(strings.begin(), harp.stringCount, harp.stringPitches.begin());
        // As wide as the harp it draws, as the printed sheet is: no string falls off the picture.
        harp.width = (harp.stringCount + 1) * harp.stringSpacing;
    }
    if (harp.stringCount != frame.stringCount || harp.stringPitches != frame.stringPitches) {
        frame.stringCount = harp.stringCount;
        frame.stringPitches = harp.stringPitches;
        frame.width = harp.width;
        ArrangeForHarp();
    }
}

TuneSheet CDovrelPlinvaraDlg::CurrentTuneSheet(const std::string& name) const
{
    TuneSheet kept;
    kept.name = name;
    kept.key = chosenKey;
    kept.measures = fitted.measures;
    kept.strings.assign(frame.stringPitches.begin(),
                        frame.stringPitches.begin() + std::clamp(frame.stringCount, 0, kMaxStrings));
    kept.sheet = sheet;
    kept.sheet.repeats = RepeatsShown(); // what the boxes count by, whatever the settings now say
    kept.voices = drawnVoices;
    kept.practice = CurrentPractice();
    return kept;
}

bool CDovrelPlinvaraDlg::SaveTuneSheet(const std::string& typed, bool asDefault)
{
    const std::string name = TuneSheetName(typed);
    if (!song || songPath.empty() || name.empty())
        return false;
    TuneSheets changed = tuneSheets;
    changed.Put(CurrentTuneSheet(name));
    if (asDefault)
        changed.defaultName = name;
    if (!WriteTuneSheets(TuneSheetsPath(songPath), changed))
        return false; // the writer said why; the sheets kept are still those of the file
    tuneSheets = std::move(changed);
    sheetShown = name;
    return true;
}

void CDovrelPlinvaraDlg::UseTuneSheet(const std::string& name)
{
    const TuneSheet* chosen = tuneSheets.Find(name);
    if (!song || !chosen)
        return;
    StopPlayback();
    const TuneSheet kept = *chosen;
    sheetShown = kept.name;
    const ScoreFrame before = frame;
    // The sheet's voices come read anew, as written, and are fitted as a song just loaded.
    const bool readAgain = kept.voices && *kept.voices != drawnVoices && SheetVoicesThere(kept, songFormat, songVoices) &&
                           ReadVoicesAgain(*kept.voices);
    TakeSheetSettings(kept);
    int applied = fitted.transposition;
    if (readAgain || before.stringPitches != frame.stringPitches || before.stringCount != frame.stringCount) {
        // Another harp has another fit.
        if (applied != 0 && !readAgain)
            TransposeScore(*song, -applied);
        fitTransposition = FitScoreToFrame(*song, frame, LowestString());
        fitted.transposition = fitTransposition;
    }
    ShowSong(kept.key, kept.measures, kept.sheet.repeats);
    TakePractice(kept.practice);
    TellUnreadSheetLines(&kept, false);
}

void CDovrelPlinvaraDlg::AddTuneSheetItems(QMenu& menu)
{
    QMenu* sheets = menu.addMenu(QStringLiteral("用紙(&S)"));
    sheets->setObjectName(QStringLiteral("TuneSheetMenu"));
    sheets->setEnabled(song != nullptr);
    for (const TuneSheet& kept : tuneSheets.sheets) {
        const bool isDefault = kept.name == tuneSheets.Default()->name;
        QAction* choice = sheets->addAction(QString::fromStdString(kept.name + (isDefault ? "（既定）" : "")));
        choice->setCheckable(true);
        choice->setChecked(kept.name == sheetShown);
        choice->setData(-1);
        const std::string name = kept.name;
        connect(choice, &QAction::triggered, this, [this, name] { UseTuneSheet(name); });
    }
    AddUnreadSheetItem(*sheets);
    if (!tuneSheets.sheets.empty())
        sheets->addSeparator();
    QAction* save = sheets->addAction(QStringLiteral("この用紙を保存(&S)..."));
    save->setData(-1);
    connect(save, &QAction::triggered, this, [this] { AskToSaveTuneSheet(); });
    QAction* makeDefault = sheets->addAction(QStringLiteral("既定の用紙にする(&D)"));
    makeDefault->setData(-1);
    makeDefault->setEnabled(!sheetShown.empty());
    connect(makeDefault, &QAction::triggered, this, [this] { SaveTuneSheet(sheetShown, true); });
}

bool CDovrelPlinvaraDlg::ReadVoicesAgain(const VoiceChoice& voices)
{
    ImportRequest request;
    request.choice = songChoice;
    request.voices = voices;
    ImportOutcome loaded = LoadScoreFile(songPath, request);
    if (!loaded.song || loaded.failed)
        return false; // said why; what is shown stays
    song = std::make_unique<::Score>(std::move(loaded.score));
    songBytes = std::move(loaded.bytes);
    songVoices = std::move(loaded.voices);
    drawnVoices = DrawnVoicesOf(loaded);
    return true;
}

void CDovrelPlinvaraDlg::ChooseVoices()
{
    if (!song || songPath.empty())
        return;
    StopPlayback();
    const std::optional<VoiceChoice> chosen =
        CVoiceRolesDlg::AskFrom(this, kVoiceRolesTitle, songVoices, drawnVoices, HasChordNames(*song));
    if (!chosen || *chosen == drawnVoices)
        return;
    const KeyChoice key = chosenKey;
    const MeasureRange measures = fitted.measures;
    const RepeatDrawing repeats = RepeatsShown();
    if (!ReadVoicesAgain(*chosen))
        return;
    fitTransposition = FitScoreToFrame(*song, frame, LowestString());
    fitted.transposition = fitTransposition;
    ShowSong(key, measures, repeats);
    if (fitted.notesWithoutString > 0)
        ShowNotesWithoutStringMessage(fitted.notesWithoutString);
}

bool CDovrelPlinvaraDlg::AddToLibrary(const std::string& typedTitle, int fame)
{
    const std::string title = TuneSheetName(typedTitle);
    if (!song || songFormat == ScoreFormat::SongFile)
        return false; // a song file is the library's already: the menu offers nothing
    if (title.empty()) {
        ShowMessage(kNoLibraryTitle);
        return false;
    }
    const std::string folder = JoinPath(currentFolder, "Archive");
    const auto failed = [&] {
        ShowMessage("「" + title + "」をライブラリ（" + folder + "）に追加できませんでした。");
        return false;
    };
    if (songBytes.empty())
        return failed();
    CreateFolderPath(folder);
    const std::string target = FreeLibraryName(folder, songPath, LibraryEndings(songFormat, songBytes));
    if (target.empty()) {
        ShowGeneralError(GeneralError::kCannotOpenFile);
        return false;
    }
    TuneSheets listed = tuneSheets; // the tune's sheets go with it
    listed.listing = LibraryListing{title, std::clamp(fame, 0, 255), songChoice};
    // The sheets first: a score without them is never listed, so a failure between the two
    // leaves nothing the library shows; the score's failure takes its sheets away again.
    const std::string sheetsPath = TuneSheetsPath(target);
    if (!WriteTuneSheets(sheetsPath, listed))
        return failed();
    // The bytes the score was read from, not the file as it stands now: it may be gone or changed.
    if (!WriteWholeFile(target, songBytes.data(), songBytes.size())) {
        unlink(sheetsPath.c_str());
        return failed();
    }
    // From now on the sheets are kept beside the library's copy.
    songPath = target;
    tuneSheets = std::move(listed);
    return true;
}

void CDovrelPlinvaraDlg::AskToAddToLibrary()
{
    StopPlayback();
    QDialog ask(this);
    ask.setObjectName(QStringLiteral("AddToLibrary"));
    ask.setWindowTitle(QStringLiteral("ライブラリに追加"));
    auto* form = new QFormLayout(&ask);
    auto* title = new QLineEdit(QString::fromStdString(song->title), &ask);
    title->setObjectName(QStringLiteral("Title"));
    auto* fame = new QSpinBox(&ask);
    fame->setObjectName(QStringLiteral("Fame"));
    fame->setRange(0, 255);
    // Listed by the filter the library opens with, so that the tune added is seen there.
    fame->setValue(CArchiveDlg::InitialFame());
    form->addRow(QStringLiteral("曲名"), title);
    form->addRow(QStringLiteral("知名度 (0～255)"), fame);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &ask);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &ask, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &ask, &QDialog::reject);
    if (ask.exec() == QDialog::Accepted && AddToLibrary(title->text().toStdString(), fame->value()))
        ShowMessage(CArchiveDlg::AddedText(tuneSheets.listing ? tuneSheets.listing->title : std::string(),
                                       JoinPath(currentFolder, "Archive"), fame->value()));
}

void CDovrelPlinvaraDlg::AskToSaveTuneSheet()
{
    StopPlayback();
    bool ok = false;
    const QString typed = QInputDialog::getText(this, QStringLiteral("用紙の保存"), QStringLiteral("用紙の名前:"),
                                                QLineEdit::Normal,
                                                QString::fromStdString(sheetShown.empty() ? "練習用" : sheetShown), &ok);
    if (ok)
        SaveTuneSheet(typed.toStdString());
}

void CDovrelPlinvaraDlg::TogglePlayback()
{
    if (playback->Active())
        playback->Stop();
    else if (song)
        PlayShown();
}

void CDovrelPlinvaraDlg::StopPlayback()
{
    if (playback)
        playback->Stop();
}

void CDovrelPlinvaraDlg::LoadSong(const std::string& path)
{
    StopPlayback();
    if (IsSongFileName(path))
        song.reset(); // the old song goes before the new one is read
    // The sheets first: a score of the library names the part it was added with.
    TuneSheets kept;
    const std::string sheetsPath = TuneSheetsPath(path);
    const TuneSheetsRead sheetsRead = ReadTuneSheets(sheetsPath, kept);
    ImportRequest request;
    int asked = kDefaultChoice;
    request.chooser = [&asked](const std::string& title, const std::vector<MelodyChoice>& choices) {
        return asked = CMelodyChoiceDlg::Ask(title, choices);
    };
    request.voiceChooser = &CVoiceRolesDlg::Ask;
    if (kept.listing)
        request.choice = kept.listing->choice;
    // A tune opens with the voices its default sheet keeps, without asking.
    if (const TuneSheet* first = kept.Default(); first && first->voices)
        request.voices = first->voices;
    ImportOutcome loaded;
    {
        HeldMessages held;
        std::optional<ThreadMessageSinkScope> holding;
        if (request.voices)
            holding.emplace(&held);
        loaded = LoadScoreFile(path, request);
        holding.reset();
        if (request.voices && loaded.failed) {
            // Voices the tune no longer has: it opens as it stands, and says so if it cannot.
            request.voices.reset();
            loaded = LoadScoreFile(path, request);
        } else {
            held.ShowNow();
        }
    }
    if (!loaded.song)
        return; // the user cancelled the choice of a part
    song = std::make_unique<::Score>(std::move(loaded.score));
    songPath = path;
    songFormat = loaded.failed ? ScoreFormat::SongFile : loaded.format;
    songBytes = loaded.failed ? std::vector<uint8_t>() : std::move(loaded.bytes);
    songChoice = kept.listing ? kept.listing->choice : asked;
    songVoices = std::move(loaded.voices);
    drawnVoices = DrawnVoicesOf(loaded);
    tuneSheets = std::move(kept);
    sheetShown.clear();
    if (sheetsRead == TuneSheetsRead::kDamaged)
        ShowMessage("この曲の用紙ファイル「" + QFileInfo(QFile::decodeName(sheetsPath.c_str())).fileName().toStdString() +
                    "」を読めないため、用紙を使わずに開きます。");
    const TuneSheet* chosen = tuneSheets.Default();
    if (chosen && tuneSheets.sheets.size() > 1 && sheetChooser)
        if (const std::optional<std::string> name = sheetChooser(this, tuneSheets))
            chosen = tuneSheets.Find(*name) ? tuneSheets.Find(*name) : chosen;
    if (chosen && chosen->voices && *chosen->voices != drawnVoices && SheetVoicesThere(*chosen, songFormat, songVoices))
        ReadVoicesAgain(*chosen->voices);
    if (chosen) {
        sheetShown = chosen->name;
        TakeSheetSettings(*chosen);
    } else {
        sheet = ownSheet; // the paper sheet too: a tune's sheet is that tune's alone
        UseHarp({}); // the window's own harp again after a tune that brought its own
    }
    fitTransposition = FitScoreToFrame(*song, frame, LowestString());
    fitted.transposition = fitTransposition;
    chosenKey.reset();
    // The range counts the measures as drawn: written ones when repeats are drawn with lines.
    ShowSong(chosen ? chosen->key : std::nullopt, chosen ? chosen->measures : FirstShownMeasures(*song), sheet.repeats);
    if (chosen)
        TakePractice(chosen->practice);
    else
        PracticeWithoutSheet();
    if (sheetsRead == TuneSheetsRead::kRead)
        TellUnreadSheetLines(chosen, true);
    // Said once per song; a note without a string would otherwise just be missing.
    if (fitted.notesWithoutString > 0)
        ShowNotesWithoutStringMessage(fitted.notesWithoutString);
}

void CDovrelPlinvaraDlg::ShowSong(KeyChoice key, MeasureRange measures, RepeatDrawing repeats)
{
    chosenKey = key;
    const bool fitsAlready = !key && fitted.transposition == fitTransposition;
    const int transposition =
        fitsAlready ? fitTransposition : MoveScoreToKey(*song, fitted.transposition, key, frame, LowestString());
    // A range kept from another time is held within the song; the written layout holds its own.
    if (repeats == RepeatDrawing::kWrittenOut || !song->repeats.Jumps()) {
        measures.last = std::clamp(measures.last, 1, std::max(1, song->measureCount));
        measures.first = std::clamp(measures.first, 1, measures.last);
    }
    // Laid out anew, never lent the old layout: its pitches or its harp may be other.
    fitted = LayOutFittedScore(frame, *song, measures, transposition, repeats);
    const MeasureRange shown = fitted.measures;
    settings.startMeasure = shown.first;
    settings.endMeasure = shown.last;
    settingBoxes = true;
    const int count = std::max(1, fitted.measureCount); // a written score may hold far more than 32767
    for (CReadOnlySpinBox* box : {startBox, endBox})
        box->setRange(1, count);
    startBox->setValue(settings.startMeasure);
    endBox->setValue(std::max(1, settings.endMeasure));
    settingBoxes = false;
    passage.reset();
    shownBeforeFollowing.reset();
    score->LayOutMeasures(fitted);
    emit ScoreShown();
}

void CDovrelPlinvaraDlg::OnMeasureBoxChanged(bool startMoved)
{
    if (settingBoxes || !song)
        return;
    StopPlayback();
    // The range never turns over: moving one end past the other takes the other along.
    settingBoxes = true;
    if (startMoved && startBox->value() > endBox->value())
        endBox->setValue(startBox->value());
    if (!startMoved && endBox->value() < startBox->value())
        startBox->setValue(endBox->value());
    settingBoxes = false;
    settings.startMeasure = startBox->value();
    settings.endMeasure = endBox->value();
    fitted = LayOutFittedScore(frame, *song, {settings.startMeasure, settings.endMeasure}, fitted.transposition,
                               RepeatsShown(), &fitted);
    passage.reset();
    shownBeforeFollowing.reset();
    score->LayOutMeasures(fitted);
    emit ScoreShown();
}

void CDovrelPlinvaraDlg::LoadFromFile()
{
    std::string path;
    if (ChooseFileToOpen(this, QStringLiteral("mwd"), QString::fromStdString(ScoreFileFilter()), path) == 1)
        LoadSong(path);
}

void CDovrelPlinvaraDlg::OpenLibrary()
{
    CArchiveDlg library(nullptr);
    library.SetBaseFolder(currentFolder);
    library.exec();
    if (!library.ResultPath().empty())
        LoadSong(library.ResultPath());
}

void CDovrelPlinvaraDlg::EditSettings()
{
    CConfigDlg dialog(nullptr);
    dialog.SetSettings(&settings);
    dialog.SetSheetSettings(&sheet);
    const ConfigRecord before = settings;
    dialog.exec();
    // A tune's sheet changed here stays that tune's until it is saved; sheet.ini keeps its own.
    if (sheetShown.empty())
        ownSheet = sheet;
    // The screen and the print follow the dialog at once; nothing waits for a restart.
    if (!(before == settings))
        ArrangeForSettings();
    passage.reset();
    shownBeforeFollowing.reset();
    emit ScoreShown();
}

RepeatDrawing CDovrelPlinvaraDlg::RepeatsShown() const
{
    // A choice changed in the settings waits for the next song, as the measure boxes count by it.
    return fitted.DrawnOnce() ? RepeatDrawing::kLines : RepeatDrawing::kWrittenOut;
}

CDovrelPlinvaraDlg::PrintRequest CDovrelPlinvaraDlg::RequestPrint(bool wholeSong, QSizeF paperMm) const
{
    PrintRequest r;
    r.score = wholeSong && song ? LayOutFittedScore(frame, *song, {1, std::max(1, fitted.measureCount)},
                                                    fitted.transposition, RepeatsShown(), &fitted)
                                : fitted;
    if (song)
        r.facts = SongFactsOf(*song, r.score);
    r.sheet = sheet;
    // The whole song is the sheet to play from, at the harp's scale; 印刷 keeps the page fitted
    // to the paper that the screen shows.
    if (!wholeSong)
        r.sheet.spacing = PaperSpacing::FitToPaper();
    else if (r.sheet.FitsPaper())
        r.sheet.spacing = HarpSpacing(settings);
    // A harp the settings name keeps its own sheet height; one set by hand takes sheet.ini's.
    if (const HarpPreset* harp = RecogniseHarpPreset(settings))
        r.sheet.harpHeightMm = harp->sheetHeightMm;
    r.landscape = SuitsLandscape(frame.stringCount, r.sheet, paperMm.width(), paperMm.height());
    return r;
}

void CDovrelPlinvaraDlg::PrintScore(bool wholeSong)
{
    auto printer = std::make_unique<CPrintPicture>();
    printer->expectedPaperSize = PaperSize::kA3;
    const PrintRequest r = RequestPrint(wholeSong, QPageSize(PageSizeOf(sheet.paper)).size(QPageSize::Millimeter));
    printer->SetDocumentName(QString::fromStdString(r.facts ? r.facts->title : std::string()));
    DeviceMode mode;
    if (printer->ChoosePrinter(mode, this, r.sheet, r.landscape)) {
        PrintScorePicture(*printer, r.facts, r.score, r.sheet, &AskToPrintPages);
        printer->ReleasePrinter();
    }
}

void CDovrelPlinvaraDlg::PreviewScore(bool wholeSong)
{
    const PrintRequest r = RequestPrint(wholeSong, QPageSize(PageSizeOf(sheet.paper)).size(QPageSize::Millimeter));
    const std::unique_ptr<QPrinter> printer = PreviewPrinter(QString::fromStdString(r.facts ? r.facts->title : std::string()), sheet.paper, r.landscape);
    QPrintPreviewDialog preview(printer.get(), this);
    preview.setObjectName(QString::fromLatin1(kPrintPreviewName));
    preview.setWindowTitle(QStringLiteral("印刷プレビュー"));
    // A page is read in the preview, not glimpsed: most of the screen, not Qt's small default.
    if (const QScreen* shown = screen())
        preview.resize(shown->availableGeometry().size() * 0.8);
    // Asked again for every change of page setup, and once more for the printer chosen there.
    connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter* target) {
        CPrintPicture job;
        job.expectedPaperSize = PaperSize::kA3;
        DeviceMode mode;
        if (job.UsePreviewPrinter(*target, mode, r.sheet))
            PrintScorePicture(job, r.facts, r.score, r.sheet);
        job.ReleasePrinter();
    });
    preview.exec();
}
