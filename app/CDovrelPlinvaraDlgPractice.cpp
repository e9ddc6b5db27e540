// The main window's practice controls: the passage chosen on the picture, the playing options
// of the context menu and the keys that play, speed up, slow down, go back and step.

#include "app/CDovrelPlinvaraDlg.h"
#include "audio/ScorePlayback.h"
#include "controls/COffScreenControl.h"
#include "controls/CReadOnlySpinBox.h"
#include "render/CScorePicture.h"
#include "score/Score.h"

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
    if (!doc.Open() || measures.empty() || !PictureArea().contains(at))
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
    emit PassageChanged();
}

void CDovrelPlinvaraDlg::ClearPassage()
{
    if (!passage)
        return;
    passage.reset();
    ShowPicture(playback->MarkedNote());
    emit PassageChanged();
}

void CDovrelPlinvaraDlg::SetPassage(std::optional<std::pair<size_t, size_t>> chosen)
{
    const size_t count = fitted.layout.measures.size();
    if (!chosen || count == 0) {
        ClearPassage();
        return;
    }
    passageAnchor = std::min(chosen->first, count - 1);
    ChoosePassage(passageAnchor, std::min(chosen->second, count - 1));
}

void CDovrelPlinvaraDlg::ShowPicture(int placed)
{
    ShowPicture(placed >= 0 ? std::vector<size_t>{size_t(placed)} : std::vector<size_t>{});
}

void CDovrelPlinvaraDlg::ShowPicture(const std::vector<size_t>& placed)
{
    std::optional<std::pair<int, int>> band;
    if (const auto units = PassageUnits())
        band = std::pair{ScoreY(fitted.geometry, fitted.layout.totalLength, units->first),
                         ScoreY(fitted.geometry, fitted.layout.totalLength, units->second)};
    score->ShowMarks(fitted, placed, band);
}

namespace {

// The time and pitch of a drawn note of any voice; none for a note the layout does not hold.
std::optional<std::pair<int32_t, int32_t>> DrawnPlace(const FittedScore& score, const PlacedNote& note)
{
    const ScoreLayout& layout = score.layout;
    if (note.source >= 0)
        return static_cast<size_t>(note.source) < layout.notes.size()
                   ? std::optional(std::pair{layout.notes[size_t(note.source)].time, layout.notes[size_t(note.source)].pitch})
                   : std::nullopt;
    if (note.voice < 0 || static_cast<size_t>(note.voice) >= layout.voices.size())
        return std::nullopt;
    const std::vector<ScoreNote>& notes = layout.voices[size_t(note.voice)].notes;
    if (note.voiceSource < 0 || static_cast<size_t>(note.voiceSource) >= notes.size())
        return std::nullopt;
    return std::pair{notes[size_t(note.voiceSource)].time, notes[size_t(note.voiceSource)].pitch};
}

// The drawn notes of `score` at these times and pitches: a circle holds one place.
std::vector<size_t> DrawnAt(const FittedScore& score, const std::vector<std::pair<int32_t, int32_t>>& places)
{
    std::vector<size_t> found;
    for (size_t i = 0; i < score.geometry.notes.size(); ++i)
        if (const auto place = DrawnPlace(score, score.geometry.notes[i]);
            place && std::find(places.begin(), places.end(), *place) != places.end())
            found.push_back(i);
    return found;
}

} // namespace

void CDovrelPlinvaraDlg::mousePressEvent(QMouseEvent* event)
{
    // The keys go where the learner looks: the arrows then step the ring, not a measure box.
    if (PictureArea().contains(event->position().toPoint()))
        scoreControl->setFocus(Qt::MouseFocusReason);
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
    if (const std::optional<size_t> under = MeasureAt(event->position().toPoint()))
        SetPointerMeasure(fitted.measures.first + static_cast<int>(*under));
    else
        SetPointerMeasure(std::nullopt);
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
    addSwitch(tr("カウントイン(&C)"), playback->CountIn(), &ScorePlayback::SetCountIn);
    addSwitch(tr("ループの度にカウントイン(&E)"), playback->CountInEveryPass(),
              &ScorePlayback::SetCountInEveryPass);
    addSwitch(tr("メトロノーム(&M)"), playback->Metronome(), &ScorePlayback::SetMetronome);
    addSwitch(tr("メロディを消音(&U)"), playback->MelodyMuted(), &ScorePlayback::SetMelodyMuted);
    QAction* follow = menu.addAction(tr("画面を追って最後まで再生(&F)"));
    follow->setCheckable(true);
    follow->setChecked(followToEnd);
    follow->setData(-1);
    // Taken at the next 再生, as it changes what plays.
    connect(follow, &QAction::triggered, this, [this](bool on) { followToEnd = on; });
    QAction* clear = menu.addAction(tr("区間の選択を解除(&X)"));
    clear->setEnabled(passage.has_value());
    clear->setData(-1);
    connect(clear, &QAction::triggered, this, [this] { ClearPassage(); });
    QAction* numbers = menu.addAction(tr("画面に小節番号(&I)"));
    numbers->setObjectName(QStringLiteral("ScreenMeasureNumbers"));
    numbers->setCheckable(true);
    numbers->setChecked(screenNumbers);
    numbers->setData(-1);
    connect(numbers, &QAction::triggered, this, [this](bool on) { SetScreenMeasureNumbers(on); });
}

