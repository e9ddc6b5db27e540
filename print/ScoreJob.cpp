#include "print/ScoreJob.h"

#include "common/Cp932.h"
#include "common/FileServices.h"
#include "common/Messages.h"
#include "common/QtText.h"
#include "common/XmlText.h"
#include "print/CPrintPicture.h"
#include "print/SheetPage.h"
#include "render/WrittenScore.h"
#include "song/CSongData.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QSvgGenerator>

namespace {

// The SVG's user units: device pixels of a page at this resolution.
constexpr int kSvgDotsPerInch = 600;

} // namespace

QString SongTitle(const CSongData& song)
{
    const QString title = FromCp932(song.ListTitle()).trimmed();
    if (!title.isEmpty())
        return title;
    const std::string_view path = FieldText(song.sourcePath, sizeof song.sourcePath);
    return QFileInfo(QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())))).completeBaseName();
}

SheetLegend LegendOf(const CSongData& song, const FittedScore& score)
{
    SheetLegend legend;
    legend.hasSong = true;
    legend.title = SongTitle(song);
    const int key = (song.keyIndex >= 0 && song.keyIndex < kKeyCount) ? song.keyIndex : 0;
    legend.key = QString::fromLatin1(kKeyTable[static_cast<size_t>(key)].name);
    legend.beatsPerMeasure = song.beatsPerMeasure;
    legend.tempo = song.Tempo();
    legend.firstMeasure = score.measures.first;
    legend.lastMeasure = score.measures.last;
    legend.songMeasures = score.measureCount;
    legend.repeatsNotice = QString::fromStdString(FallbackNotice(score.layout.fallback));
    legend.pickup = song.pickupStart > 0;
    legend.composer = QString::fromStdString(song.composer);
    legend.lyricist = QString::fromStdString(song.lyricist);
    return legend;
}

bool AskToPrintPages(int pages)
{
    return AskMessage("印刷するページが" + std::to_string(pages) + "枚になります。印刷しますか？");
}

bool PrintScorePicture(CPrintPicture& job, const SheetLegend& legend, const FittedScore& fitted,
                       const SheetSettings& sheet, bool (*mayPrint)(int pages))
{
    // Planned on the chosen printer before anything goes to it, so that a sheet of many pages
    // can still be declined.
    const SheetSet set = PlanSheets(fitted, sheet, job.Paper(), job.TextMeasure(), legend.hasSong);
    const int pages = static_cast<int>(set.PageCount());
    if (mayPrint && pages > kPagesWithoutAsking && !mayPrint(pages))
        return false;
    if (!job.StartJob())
        return false;
    job.PrintPages(set, legend);
    job.EndJob();
    return !job.Failed();
}

bool WriteScoreSvg(const QString& fileName, const SheetLegend& legend, const FittedScore& fitted,
                   const SheetSettings& sheet)
{
    // Made in memory and written whole: a cut SVG is no picture, and the old file stays.
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setResolution(kSvgDotsPerInch);
    svg.setTitle(QString::fromStdString(XmlEscaped(legend.title.toStdString()))); // Qt writes it as given
    const SheetSet set =
        PlanWholeSheet(fitted, sheet, kSvgDotsPerInch, MeasureSheetText(&svg, kSvgDotsPerInch), legend.hasSong);
    const SheetPlan& plan = set.sheets.front();
    const QSize page(plan.sheetWidth, plan.sheetHeight);
    svg.setSize(page);
    svg.setViewBox(QRect(QPoint(0, 0), page));
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    painter.fillRect(QRect(QPoint(0, 0), page), Qt::white);
    DrawSheetPage(painter, plan, 0, set.scores.front().geometry, legend);
    if (!painter.end())
        return false;
    // Qt escapes the texts it draws but keeps the control characters a title or lyric may hold.
    const std::string bytes = WithoutXmlForbidden(std::string_view(file.data().constData(), static_cast<size_t>(file.data().size())));
    return WriteWholeFile(QFile::encodeName(fileName).toStdString(), bytes.data(), bytes.size()) != 0;
}
