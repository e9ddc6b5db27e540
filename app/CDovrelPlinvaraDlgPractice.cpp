// The main window's practice controls: the passage chosen on the picture, the playing options
// of the context menu and the keys that play, speed up, slow down, go back and step.

#include "app/CDovrelPlinvaraDlg.h"
#include "audio/ScorePlayback.h"
#include "controls/COffScreenControl.h"
#include "render/CScorePicture.h"
#include "song/CSongData.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>

QRect CDovrelPlinvaraDlg::PictureArea() const
{
    return scoreControl->geometry();
}

std::optional<size_t> CDovrelPlinvaraDlg::MeasureAt(QPoint at) const
{
    const std::vector<ScoreMeasure>& measures = fitted.layout.measures;
    if (!song || measures.empty() || !PictureArea().contains(at))
        return std::nullopt;
    const double zoom = settings.displayZoom > 0 ? settings.displayZoom : 1.0;
    const int y = static_cast<int>((at.y() - PictureArea().top()) / zoom);
    // The measure whose line stands at or above the point; above the first, the first.
    size_t found = 0;
    for (size_t m = 0; m < measures.size(); ++m)
        if (ScoreY(fitted.geometry, fitted.layout.totalLength, measures[m].time) <= y)
            found = m;
    return found;
}

std::optional<std::pair<int32_t, int32_t>> CDovrelPlinvaraDlg::PassageUnits() const
{
    const std::vector<ScoreMeasure>& measures = fitted.layout.measures;
    if (!passage || passage->second >= measures.size())
        return std::nullopt;
    const int32_t end =
        passage->second + 1 < measures.size() ? measures[passage->second + 1].time : fitted.layout.totalLength;
    return std::pair{measures[passage->first].time, end};
}

void CDovrelPlinvaraDlg::ChoosePassage(size_t anchorMeasure, size_t otherMeasure)
{
    const auto chosen = std::pair{std::min(anchorMeasure, otherMeasure), std::max(anchorMeasure, otherMeasure)};
    if (passage == chosen)
        return;
    // What plays goes on; the new passage plays from the next start.
    passage = chosen;
    ShowPicture(playback->MarkedNote());
}

void CDovrelPlinvaraDlg::ClearPassage()
{
    if (!passage)
        return;
    passage.reset();
    ShowPicture(playback->MarkedNote());
}

void CDovrelPlinvaraDlg::ShowPicture(int placed)
{
    std::optional<std::pair<int, int>> band;
    if (const auto units = PassageUnits())
        band = std::pair{ScoreY(fitted.geometry, fitted.layout.totalLength, units->first),
                         ScoreY(fitted.geometry, fitted.layout.totalLength, units->second)};
    score->ShowMark(fitted, placed >= 0 ? std::optional<size_t>(placed) : std::nullopt, band);
}

void CDovrelPlinvaraDlg::mousePressEvent(QMouseEvent* event)
{
    const std::optional<size_t> measure = event->button() == Qt::LeftButton ? MeasureAt(event->position().toPoint())
                                                                             : std::nullopt;
    if (!measure) {
        QDialog::mousePressEvent(event);
        return;
    }
    // A click starts a passage of one measure; a shift-click ends it there.
    if (!(event->modifiers() & Qt::ShiftModifier) || !passage)
        passageAnchor = *measure;
    ChoosePassage(passageAnchor, *measure);
}

void CDovrelPlinvaraDlg::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || !passage) {
        QDialog::mouseMoveEvent(event);
        return;
    }
    // A drag held within the picture's measures.
    QPoint at = event->position().toPoint();
    const QRect area = PictureArea();
    at.setY(std::clamp(at.y(), area.top(), area.bottom()));
    at.setX(std::clamp(at.x(), area.left(), area.right()));
    if (const std::optional<size_t> measure = MeasureAt(at))
        ChoosePassage(passageAnchor, *measure);
}

void CDovrelPlinvaraDlg::AddPracticeItems(QMenu& menu)
{
    const auto addSwitch = [&](const QString& text, bool on, auto set) {
        QAction* item = menu.addAction(text);
        item->setCheckable(true);
        item->setChecked(on);
        item->setData(-1);
        connect(item, &QAction::triggered, this, [this, set](bool checked) { (playback.get()->*set)(checked); });
        return item;
    };
    addSwitch(QStringLiteral("カウントイン(&C)"), playback->CountIn(), &ScorePlayback::SetCountIn);
    addSwitch(QStringLiteral("ループの度にカウントイン(&E)"), playback->CountInEveryPass(),
              &ScorePlayback::SetCountInEveryPass);
    addSwitch(QStringLiteral("メトロノーム(&M)"), playback->Metronome(), &ScorePlayback::SetMetronome);
    addSwitch(QStringLiteral("メロディを消音(&U)"), playback->MelodyMuted(), &ScorePlayback::SetMelodyMuted);
    QAction* clear = menu.addAction(QStringLiteral("区間の選択を解除(&X)"));
    clear->setEnabled(passage.has_value());
    clear->setData(-1);
    connect(clear, &QAction::triggered, this, [this] { ClearPassage(); });
}

bool CDovrelPlinvaraDlg::eventFilter(QObject* watched, QEvent* event)
{
    // Up and Down stay the boxes' own, stepping a measure.
    if (event->type() == QEvent::KeyPress) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if (key.key() != Qt::Key_Up && key.key() != Qt::Key_Down && PracticeKey(key))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool CDovrelPlinvaraDlg::PracticeKey(const QKeyEvent& event)
{
    if (!song)
        return false;
    const int key = event.key();
    if (key == Qt::Key_Plus || key == Qt::Key_Equal || key == Qt::Key_Minus) {
        const int step = key == Qt::Key_Minus ? -kTempoStepPercent : kTempoStepPercent;
        playback->SetTempoPercent(playback->TempoPercent() + step);
        return true;
    }
    if (key == Qt::Key_Home) {
        playback->Rewind();
        return true;
    }
    if (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down) {
        if (playback->Active())
            return true;
        const int direction = key == Qt::Key_Left || key == Qt::Key_Up ? -1 : 1;
        playback->Step(fitted, song->Tempo(), direction);
        return true;
    }
    return false;
}