bool CDovrelPlinvaraDlg::eventFilter(QObject* watched, QEvent* event)
{
    // The pointer gone onto a button or a box is off the picture.
    if (event->type() == QEvent::Enter && watched != this)
        SetPointerMeasure(std::nullopt);
    // Up and Down stay the boxes' own, stepping a measure; the box takes a number typed, and
    // space plays as it does elsewhere.
    if (event->type() == QEvent::KeyPress) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if (key.key() == Qt::Key_Space && key.modifiers() == Qt::NoModifier) {
            if (!key.isAutoRepeat())
                TogglePlayback();
            return true;
        }
        if (key.key() != Qt::Key_Up && key.key() != Qt::Key_Down && PracticeKey(key))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool CDovrelPlinvaraDlg::PracticeKey(const QKeyEvent& event)
{
    const int key = event.key();
    if (key == Qt::Key_P && event.modifiers() == Qt::NoModifier) {
        OpenPracticePanel();
        return true;
    }
    if (!doc.Open())
        return false;
    if (key == Qt::Key_Plus || key == Qt::Key_Equal || key == Qt::Key_Minus) {
        const int step = key == Qt::Key_Minus ? -kTempoStepPercent : kTempoStepPercent;
        playback->SetTempoPercent(playback->TempoPercent() + step);
        return true;
    }
    if (key == Qt::Key_Home) {
        // Stopped after the screen followed: back to the measures shown when playing began.
        if (!playback->Active() && shownBeforeFollowing) {
            const MeasureRange back = *shownBeforeFollowing;
            shownBeforeFollowing.reset();
            ShowMeasures(back);
        }
        playback->Rewind();
        return true;
    }
    if (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down) {
        if (playback->Active())
            return true;
        played.reset(); // a step marks the shown score's notes
        const int direction = key == Qt::Key_Left || key == Qt::Key_Up ? -1 : 1;
        const bool byMeasure = key == Qt::Key_Up || key == Qt::Key_Down;
        playback->Step(fitted, doc.Song()->PlayedTempo(), direction,
                       byMeasure ? ScorePlayback::StepBy::kMeasure : ScorePlayback::StepBy::kNote);
        return true;
    }
    return false;
}

void CDovrelPlinvaraDlg::PlayShown()
{
    const BeatClicks beats = ClickBeats(doc.Song()->meter.beatsPerMeasure);
    played.reset();
    if (!followToEnd || passage || fitted.measures.last >= fitted.measureCount) {
        playback->Play(fitted, doc.Song()->PlayedTempo(), beats, PassageUnits());
        return;
    }
    played = std::make_unique<FittedScore>(doc.LayOut({fitted.measures.first, fitted.measureCount}, RepeatsShown()));
    shownBeforeFollowing = fitted.measures;
    playback->Play(*played, doc.Song()->PlayedTempo(), beats);
}

void CDovrelPlinvaraDlg::ShowMeasures(MeasureRange shown)
{
    settingBoxes = true;
    startBox->setValue(shown.first);
    endBox->setValue(shown.last);
    settingBoxes = false;
    settings.startMeasure = shown.first;
    settings.endMeasure = shown.last;
    doc.ShowRange(shown, RepeatsShown());
    passage.reset();
    score->LayOutMeasures(fitted, screenNumbers);
    emit ScoreShown();
}

void CDovrelPlinvaraDlg::ShowPlayedMark(int placed)
{
    std::vector<size_t> sounding;
    for (const int i : playback->MarkedNotes())
        sounding.push_back(size_t(i));
    if (placed >= 0 && std::find(sounding.begin(), sounding.end(), size_t(placed)) == sounding.end())
        sounding.push_back(size_t(placed));
    if (!played || !doc.Open()) {
        if (placed >= 0)
            SetPlayingMeasure(MeasureOfDrawn(fitted, placed));
        ShowPicture(sounding);
        return;
    }
    const std::vector<PlacedNote>& drawn = played->geometry.notes;
    const std::vector<ScoreMeasure>& measures = played->layout.measures;
    const int origin = played->measures.first;
    // The page turns with the melody's note.
    if (placed >= 0 && static_cast<size_t>(placed) < drawn.size() && drawn[size_t(placed)].source >= 0) {
        const ScoreNote& note = played->layout.notes.at(static_cast<size_t>(drawn[size_t(placed)].source));
        size_t at = 0;
        for (size_t m = 0; m < measures.size(); ++m)
            if (measures[m].time <= note.time)
                at = m;
        // Measures count from the played score's first; a page is as many as the boxes showed.
        const int page = std::max(1, shownBeforeFollowing ? shownBeforeFollowing->last - shownBeforeFollowing->first + 1
                                                          : fitted.measures.last - fitted.measures.first + 1);
        const int measure = origin + static_cast<int>(at);
        SetPlayingMeasure(measure);
        if (measure < fitted.measures.first || measure > fitted.measures.last) {
            const int first = origin + (measure - origin) / page * page;
            ShowMeasures({first, std::min(first + page - 1, fitted.measureCount)});
        }
    }
    // The same notes on the page: their times from the page's first measure, and their pitches.
    const size_t pageStart = static_cast<size_t>(fitted.measures.first - origin);
    if (pageStart >= measures.size()) {
        ShowPicture(-1);
        return;
    }
    std::vector<std::pair<int32_t, int32_t>> places;
    for (const size_t i : sounding)
        if (i < drawn.size())
            if (const auto place = DrawnPlace(*played, drawn[i]))
                places.push_back({place->first - measures[pageStart].time, place->second});
    ShowPicture(DrawnAt(fitted, places));
}
