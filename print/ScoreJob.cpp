#include "print/ScoreJob.h"

#include "common/Cp932.h"
#include "common/FileServices.h"
#include "common/QtText.h"
#include "common/XmlText.h"
#include "print/CPrintPicture.h"
#include "print/SheetWords.h"
#include "render/ScoreGeometry.h"
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

SheetLegend LegendOf(const CSongData& song, int firstMeasure, int lastMeasure)
{
    SheetLegend legend;
    legend.hasSong = true;
    legend.title = SongTitle(song);
    const int key = (song.keyIndex >= 0 && song.keyIndex < kKeyCount) ? song.keyIndex : 0;
    legend.key = QString::fromLatin1(kKeyTable[static_cast<size_t>(key)].name);
    legend.beatsPerMeasure = song.beatsPerMeasure;
    legend.tempo = song.Tempo();
    legend.firstMeasure = firstMeasure;
    legend.lastMeasure = lastMeasure;
    return legend;
}

bool PrintScorePicture(CPrintPicture& job, const DeviceMode& mode, const SheetLegend& legend, const FittedScore& fitted,
                       const WordChoices& words)
{
    if (!job.StartJob(mode))
        return false;
    SheetLegend shown = legend;
    shown.scaleBar = job.spacingTenthsMm > 0;
    shown.shown = ShownOnSheet(words);
    const ScoreGeometry& score = fitted.geometry;
    const int width = score.width, height = score.height;
    job.AddScore(&score, height, width, 0, 0);
    job.SetLegend(&shown);
    job.SetWords(&fitted.layout, words);
    job.PrintItems(mode, width, height, 1.0);
    job.ClearItems();
    job.EndJob();
    return !job.Failed();
}

bool WriteScoreSvg(const QString& fileName, const SheetLegend& legend, const FittedScore& fitted,
                   const WordChoices& words, int spacingTenthsMm)
{
    const ScoreGeometry& score = fitted.geometry;
    DeviceMode sheet;
    sheet.paperSize = PaperSize::kA3;
    sheet.paperWidth = 2970;
    sheet.paperLength = 4200;
    sheet.printQuality = sheet.yResolution = kSvgDotsPerInch;
    QSize page(DotsFor(297, kSvgDotsPerInch), DotsFor(420, kSvgDotsPerInch));

    // Made in memory and written whole: a cut SVG is no picture, and the old file stays.
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setResolution(kSvgDotsPerInch);
    svg.setTitle(QString::fromStdString(XmlEscaped(legend.title.toStdString()))); // Qt writes it as given
    SheetLegend shown = legend;
    shown.scaleBar = spacingTenthsMm > 0;
    shown.shown = ShownOnSheet(words);
    const int width = score.width, height = score.height;
    CPrintPicture drawing;
    drawing.AddScore(&score, height, width, 0, 0);
    drawing.SetLegend(&shown);
    drawing.SetWords(&fitted.layout, words);
    drawing.spacingTenthsMm = spacingTenthsMm;
    const PagePlacement atScale = drawing.PlacementAtScale(kSvgDotsPerInch);
    if (spacingTenthsMm > 0)
        page = drawing.SheetSizeAtScale(&svg, atScale, width, height, kSvgDotsPerInch);
    svg.setSize(page);
    svg.setViewBox(QRect(QPoint(0, 0), page));
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    painter.fillRect(QRect(QPoint(0, 0), page), Qt::white);
    if (spacingTenthsMm > 0)
        drawing.DrawPlaced(painter, atScale, kSvgDotsPerInch, page.height());
    else
        drawing.DrawSheet(painter, sheet, width, height, 1.0, page.height());
    if (!painter.end())
        return false;
    // Qt escapes the texts it draws but keeps the control characters a title or lyric may hold.
    const std::string bytes = WithoutXmlForbidden(std::string_view(file.data().constData(), static_cast<size_t>(file.data().size())));
    return WriteWholeFile(QFile::encodeName(fileName).toStdString(), bytes.data(), bytes.size()) != 0;
}
