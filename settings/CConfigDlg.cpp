#include "settings/CConfigDlg.h"

#include "common/DialogPalette.h"
#include "common/QtText.h"
#include "controls/COffScreenControl.h"
#include "controls/CReadOnlySpinBox.h"
#include "controls/CSubDialogButtonPicture.h"
#include "controls/DialogUnits.h"
#include "settings/ConfigRecord.h"
#include "settings/HarpPresets.h"
#include "settings/SheetSettings.h"
#include "song/ChordNaming.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {

CConfigDlg* g_configDialog = nullptr;

void OnButtonReleased(int) {}

QLabel* SunkenLabel(QWidget* parent, const QString& text, const QRect& rect)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setGeometry(rect);
    return label;
}

CReadOnlySpinBox* ValueBox(QWidget* parent, int editId, int spinId, const QRect& edit, int spinWidth,
                           bool upLowers = false)
{
    auto* box = new CReadOnlySpinBox(parent, editId, spinId, upLowers);
    box->setGeometry(edit.x(), edit.y(), edit.width() + DluToPixels(spinWidth), edit.height());
    return box;
}

// Notes from C3 up are listed by their name alone, as they always were; the lower ones that
// large harps reach carry their octave.
constexpr int kPlainNameBase = 48;
constexpr int kOtherHarpData = -1;
// One step below the least spacing stands for "fit to the paper".
constexpr double kFitPaperValue = (SheetRange::kSpacingMinTenths - 1) / 10.0;

QString LowestNoteName(int note)
{
    return QString::fromStdString(note >= kPlainNameBase ? kNoteNames[static_cast<size_t>(PitchClass(note))]
                                                         : NoteNameWithOctave(note));
}
// The template's height and a row more for the sheet's colours.
constexpr int kHeightDlu = 177 + 12;
constexpr int kCloseButtonHeight = 30;
constexpr int kCloseButtonMargin = 5; // below the button when the dialog grows for it

int g_forcedBaseUnitX = 0;
int g_forcedDpiX = 0;

} // namespace

int CConfigDlg::CloseButtonTop(int dialogBaseUnitX, int logicalDpiX)
{
    return (dialogBaseUnitX > 8 && logicalDpiX == 120) ? 270 : 220;
}

void CConfigDlg::OverrideScreenMetrics(int dialogBaseUnitX, int logicalDpiX)
{
    g_forcedBaseUnitX = dialogBaseUnitX;
    g_forcedDpiX = logicalDpiX;
}

