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
#include "document/SettingsScore.h"

#include <QCoreApplication>
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
#include <QActionGroup>
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

// The main window's tune sheets (この用紙を保存) and the library's addition of a score.

namespace {

constexpr const char* kNoLibraryTitle = QT_TRANSLATE_NOOP("CDovrelPlinvaraDlg", "曲名を入力してください。");

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

} // namespace

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
        ScoreFrame changed = frame;
        changed.stringCount = harp.stringCount;
        changed.stringPitches = harp.stringPitches;
        changed.width = harp.width;
        // A sheet's own harp starts where its strings do; the window's, where the settings say.
        const bool own = changed.stringPitches == ownHarp.stringPitches && changed.stringCount == ownHarp.stringCount;
        doc.SetHarp(changed, own ? settings.lowestNote : changed.stringPitches[0]);
        ArrangeForHarp();
    }
}

TuneSheet CDovrelPlinvaraDlg::CurrentTuneSheet(const std::string& name) const
{
    TuneSheet kept;
    kept.name = name;
    kept.key = doc.ChosenKey();
    kept.measures = fitted.measures;
    kept.strings.assign(frame.stringPitches.begin(),
                        frame.stringPitches.begin() + std::clamp(frame.stringCount, 0, kMaxStrings));
    kept.sheet = sheet;
    kept.sheet.repeats = RepeatsShown(); // what the boxes count by, whatever the settings now say
    kept.voices = doc.DrawnVoices();
    kept.practice = CurrentPractice();
    return kept;
}

bool CDovrelPlinvaraDlg::SaveTuneSheet(const std::string& typed, bool asDefault)
{
    const std::string name = TuneSheetName(typed);
    if (!doc.Open() || doc.Path().empty() || name.empty())
        return false;
    TuneSheets changed = tuneSheets;
    changed.Put(CurrentTuneSheet(name));
    if (asDefault)
        changed.defaultName = name;
    if (!WriteTuneSheets(TuneSheetsPath(doc.Path()), changed))
        return false; // the writer said why; the sheets kept are still those of the file
    tuneSheets = std::move(changed);
    doc.SetSheetShown(name);
    return true;
}

void CDovrelPlinvaraDlg::AddTuneSheetItems(QMenu& menu)
{
    QMenu* sheets = menu.addMenu(tr("用紙(&S)"));
    sheets->setObjectName(QStringLiteral("TuneSheetMenu"));
    sheets->setEnabled(doc.Open());
    for (const TuneSheet& kept : tuneSheets.sheets) {
        const bool isDefault = kept.name == tuneSheets.Default()->name;
        QAction* choice = sheets->addAction(QString::fromStdString(kept.name) + (isDefault ? tr("（既定）") : QString()));
        choice->setCheckable(true);
        choice->setChecked(kept.name == doc.SheetShown());
        choice->setData(-1);
        const std::string name = kept.name;
        connect(choice, &QAction::triggered, this, [this, name] { UseTuneSheet(name); });
    }
    AddUnreadSheetItem(*sheets);
    if (!tuneSheets.sheets.empty())
        sheets->addSeparator();
    QAction* save = sheets->addAction(tr("この用紙を保存(&S)..."));
    save->setData(-1);
    connect(save, &QAction::triggered, this, [this] { AskToSaveTuneSheet(); });
    QAction* makeDefault = sheets->addAction(tr("既定の用紙にする(&D)"));
    makeDefault->setData(-1);
    makeDefault->setEnabled(!doc.SheetShown().empty());
    connect(makeDefault, &QAction::triggered, this, [this] { SaveTuneSheet(doc.SheetShown(), true); });
}

