#include "print/ScoreJob.h"
#include "print/SheetPlanning.h"

#include "common/Cp932.h"
#include "common/FileServices.h"
#include "common/Messages.h"
#include "common/QtText.h"
#include "common/TextTranslation.h"
#include "common/XmlText.h"
#include "print/CPrintPicture.h"
#include "print/SheetPageDrawing.h"
#include "render/WrittenScore.h"
#include "score/Score.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QSvgGenerator>

namespace {

// The SVG's user units: device pixels of a page at this resolution.
constexpr int kSvgDotsPerInch = 600;

} // namespace

QString SongTitle(const Score& song)
{
    const QString title = QString::fromStdString(song.title).trimmed();
    if (!title.isEmpty())
        return title;
    const std::string& path = song.source;
    return QFileInfo(QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())))).completeBaseName();
}

SongFacts SongFactsOf(const Score& song, const FittedScore& score)
{
    SongFacts facts;
    facts.title = SongTitle(song).toStdString();
    facts.key = song.ShownKeyLabel();
    facts.beatsPerMeasure = song.meter.beatsPerMeasure;
    facts.tempo = static_cast<int>(song.Tempo());
    if (song.meter.written)
        facts.meterName = song.meter.written->Name();
    facts.firstMeasure = score.measures.first;
    facts.lastMeasure = score.measures.last;
    facts.songMeasures = score.measureCount;
    facts.repeatsNotice = FallbackNotice(score.layout.fallback);
    facts.pickup = song.pickupTicks > 0;
    facts.composer = song.composer;
    facts.lyricist = song.lyricist;
    for (const ScoreVoice& voice : song.voices)
        if (static_cast<size_t>(voice.role) < facts.partNames.size())
            facts.partNames[static_cast<size_t>(voice.role)] = voice.name;
    return facts;
}

bool AskToPrintPages(int pages)
{
    return AskMessage(FilledText(CoreText::translate("Legend", "印刷するページが%1枚になります。印刷しますか？"),
                                 {std::to_string(pages)}));
}

bool PrintScorePicture(CPrintPicture& job, const std::optional<SongFacts>& facts, const FittedScore& fitted,
                       const SheetSettings& sheet, bool (*mayPrint)(int pages))
{
    // Planned on the chosen printer before anything goes to it, so that a sheet of many pages
    // can still be declined.
    const SheetSet set = PlanSheets(fitted, sheet, job.Paper(), job.TextMeasure(), facts);
    const int pages = static_cast<int>(set.PageCount());
    if (mayPrint && pages > kPagesWithoutAsking && !mayPrint(pages))
        return false;
    if (!job.StartJob())
        return false;
    job.PrintPages(set);
    job.EndJob();
    return !job.Failed();
}

bool WriteScoreSvg(const QString& fileName, const std::optional<SongFacts>& facts, const FittedScore& fitted,
                   const SheetSettings& sheet)
{
    // Made in memory and written whole: a cut SVG is no picture, and the old file stays.
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setResolution(kSvgDotsPerInch);
    svg.setTitle(QString::fromStdString(XmlEscaped(facts ? facts->title : std::string()))); // Qt writes it as given
    const SheetSet set =
        PlanWholeSheet(fitted, sheet, kSvgDotsPerInch, MeasureSheetText(&svg, kSvgDotsPerInch), facts);
    const SheetPlan& plan = set.sheets.front();
    const QSize page(plan.sheetWidth, plan.sheetHeight);
    svg.setSize(page);
    svg.setViewBox(QRect(QPoint(0, 0), page));
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    painter.fillRect(QRect(QPoint(0, 0), page), Qt::white);
    DrawSheetPage(painter, plan, 0);
    if (!painter.end())
        return false;
    // Qt escapes the texts it draws but keeps the control characters a title or lyric may hold.
    const std::string bytes = WithoutXmlForbidden(std::string_view(file.data().constData(), static_cast<size_t>(file.data().size())));
    return WriteWholeFile(QFile::encodeName(fileName).toStdString(), bytes.data(), bytes.size()) != 0;
}
