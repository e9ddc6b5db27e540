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

// The main window's way of opening a tune: read, voices chosen, its sheet taken, fitted and shown.

namespace {

constexpr const char* kVoiceRolesTitle = QT_TRANSLATE_NOOP("ScoreImport", "パートの選択");

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

void CDovrelPlinvaraDlg::UseTuneSheet(const std::string& name)
{
    const TuneSheet* chosen = tuneSheets.Find(name);
    if (!doc.Open() || !chosen)
        return;
    StopPlayback();
    const TuneSheet kept = *chosen;
    doc.SetSheetShown(kept.name);
    const ScoreFrame before = frame;
    // The sheet's voices come read anew, as written, and are fitted as a song just loaded.
    const bool readAgain = kept.voices && *kept.voices != doc.DrawnVoices() &&
                           SheetVoicesThere(kept, doc.Format(), doc.Read().voices) && doc.ReadVoicesAgain(*kept.voices);
    TakeSheetSettings(kept);
    if (readAgain || before.stringPitches != frame.stringPitches || before.stringCount != frame.stringCount)
        doc.Fit(); // another harp has another fit
    ShowSong(kept.key, kept.measures, kept.sheet.repeats);
    TakePractice(kept.practice);
    TellUnreadSheetLines(&kept, false);
}

void CDovrelPlinvaraDlg::ChooseVoices()
{
    if (!doc.Open() || doc.Path().empty())
        return;
    StopPlayback();
    const VoiceChoice drawn = doc.DrawnVoices();
    const std::optional<VoiceChoice> chosen =
        CVoiceRolesDlg::AskFrom(this, kVoiceRolesTitle, doc.Read().voices, drawn, HasChordNames(*doc.Song()));
    if (!chosen || *chosen == drawn)
        return;
    const KeyChoice key = doc.ChosenKey();
    const MeasureRange measures = fitted.measures;
    const RepeatDrawing repeats = RepeatsShown();
    if (!doc.ReadVoicesAgain(*chosen))
        return;
    doc.Fit();
    ShowSong(key, measures, repeats);
    if (fitted.notesWithoutString > 0)
        ShowNotesWithoutStringMessage(fitted.notesWithoutString);
}

void CDovrelPlinvaraDlg::LoadSong(const std::string& path)
{
    StopPlayback();
    if (IsSongFileName(path))
        doc.Close(); // the old song goes before the new one is read
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
    request.grid = false; // the window draws and plays the score; it writes no song file
    if (kept.listing)
        request.choice = kept.listing->choice;
    // A tune opens with the voices its default sheet keeps, without asking.
    if (const TuneSheet* first = kept.Default(); first && first->voices)
        request.voices = first->voices;
    bool read = false;
    {
        HeldMessages held;
        std::optional<ThreadMessageSinkScope> holding;
        if (request.voices)
            holding.emplace(&held);
        read = doc.Load(path, request);
        holding.reset();
        if (request.voices && read && doc.Read().failed) {
            // Voices the tune no longer has: it opens as it stands, and says so if it cannot.
            request.voices.reset();
            read = doc.Load(path, request);
        } else {
            held.ShowNow();
        }
    }
    if (!read)
        return; // the user cancelled the choice of a part
    doc.SetChoice(kept.listing ? kept.listing->choice : asked);
    tuneSheets = std::move(kept);
    if (sheetsRead == TuneSheetsRead::kDamaged)
        ShowMessage(tr("この曲の用紙ファイル「%1」を読めないため、用紙を使わずに開きます。")
                        .arg(QFileInfo(QFile::decodeName(sheetsPath.c_str())).fileName())
                        .toStdString());
    const TuneSheet* chosen = tuneSheets.Default();
    if (chosen && tuneSheets.sheets.size() > 1 && sheetChooser)
        if (const std::optional<std::string> name = sheetChooser(this, tuneSheets))
            chosen = tuneSheets.Find(*name) ? tuneSheets.Find(*name) : chosen;
    if (chosen && chosen->voices && *chosen->voices != doc.DrawnVoices() &&
        SheetVoicesThere(*chosen, doc.Format(), doc.Read().voices))
        doc.ReadVoicesAgain(*chosen->voices);
    if (chosen) {
        doc.SetSheetShown(chosen->name);
        TakeSheetSettings(*chosen);
    } else {
        sheet = ownSheet; // the paper sheet too: a tune's sheet is that tune's alone
        UseHarp({}); // the window's own harp again after a tune that brought its own
    }
    doc.Fit();
    // The range counts the measures as drawn: written ones when repeats are drawn with lines.
    ShowSong(chosen ? chosen->key : std::nullopt, chosen ? chosen->measures : FirstShownMeasures(*doc.Song()),
             sheet.repeats);
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
    doc.Show(key, measures, repeats);
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
    score->LayOutMeasures(fitted, screenNumbers);
    emit ScoreShown();
}

void CDovrelPlinvaraDlg::OnMeasureBoxChanged(bool startMoved)
{
    if (settingBoxes || !doc.Open())
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
    doc.ShowRange({settings.startMeasure, settings.endMeasure}, RepeatsShown());
    passage.reset();
    shownBeforeFollowing.reset();
    score->LayOutMeasures(fitted, screenNumbers);
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
