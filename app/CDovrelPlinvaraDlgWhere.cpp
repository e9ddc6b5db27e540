// Where the learner is: the measure under the pointer and the one playing, the tune's title,
// key and tempo in the window's title, and the measure numbers on the picture when asked.

#include "app/CDovrelPlinvaraDlg.h"
#include "audio/ScorePlayback.h"
#include "render/CScorePicture.h"
#include "render/KeyChoice.h"
#include "score/Score.h"

#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <algorithm>
#include <cmath>

QString CDovrelPlinvaraDlg::WhereText(std::optional<int> measure) const
{
    if (!measure || !doc.Open())
        return QStringLiteral("—");
    return tr("第%1小節 / %2").arg(*measure).arg(MeasureTotal());
}

void CDovrelPlinvaraDlg::ShowTitle()
{
    if (!doc.Open()) {
        setWindowTitle(tr("ハープ用図形楽譜"));
        return;
    }
    // The key shown is the key the song now stands in, whatever moved it there.
    const std::string key = doc.Song()->keyMode ? doc.Song()->ShownKeyLabel() : KeyName(doc.Song()->keyIndex);
    QString tempo;
    if (const int base = std::max(1, doc.Song()->PlayedTempo()); playback) {
        const int percent = playback->TempoPercent();
        tempo = tr("%1拍/分").arg(std::lround(base * percent / 100.0));
        if (percent != 100)
            tempo += QStringLiteral(" (%1%)").arg(percent);
    }
    QStringList parts;
    if (!doc.Song()->title.empty())
        parts << QString::fromStdString(doc.Song()->title);
    else if (!doc.Path().empty())
        parts << QFileInfo(QFile::decodeName(doc.Path().c_str())).completeBaseName();
    parts << QString::fromStdString(key);
    if (!tempo.isEmpty())
        parts << tempo;
    parts << tr("ハープ用図形楽譜");
    setWindowTitle(parts.join(QStringLiteral(" — ")));
}

void CDovrelPlinvaraDlg::SetPointerMeasure(std::optional<int> measure)
{
    if (measure == pointerMeasure)
        return;
    pointerMeasure = measure;
    emit WhereChanged();
}

void CDovrelPlinvaraDlg::SetPlayingMeasure(std::optional<int> measure)
{
    if (measure == playingMeasure)
        return;
    playingMeasure = measure;
    emit WhereChanged();
}

std::optional<int> CDovrelPlinvaraDlg::MeasureOfDrawn(const FittedScore& shown, int placed)
{
    const std::vector<PlacedNote>& drawn = shown.geometry.notes;
    if (placed < 0 || size_t(placed) >= drawn.size() || drawn[size_t(placed)].source < 0 ||
        size_t(drawn[size_t(placed)].source) >= shown.layout.notes.size() || shown.layout.measures.empty())
        return std::nullopt;
    const int32_t time = shown.layout.notes[size_t(drawn[size_t(placed)].source)].time;
    size_t at = 0;
    for (size_t m = 0; m < shown.layout.measures.size(); ++m)
        if (shown.layout.measures[m].time <= time)
            at = m;
    return shown.measures.first + static_cast<int>(at);
}

void CDovrelPlinvaraDlg::SetScreenMeasureNumbers(bool on)
{
    if (on == screenNumbers)
        return;
    screenNumbers = on;
    if (doc.Open()) {
        score->LayOutMeasures(fitted, screenNumbers);
        ShowPlayedMark(playback->MarkedNote());
    }
    emit WhereChanged();
}

void CDovrelPlinvaraDlg::leaveEvent(QEvent* event)
{
    SetPointerMeasure(std::nullopt);
    QDialog::leaveEvent(event);
}