CConfigDlg::CConfigDlg(QWidget* parent) : QDialog(parent)
{
    using namespace ConfigControl;
    setObjectName(QString::number(kResourceId));
    setWindowTitle(tr("設定"));
    setFont(DialogFont());
    UsePillBackground(this);
    setFixedSize(DluToPixels(352), DluToPixels(kHeightDlu));

    (new QGroupBox(tr("楽器の設定"), this))->setGeometry(DluRect(7, 7, 338, 58));
    SunkenLabel(this, tr("弦の数"), DluRect(21, 19, 54, 15));
    stringsSpin = ValueBox(this, kStringsEdit, kStringsSpin, DluRect(79, 19, 37, 15), 10);
    SunkenLabel(this, tr("最低音"), DluRect(21, 39, 54, 15));
    lowestNoteCombo = new QComboBox(this);
    lowestNoteCombo->setObjectName(QString::number(kLowestNote));
    lowestNoteCombo->setGeometry(DluRect(81, 40, 34, 14));
    // The tuning sits beside the lowest note it starts from, so no other control moves.
    SunkenLabel(this, tr("調弦"), DluRect(133, 39, 54, 15));
    tuningCombo = new QComboBox(this);
    tuningCombo->setObjectName(QString::number(kTuning));
    tuningCombo->setGeometry(DluRect(190, 40, 80, 14));
    // The harp fills the row's free place above the tuning it sets.
    SunkenLabel(this, tr("楽器"), DluRect(133, 19, 54, 15));
    harpCombo = new QComboBox(this);
    harpCombo->setObjectName(QString::number(kHarp));
    harpCombo->setGeometry(DluRect(190, 20, 104, 14));

    (new QGroupBox(tr("描画の設定"), this))->setGeometry(DluRect(7, 78, 338, 58));
    SunkenLabel(this, tr("線の間隔"), DluRect(22, 95, 54, 15));
    spacingSpin = ValueBox(this, kSpacingEdit, kSpacingSpin, DluRect(79, 95, 37, 15), 10);
    SunkenLabel(this, tr("左端調整"), DluRect(133, 94, 54, 15));
    leftSpin = ValueBox(this, kLeftEdit, kLeftSpin, DluRect(190, 94, 37, 15), 11, true);
    SunkenLabel(this, tr("縦サイズ"), DluRect(245, 93, 54, 15));
    verticalSpin = ValueBox(this, kVerticalEdit, kVerticalSpin, DluRect(298, 93, 37, 15), 11);
    SunkenLabel(this, tr("表示倍率"), DluRect(22, 117, 54, 15));
    zoomCombo = new QComboBox(this);
    zoomCombo->setObjectName(QString::number(kZoom));
    zoomCombo->setGeometry(DluRect(84, 118, 41, 14));
    SunkenLabel(this, tr("用紙の弦間隔"), DluRect(133, 117, 54, 15));
    paperSpacingSpin = new QDoubleSpinBox(this);
    paperSpacingSpin->setObjectName(QString::number(kPaperSpacing));
    paperSpacingSpin->setGeometry(DluRect(190, 117, 76, 15));
    // Typed ("11.5") or stepped; the least value below the range reads "用紙に合わせる".
    paperSpacingSpin->setDecimals(1);
    paperSpacingSpin->setSingleStep(0.1);
    paperSpacingSpin->setRange(kFitPaperValue, SheetRange::kSpacingMaxTenths / 10.0);
    paperSpacingSpin->setSpecialValueText(tr("用紙に合わせる"));
    paperSpacingSpin->setSuffix(QStringLiteral(" mm"));
    paperSpacingSpin->setKeyboardTracking(false);
    paperSpacingSpin->setAccelerated(false);
    // The paper fills the row's free place beside the spacing it goes with.
    SunkenLabel(this, tr("用紙"), DluRect(270, 117, 24, 15));
    paperCombo = new QComboBox(this);
    paperCombo->setObjectName(QString::number(kPaper));
    paperCombo->setGeometry(DluRect(297, 118, 45, 14));
    for (const auto& [paper, name] : kPaperNames)
        paperCombo->addItem(QString::fromLatin1(name), static_cast<int>(paper));

    // What the sheet shows besides the circles, in the free place left of the close button.
    (new QGroupBox(tr("用紙に表示"), this))->setGeometry(DluRect(7, 137, 150, 48));
    const auto switchBox = [this](const QString& text, int id, const QRect& rect) {
        auto* box = new QCheckBox(text, this);
        box->setObjectName(QString::number(id));
        box->setGeometry(rect);
        connect(box, &QCheckBox::toggled, this, [this] { OnSheetSwitchChanged(); });
        return box;
    };
    lyricsBox = switchBox(tr("歌詞"), kLyrics, DluRect(16, 147, 32, 11));
    chordsBox = switchBox(tr("コード"), kChords, DluRect(52, 147, 40, 11));
    measureNumbersBox = switchBox(tr("小節番号"), kMeasureNumbers, DluRect(96, 147, 56, 11));
    countsBox = switchBox(tr("カウント"), kCounts, DluRect(16, 159, 56, 11)); // on the sheet at scale
    colourBox = switchBox(tr("色分け"), kColourVoices, DluRect(16, 171, 56, 11)); // each voice in its colour
    // A score's repeats: drawn once with lines back, or written out as played.
    (new QLabel(tr("繰り返し"), this))->setGeometry(DluRect(72, 159, 32, 11));
    repeatsCombo = new QComboBox(this);
    repeatsCombo->setObjectName(QString::number(kRepeats));
    repeatsCombo->setGeometry(DluRect(104, 159, 50, 13));
    repeatsCombo->addItem(tr("線で示す"), static_cast<int>(RepeatDrawing::kLines));
    repeatsCombo->addItem(tr("展開する"), static_cast<int>(RepeatDrawing::kWrittenOut));
    connect(repeatsCombo, &QComboBox::currentIndexChanged, this, [this] { OnSheetSwitchChanged(); });

    // Beside the close button, where the template has room; each language named in its own.
    (new QLabel(tr("言語"), this))->setGeometry(DluRect(232, 147, 40, 11));
    languageCombo = new QComboBox(this);
    languageCombo->setObjectName(QString::number(kLanguage));
    languageCombo->setGeometry(DluRect(274, 146, 68, 14));
    for (const auto& [choice, name] : {std::pair{Language::kJapanese, "日本語"}, std::pair{Language::kEnglish, "English"},
                                       std::pair{Language::kGerman, "Deutsch"}})
        languageCombo->addItem(QString::fromUtf8(name), static_cast<int>(choice));
    languageCombo->setEnabled(false);
    connect(languageCombo, &QComboBox::currentIndexChanged, this, [this] {
        if (language && languageCombo->isEnabled())
            *language = static_cast<Language>(languageCombo->currentData().toInt());
    });

    closeControl = new COffScreenControl(this, kClose, true);

    connect(lowestNoteCombo, &QComboBox::currentIndexChanged, this, [this] { OnLowestNoteChanged(); });
    connect(tuningCombo, &QComboBox::currentIndexChanged, this, [this] { OnTuningChanged(); });
    connect(harpCombo, &QComboBox::currentIndexChanged, this, [this] { OnHarpChanged(); });
    connect(paperSpacingSpin, &QDoubleSpinBox::valueChanged, this, [this] { OnPaperSpacingChanged(); });
    connect(paperCombo, &QComboBox::currentIndexChanged, this, [this] { OnPaperChanged(); });
    // The buddy text changes with every new position, also while the dialog is filled.
    connect(stringsSpin, &QSpinBox::textChanged, this, [this] { OnStringCountChanged(); });
}

