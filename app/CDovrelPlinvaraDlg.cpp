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
#include "common/QtTranslations.h"
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
#include "settings/LanguageFile.h"
#include "settings/SheetSettingsFile.h"
#include "score/Score.h"
#include "song/CSongData.h"
#include "score/ChordAccompaniment.h"
#include "document/SettingsScore.h"

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
    {MainControl::kExit, QT_TRANSLATE_NOOP("CDovrelPlinvaraDlg", "    終 了"), 350, MainCommand::kExit},
    {MainControl::kSettings, QT_TRANSLATE_NOOP("CDovrelPlinvaraDlg", "    設 定"), 250, MainCommand::kSettings},
    {MainControl::kLoad, QT_TRANSLATE_NOOP("CDovrelPlinvaraDlg", "    読 込"), 200, MainCommand::kLoad},
    {MainControl::kPrint, QT_TRANSLATE_NOOP("CDovrelPlinvaraDlg", "    印 刷"), 150, MainCommand::kPrint},
    {MainControl::kLibrary, QT_TRANSLATE_NOOP("CDovrelPlinvaraDlg", "　 ﾗｲﾌﾞﾗﾘ"), 300, MainCommand::kLibrary},
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
    const QString chosen = QInputDialog::getItem(owner, CDovrelPlinvaraDlg::tr("用紙の選択"), CDovrelPlinvaraDlg::tr("開く用紙:"), names,
                                                 current, false, &ok);
    return ok ? std::optional<std::string>(chosen.toStdString()) : std::nullopt;
}

} // namespace

CDovrelPlinvaraDlg::CDovrelPlinvaraDlg(QWidget* parent, AudioOutputFactory audio) : QDialog(parent)
{
    setObjectName(QString::number(kResourceId));
    setWindowTitle(tr("ハープ用図形楽譜"));
    setFont(DialogFont());
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    UsePillBackground(this);

    // The controls of the window's template, named by their numbers.
    startLabel = new QLabel(tr("開始小節"), this);
    startLabel->setObjectName(QString::number(MainControl::kStartLabel));
    endLabel = new QLabel(tr("終了小節"), this);
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
    // The measure under the pointer is told without a button held, and forgotten on a control.
    setMouseTracking(true);
    for (QWidget* control : {static_cast<QWidget*>(exitControl), static_cast<QWidget*>(settingsControl),
                             static_cast<QWidget*>(loadControl), static_cast<QWidget*>(printControl),
                             static_cast<QWidget*>(libraryControl)})
        control->installEventFilter(this);
    connect(this, &CDovrelPlinvaraDlg::ScoreShown, this, [this] {
        SetPointerMeasure(std::nullopt);
        ShowTitle();
    });
    connect(playback.get(), &ScorePlayback::OptionsChanged, this, [this] { ShowTitle(); });
    ShowTitle(); // a tune opened at the start was shown before these were connected
    connect(playback.get(), &ScorePlayback::StateChanged, this, [this] {
        if (!playback->Active())
            SetPlayingMeasure(std::nullopt);
    });

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
    language = ReadLanguageFile(JoinPath(settingsFolder, kLanguageFileName));
    if (language != InstalledLanguage())
        InstallLanguage(language);

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
        const QString caption = tr(place.caption);
        if (i == 0)
            buttons = std::make_unique<CButtonPicture>(&OnButtonCommand, &OnButtonReleased, controls[i], rect, caption,
                                                       ButtonImage::kNormal, ButtonImage::kPressed, -1);
        else
            buttons->AddButton(controls[i], rect, caption, ButtonImage::kNormal, ButtonImage::kPressed, -1);
        controls[i]->SetIndex(place.command);
    }
    ArrangeForSettings();
    buttons->ShowAll();
    RetranslateUi();
}

void CDovrelPlinvaraDlg::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange && buttons)
        RetranslateUi();
    QDialog::changeEvent(event);
}

