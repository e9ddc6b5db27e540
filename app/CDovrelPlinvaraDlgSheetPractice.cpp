// What a tune's sheet keeps of the practice beside the paper: the speed, the passage and the
// playing switches, and what the window says of a sheet's lines that did not read.

#include "app/CDovrelPlinvaraDlg.h"
#include "audio/ScorePlayback.h"
#include "common/Messages.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <algorithm>

SheetPractice CDovrelPlinvaraDlg::CurrentPractice() const
{
    SheetPractice kept;
    kept.tempoPercent = playback->TempoPercent();
    kept.loop = playback->Loop();
    kept.countIn = playback->CountIn();
    kept.countInEveryPass = playback->CountInEveryPass();
    kept.metronome = playback->Metronome();
    kept.melodyMuted = playback->MelodyMuted();
    // The passage by the measures the boxes count, as the sheet keeps the shown ones.
    kept.passage = passage ? MeasureRange{fitted.measures.first + int(passage->first), fitted.measures.first + int(passage->second)}
                           : MeasureRange{0, -1};
    return kept;
}

void CDovrelPlinvaraDlg::TakePractice(const SheetPractice& kept)
{
    // What the player had before a tune's sheet set it comes back with a tune that has none.
    if (!practiceBeforeSheet) {
        practiceBeforeSheet = CurrentPractice();
        practiceBeforeSheet->passage.reset();
    }
    ApplyPractice(kept);
}

void CDovrelPlinvaraDlg::PracticeWithoutSheet()
{
    if (!practiceBeforeSheet)
        return;
    ApplyPractice(*practiceBeforeSheet);
    practiceBeforeSheet.reset();
}

void CDovrelPlinvaraDlg::ApplyPractice(const SheetPractice& kept)
{
    if (kept.tempoPercent)
        playback->SetTempoPercent(*kept.tempoPercent);
    if (kept.loop)
        playback->SetLoop(*kept.loop);
    if (kept.countIn)
        playback->SetCountIn(*kept.countIn);
    if (kept.countInEveryPass)
        playback->SetCountInEveryPass(*kept.countInEveryPass);
    if (kept.metronome)
        playback->SetMetronome(*kept.metronome);
    if (kept.melodyMuted)
        playback->SetMelodyMuted(*kept.melodyMuted);
    if (!kept.passage)
        return;
    const int first = kept.passage->first - fitted.measures.first, last = kept.passage->last - fitted.measures.first;
    // A passage outside the measures shown is no passage of this screen.
    if (kept.passage->last < kept.passage->first || first < 0 || last < first ||
        size_t(last) >= fitted.layout.measures.size()) {
        ClearPassage();
        return;
    }
    passageAnchor = size_t(first);
    ChoosePassage(size_t(first), size_t(last));
}

void CDovrelPlinvaraDlg::TellUnreadSheetLines(const TuneSheet* chosen, bool withListing)
{
    std::vector<std::pair<int, std::string>> unread = withListing ? tuneSheets.unread : decltype(unread){};
    if (chosen)
        unread.insert(unread.end(), chosen->unread.begin(), chosen->unread.end());
    std::sort(unread.begin(), unread.end());
    const std::string fileName =
        QFileInfo(QFile::decodeName(TuneSheetsPath(doc.Path()).c_str())).fileName().toStdString();
    if (const std::string text = UnreadSheetLinesText(fileName, unread); !text.empty())
        ShowMessage(text);
}

void CDovrelPlinvaraDlg::AddUnreadSheetItem(QMenu& sheets)
{
    const TuneSheet* shown = tuneSheets.Find(doc.SheetShown());
    if (!shown || shown->unread.empty())
        return;
    QString lines;
    for (const auto& [line, text] : shown->unread)
        lines += (lines.isEmpty() ? "" : "、") + QString::number(line) + tr("行目");
    QAction* told = sheets.addAction(tr("「%1」で使わなかった値: %2")
                                         .arg(QString::fromStdString(shown->name), lines));
    told->setObjectName(QStringLiteral("UnreadSheetLines"));
    told->setEnabled(false);
    told->setData(-1);
}