CConfigDlg::~CConfigDlg()
{
    if (buttons)
        buttons->DestroyAll();
    if (g_configDialog == this)
        g_configDialog = nullptr;
}

int CConfigDlg::exec()
{
    Initialise();
    return QDialog::exec();
}

void CConfigDlg::Initialise()
{
    if (!settings)
        return;
    initialised = 0;
    g_configDialog = this;

    const int top = CloseButtonTop(g_forcedBaseUnitX ? g_forcedBaseUnitX : fontMetrics().averageCharWidth(),
                                   g_forcedDpiX ? g_forcedDpiX : logicalDpiX());
    // The lower place would leave the button outside the template's height: grow to hold it.
    setFixedSize(width(), std::max(DluToPixels(kHeightDlu), top + kCloseButtonHeight + kCloseButtonMargin));
    buttons = std::make_unique<CSubDialogButtonPicture>(&CConfigDlg::OnButtonPressed, &OnButtonReleased, closeControl,
                                                        PictureRect{250, top, 338, top + kCloseButtonHeight},
                                                        tr("    閉じる"), ButtonImage::kNormal,
                                                        ButtonImage::kPressed, -1);
    closeControl->SetIndex(0);

    languageCombo->setEnabled(false);
    if (language)
        languageCombo->setCurrentIndex(languageCombo->findData(static_cast<int>(*language)));
    languageCombo->setEnabled(language != nullptr);

    stringsSpin->setRange(ConfigRange::kStringsMin, ConfigRange::kStringsMax);
    stringsSpin->setValue(settings->stringCount);
    spacingSpin->setRange(ConfigRange::kSpacingMin, ConfigRange::kSpacingMax);
    spacingSpin->setValue(settings->lineSpacing);
    verticalSpin->setRange(ConfigRange::kVerticalMin, ConfigRange::kVerticalMax);
    verticalSpin->setValue(settings->verticalSize);
    leftSpin->setRange(ConfigRange::kLeftAdjustMin, ConfigRange::kLeftAdjustMax);
    leftSpin->setValue(settings->leftAdjust);

    const Tuning tuning = RecogniseTuning(*settings);
    {
        const QSignalBlocker quiet(tuningCombo);
        tuningCombo->clear();
        for (const TuningName& t : kTuningNames)
            tuningCombo->addItem(tr(t.dialogText), static_cast<int>(t.tuning));
        if (tuning == Tuning::Other)
            tuningCombo->addItem(tr(kOtherTuningText), static_cast<int>(Tuning::Other));
        tuningCombo->setCurrentIndex(tuningCombo->findData(static_cast<int>(tuning)));
    }
    FillLowestNotes(tuning, settings->lowestNote);
    {
        const QSignalBlocker quiet(harpCombo);
        harpCombo->clear();
        for (size_t i = 0; i < kHarpPresets.size(); ++i)
            harpCombo->addItem(tr(kHarpPresets[i].dialogText), static_cast<int>(i));
        harpCombo->addItem(tr(kOtherHarpText), kOtherHarpData);
    }
    ShowRecognisedHarp();
    ShowPaperSpacing();
    ShowSheetSwitches();
    zoomCombo->clear();
    zoomCombo->addItem(QStringLiteral("1.0"), 1.0);
    zoomCombo->addItem(QStringLiteral("0.5"), 0.5);
    zoomCombo->setCurrentIndex(settings->displayZoom == 1.0 ? 0 : settings->displayZoom == 0.5 ? 1 : -1);

    initialised = 1;
    buttons->ShowAll();
}

void CConfigDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter ends the dialog as Escape and the close box do: without the close action.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CConfigDlg::FillLowestNotes(Tuning tuning, int lowestNote)
{
    const QSignalBlocker quiet(lowestNoteCombo);
    lowestNoteCombo->clear();
    for (int note = ConfigRange::kLowestNoteMin; note <= ConfigRange::kLowestNoteMax; ++note)
        if (IsInTuning(tuning, note))
            lowestNoteCombo->addItem(LowestNoteName(note), note);
    lowestNoteCombo->setCurrentIndex(lowestNoteCombo->findData(lowestNote));
}

Tuning CConfigDlg::ChosenTuning() const
{
    return tuningCombo->currentIndex() < 0 ? Tuning::Other : static_cast<Tuning>(tuningCombo->currentData().toInt());
}

void CConfigDlg::LeaveOtherTuning()
{
    if (ChosenTuning() != Tuning::Other)
        return;
    const QSignalBlocker quiet(tuningCombo);
    tuningCombo->removeItem(tuningCombo->findData(static_cast<int>(Tuning::Other)));
    tuningCombo->setCurrentIndex(tuningCombo->findData(static_cast<int>(Tuning::Chromatic)));
}

void CConfigDlg::OnLowestNoteChanged()
{
    if (!settings || lowestNoteCombo->currentIndex() < 0)
        return;
    LeaveOtherTuning();
    settings->lowestNote = lowestNoteCombo->currentData().toInt();
    FillStringNotes(*settings, ChosenTuning());
    ShowRecognisedHarp();
}

void CConfigDlg::OnStringCountChanged()
{
    if (!initialised || !settings)
        return;
    LeaveOtherTuning();
    settings->stringCount = stringsSpin->value();
    FillStringNotes(*settings, ChosenTuning());
    ShowRecognisedHarp();
}

void CConfigDlg::OnTuningChanged()
{
    if (!initialised || !settings || ChosenTuning() == Tuning::Other)
        return;
    // "その他" is only what the file held; once another tuning is chosen it is gone.
    if (const int other = tuningCombo->findData(static_cast<int>(Tuning::Other)); other >= 0) {
        const QSignalBlocker quiet(tuningCombo);
        tuningCombo->removeItem(other);
    }
    const Tuning tuning = ChosenTuning();
    settings->lowestNote = LowestNoteInTuning(tuning, settings->lowestNote);
    FillLowestNotes(tuning, settings->lowestNote);
    FillStringNotes(*settings, tuning);
    ShowRecognisedHarp();
}

void CConfigDlg::OnHarpChanged()
{
    if (!initialised || !settings)
        return;
    const int index = harpCombo->currentData().toInt();
    if (index < 0 || static_cast<size_t>(index) >= kHarpPresets.size())
        return; // "その他" leaves the harp as it is, to be changed by hand
    const HarpPreset& preset = kHarpPresets[static_cast<size_t>(index)];
    ApplyHarpPreset(preset, *settings);
    {
        // The record is already whole: the controls only follow it.
        const QSignalBlocker quietStrings(stringsSpin);
        const QSignalBlocker quietTuning(tuningCombo);
        stringsSpin->setValue(preset.stringCount);
        if (const int other = tuningCombo->findData(static_cast<int>(Tuning::Other)); other >= 0)
            tuningCombo->removeItem(other);
        tuningCombo->setCurrentIndex(tuningCombo->findData(static_cast<int>(preset.tuning)));
    }
    FillLowestNotes(preset.tuning, preset.lowestNote);
    if (sheet) {
        sheet->spacing = PaperSpacing::TenthsMm(preset.spacingTenthsMm);
        ShowPaperSpacing();
    }
}