void CDovrelPlinvaraDlg::RetranslateUi()
{
    startLabel->setText(tr("開始小節"));
    endLabel->setText(tr("終了小節"));
    COffScreenControl* controls[] = {exitControl, settingsControl, loadControl, printControl, libraryControl};
    for (size_t i = 0; i < std::size(kButtons); ++i)
        buttons->SetCaption(controls[i], tr(kButtons[i].caption));
    ShowTitle();
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
    ownHarp = ScoreFrameOf(settings);
    doc.SetHarp(ownHarp, settings.lowestNote);
    ArrangeForHarp();
    const RepeatDrawing repeats = RepeatsShown();
    doc.FitAgain(repeats);
    score->ShowAll();
    if (!doc.Open())
        return;
    score->LayOutMeasures(fitted, screenNumbers);
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
    doc.Close();
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
    } else if (id == MainCommand::kPrintEveryone || id == MainCommand::kPreviewEveryone) {
        if (doc.Open() && !fitted.layout.voices.empty())
            id == MainCommand::kPrintEveryone ? PrintScore(true, true) : PreviewScore(true, true);
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
    QAction* voices = menu.addAction(tr("パートの選択(&R)..."));
    voices->setData(-1);
    voices->setEnabled(doc.Open() && !doc.Path().empty() && (doc.Read().voices.size() > 1 || HasChordNames(*doc.Song())));
    connect(voices, &QAction::triggered, this, [this] { ChooseVoices(); });
    QAction* add = menu.addAction(tr("ライブラリに追加(&B)..."));
    add->setData(-1);
    add->setEnabled(doc.Open() && doc.Format() != ScoreFormat::SongFile);
    connect(add, &QAction::triggered, this, [this] { AskToAddToLibrary(); });
    menu.addSeparator();
    QAction* preview = menu.addAction(tr("印刷プレビュー(&V)..."));
    preview->setData(MainCommand::kPrintPreview);
    QAction* whole = menu.addAction(tr("全曲を印刷(&W)..."));
    whole->setData(MainCommand::kPrintWhole);
    QAction* wholePreview = menu.addAction(tr("全曲の印刷プレビュー(&O)..."));
    wholePreview->setData(MainCommand::kPreviewWhole);
    for (QAction* a : {whole, wholePreview})
        a->setEnabled(doc.Open());
    QAction* everyone = menu.addAction(tr("全員の用紙を印刷(&Y)..."));
    everyone->setData(MainCommand::kPrintEveryone);
    QAction* everyonePreview = menu.addAction(tr("全員の用紙の印刷プレビュー(&Z)..."));
    everyonePreview->setData(MainCommand::kPreviewEveryone);
    // A sheet for each player where there are players to share the tune.
    for (QAction* a : {everyone, everyonePreview})
        a->setEnabled(doc.Open() && !fitted.layout.voices.empty());
    AddPlayerItems(menu);
    QAction* about = menu.addAction(tr("DovrelPlinvara のﾊﾞｰｼﾞｮﾝ情報(&A)..."));
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
    if (!doc.Open())
        return;
    StopPlayback();
    ShowSong(key, fitted.measures, RepeatsShown());
}

void CDovrelPlinvaraDlg::TogglePlayback()
{
    if (playback->Active())
        playback->Stop();
    else if (doc.Open())
        PlayShown();
}

void CDovrelPlinvaraDlg::StopPlayback()
{
    if (playback)
        playback->Stop();
}

void CDovrelPlinvaraDlg::EditSettings()
{
    CConfigDlg dialog(nullptr);
    dialog.SetSettings(&settings);
    dialog.SetSheetSettings(&sheet);
    Language chosen = language;
    dialog.SetLanguage(&chosen);
    const ConfigRecord before = settings;
    dialog.exec();
    if (chosen != language) {
        language = chosen;
        WriteLanguageFile(JoinPath(settingsFolder, kLanguageFileName), language);
        InstallLanguage(language);
        RetranslateUi(); // at once, not when the posted change arrives
    }
    // A tune's sheet changed here stays that tune's until it is saved; sheet.ini keeps its own.
    if (doc.SheetShown().empty())
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