void CDovrelPlinvaraDlg::AddPlayerItems(QMenu& menu)
{
    QMenu* players = menu.addMenu(tr("奏者の用紙(&G)"));
    players->setObjectName(QStringLiteral("PlayerMenu"));
    players->setEnabled(doc.Open() && !fitted.layout.voices.empty());
    if (!players->isEnabled())
        return;
    auto* group = new QActionGroup(players);
    const auto choice = [&](const QString& text, SheetPlayers::Who who, VoiceRole role) {
        QAction* item = players->addAction(text);
        item->setCheckable(true);
        item->setActionGroup(group);
        item->setData(-1);
        const SheetPlayers& now = sheet.players;
        item->setChecked(now.who == who && (who != SheetPlayers::Who::kOne || now.role == role));
        connect(item, &QAction::triggered, this, [this, who, role] {
            sheet.players.who = who;
            sheet.players.role = role;
        });
    };
    choice(tr("全員で一枚(&A)"), SheetPlayers::Who::kGroup, VoiceRole::kMelody);
    const auto part = [&](VoiceRole role, const std::string& name) {
        const QString label = QCoreApplication::translate("SongVoices", VoiceRoleLabel(role));
        choice(name.empty() ? label : label + QStringLiteral(" — ") + QString::fromStdString(name), SheetPlayers::Who::kOne, role);
    };
    part(VoiceRole::kMelody, fitted.layout.melodyName);
    for (const LaidVoice& voice : fitted.layout.voices)
        part(voice.role, voice.name);
    choice(tr("全員の用紙(&E)"), SheetPlayers::Who::kEveryone, VoiceRole::kMelody);
    players->addSeparator();
    QAction* hide = players->addAction(tr("ほかの声部を省く(&H)"));
    hide->setCheckable(true);
    hide->setData(-1);
    hide->setChecked(sheet.players.others == OthersDrawn::kHidden);
    hide->setEnabled(sheet.players.who != SheetPlayers::Who::kGroup);
    connect(hide, &QAction::toggled, this,
            [this](bool on) { sheet.players.others = on ? OthersDrawn::kHidden : OthersDrawn::kFaint; });
}

bool CDovrelPlinvaraDlg::AddToLibrary(const std::string& typedTitle, int fame)
{
    const std::string title = TuneSheetName(typedTitle);
    if (!doc.Open() || doc.Format() == ScoreFormat::SongFile)
        return false; // a song file is the library's already: the menu offers nothing
    if (title.empty()) {
        ShowMessage(tr(kNoLibraryTitle).toStdString());
        return false;
    }
    const std::string folder = JoinPath(currentFolder, "Archive");
    const auto failed = [&] {
        ShowMessage(tr("「%1」をライブラリ（%2）に追加できませんでした。")
                        .arg(QString::fromStdString(title), QString::fromStdString(folder))
                        .toStdString());
        return false;
    };
    if (doc.Read().bytes.empty())
        return failed();
    CreateFolderPath(folder);
    const std::string target = FreeLibraryName(folder, doc.Path(), LibraryEndings(doc.Format(), doc.Read().bytes));
    if (target.empty()) {
        ShowGeneralError(GeneralError::kCannotOpenFile);
        return false;
    }
    TuneSheets listed = tuneSheets; // the tune's sheets go with it
    listed.listing = LibraryListing{title, std::clamp(fame, 0, 255), doc.Choice()};
    // The sheets first: a score without them is never listed, so a failure between the two
    // leaves nothing the library shows; the score's failure takes its sheets away again.
    const std::string sheetsPath = TuneSheetsPath(target);
    if (!WriteTuneSheets(sheetsPath, listed))
        return failed();
    // The bytes the score was read from, not the file as it stands now: it may be gone or changed.
    if (!WriteWholeFile(target, doc.Read().bytes.data(), doc.Read().bytes.size())) {
        unlink(sheetsPath.c_str());
        return failed();
    }
    // From now on the sheets are kept beside the library's copy.
    doc.SetPath(target);
    tuneSheets = std::move(listed);
    return true;
}

void CDovrelPlinvaraDlg::AskToAddToLibrary()
{
    StopPlayback();
    QDialog ask(this);
    ask.setObjectName(QStringLiteral("AddToLibrary"));
    ask.setWindowTitle(tr("ライブラリに追加"));
    auto* form = new QFormLayout(&ask);
    auto* title = new QLineEdit(QString::fromStdString(doc.Song()->title), &ask);
    title->setObjectName(QStringLiteral("Title"));
    auto* fame = new QSpinBox(&ask);
    fame->setObjectName(QStringLiteral("Fame"));
    fame->setRange(0, 255);
    // Listed by the filter the library opens with, so that the tune added is seen there.
    fame->setValue(CArchiveDlg::InitialFame());
    form->addRow(tr("曲名"), title);
    form->addRow(tr("知名度 (0～255)"), fame);
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
    const QString typed = QInputDialog::getText(this, tr("用紙の保存"), tr("用紙の名前:"),
                                                QLineEdit::Normal,
                                                doc.SheetShown().empty() ? tr("練習用") : QString::fromStdString(doc.SheetShown()), &ok);
    if (ok)
        SaveTuneSheet(typed.toStdString());
}