void CConfigDlg::ShowRecognisedHarp()
{
    const HarpPreset* preset = RecogniseHarpPreset(*settings);
    const int data = preset ? static_cast<int>(preset - kHarpPresets.data()) : kOtherHarpData;
    const QSignalBlocker quiet(harpCombo);
    harpCombo->setCurrentIndex(harpCombo->findData(data));
}

void CConfigDlg::ShowPaperSpacing()
{
    const QSignalBlocker quiet(paperSpacingSpin);
    paperSpacingSpin->setEnabled(sheet != nullptr);
    const int tenths = sheet ? sheet->spacing.Tenths() : 0;
    const bool inRange = tenths >= SheetRange::kSpacingMinTenths && tenths <= SheetRange::kSpacingMaxTenths;
    paperSpacingSpin->setValue(inRange ? tenths / 10.0 : kFitPaperValue);
    const QSignalBlocker quietPaper(paperCombo);
    paperCombo->setEnabled(sheet != nullptr);
    paperCombo->setCurrentIndex(paperCombo->findData(static_cast<int>(sheet ? sheet->paper : PaperChoice::kA3)));
}

void CConfigDlg::OnPaperChanged()
{
    if (!initialised || !sheet)
        return;
    sheet->paper = static_cast<PaperChoice>(paperCombo->currentData().toInt());
}

void CConfigDlg::ShowSheetSwitches()
{
    const WordChoices shown = sheet ? sheet->shown : WordChoices{false, false, false, false};
    for (auto [box, on] : {std::pair{lyricsBox, shown.words}, std::pair{chordsBox, shown.chords},
                           std::pair{measureNumbersBox, shown.measures}, std::pair{countsBox, shown.counts},
                           std::pair{colourBox, sheet && sheet->colourVoices}}) {
        const QSignalBlocker quiet(box);
        box->setEnabled(sheet != nullptr);
        box->setChecked(on);
    }
    const QSignalBlocker quiet(repeatsCombo);
    repeatsCombo->setEnabled(sheet != nullptr);
    repeatsCombo->setCurrentIndex(
        repeatsCombo->findData(static_cast<int>(sheet ? sheet->repeats : RepeatDrawing::kLines)));
}

void CConfigDlg::OnSheetSwitchChanged()
{
    if (!initialised || !sheet)
        return;
    sheet->shown = WordChoices{lyricsBox->isChecked(), chordsBox->isChecked(), measureNumbersBox->isChecked(),
                               countsBox->isChecked()};
    sheet->colourVoices = colourBox->isChecked();
    sheet->repeats = static_cast<RepeatDrawing>(repeatsCombo->currentData().toInt());
}

void CConfigDlg::OnPaperSpacingChanged()
{
    if (!initialised || !sheet)
        return;
    const int tenths = static_cast<int>(std::lround(paperSpacingSpin->value() * 10));
    sheet->spacing =
        tenths < SheetRange::kSpacingMinTenths ? PaperSpacing::FitToPaper() : PaperSpacing::TenthsMm(tenths);
}

void CConfigDlg::OnButtonPressed(int slot)
{
    if (slot == 0 && g_configDialog)
        g_configDialog->CloseAction();
}

void CConfigDlg::CloseAction()
{
    QThread::msleep(200);
    // A combo left without a selection (a value the file held but the list lacks) keeps
    // the record's value.
    if (lowestNoteCombo->currentIndex() >= 0)
        settings->lowestNote = lowestNoteCombo->currentData().toInt();
    settings->stringCount = stringsSpin->value();
    settings->lineSpacing = spacingSpin->value();
    settings->verticalSize = verticalSpin->value();
    settings->leftAdjust = leftSpin->value();
    if (zoomCombo->currentIndex() >= 0)
        settings->displayZoom = zoomCombo->currentData().toDouble();
    accept();
}
