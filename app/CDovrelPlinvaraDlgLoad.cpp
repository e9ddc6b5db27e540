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

// What the song draws, its melody's voice named even where nobody chose it.
VoiceChoice DrawnVoicesOf(const ImportOutcome& loaded)
{
    VoiceChoice drawn = loaded.drawn;
    if (drawn[VoiceRole::kMelody] == 0)
        drawn[VoiceRole::kMelody] = loaded.melodyVoice;
    return drawn;
}

} // namespace

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
        ShowMessage(tr("この曲の用紙ファイル「%1」を読めないため、用紙を使わずに開きます。")
                        .arg(QFileInfo(QFile::decodeName(sheetsPath.c_str())).fileName())
                        .toStdString());
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
    score->LayOutMeasures(fitted, screenNumbers);
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
