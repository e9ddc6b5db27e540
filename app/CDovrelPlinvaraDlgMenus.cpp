// The main window's playing items of the context menu: 再生, a short テンポ and 調 of the common
// choices with "その他..." for any other, the practice switches and the practice panel.

#include "app/CDovrelPlinvaraDlg.h"
#include "app/PracticePanel.h"
#include "audio/ScorePlayback.h"
#include "song/CSongData.h"

#include <QInputDialog>
#include <QMenu>
#include <QScreen>
#include <algorithm>
#include <iterator>

namespace {

// The speeds a learner mostly takes; any other is typed under その他.
constexpr int kCommonTempos[] = {50, 60, 70, 75, 80, 90, 100, 110, 125, 150};
// The keys the menu lists beside the fit's: those leaving fewest notes without a string, nearest
// to the fit's octave.
constexpr size_t kCommonKeyCount = 6;

} // namespace

void CDovrelPlinvaraDlg::AddPlaybackItems(QMenu& menu)
{
    QAction* play = menu.addAction(playback->Active() ? tr("停止(&P)") : tr("再生(&P)"));
    play->setData(MainCommand::kPlay);
    QMenu* tempo = menu.addMenu(tr("テンポ(&T)"));
    tempo->setObjectName(QStringLiteral("TempoMenu"));
    std::vector<int> offered(std::begin(kCommonTempos), std::end(kCommonTempos));
    if (std::find(offered.begin(), offered.end(), playback->TempoPercent()) == offered.end())
        offered.insert(std::upper_bound(offered.begin(), offered.end(), playback->TempoPercent()), playback->TempoPercent());
    for (const int percent : offered) {
        QAction* choice = tempo->addAction(QStringLiteral("%1%").arg(percent));
        choice->setCheckable(true);
        choice->setChecked(percent == playback->TempoPercent());
        choice->setData(-1);
        connect(choice, &QAction::triggered, this, [this, percent] { playback->SetTempoPercent(percent); });
    }
    tempo->addSeparator();
    QAction* otherTempo = tempo->addAction(tr("その他(&O)..."));
    otherTempo->setData(-1);
    connect(otherTempo, &QAction::triggered, this, [this] { AskTempo(); });
    QAction* loop = menu.addAction(tr("ループ(&L)"));
    loop->setCheckable(true);
    loop->setChecked(playback->Loop());
    loop->setData(-1);
    connect(loop, &QAction::triggered, this, [this](bool on) { playback->SetLoop(on); });
    AddPracticeItems(menu);
    QAction* panelItem = menu.addAction(tr("練習パネル(&N)..."));
    panelItem->setData(-1);
    connect(panelItem, &QAction::triggered, this, [this] { OpenPracticePanel(); });
}

std::vector<CDovrelPlinvaraDlg::KeyEntry> CDovrelPlinvaraDlg::KeyEntries() const
{
    std::vector<KeyEntry> entries;
    if (!doc.Open())
        return entries;
    // Counted on the whole song as the sheet draws it, so that a key's count is what the sheet shows.
    const FittedScore whole =
        doc.LayOutWhole(RepeatsShown());
    const KeyOffer fit{doc.FitTransposition(), KeyIndexAt(doc.Song()->keyIndex, fitted.transposition, doc.FitTransposition()),
                       MissingNotesAt(whole, doc.FitTransposition())};
    entries.push_back({tr("自動（既定） ").toStdString() + ShiftText(fit.transposition) + "  " + KeyOfferText(fit), std::nullopt, fit.missingNotes});
    for (const KeyOffer& offer : OfferKeys(whole, doc.Song()->keyIndex))
        entries.push_back({ShiftText(offer.transposition) + "  " + KeyOfferText(offer), offer.transposition, offer.missingNotes});
    return entries;
}

void CDovrelPlinvaraDlg::AddKeyItems(QMenu& menu)
{
    QMenu* keys = menu.addMenu(tr("調(&K)"));
    keys->setObjectName(QStringLiteral("KeyMenu"));
    keys->setEnabled(doc.Open());
    if (!doc.Open())
        return;
    const std::vector<KeyEntry> entries = KeyEntries();
    const auto addChoice = [&](const KeyEntry& entry) {
        QAction* choice = keys->addAction(QString::fromStdString(entry.text));
        choice->setCheckable(true);
        choice->setChecked(entry.key == doc.ChosenKey());
        choice->setData(-1);
        const KeyChoice key = entry.key;
        connect(choice, &QAction::triggered, this, [this, key] { ChooseKey(key); });
    };
    addChoice(entries.front());
    keys->addSeparator();
    std::vector<const KeyEntry*> common;
    for (auto it = entries.begin() + 1; it != entries.end(); ++it)
        common.push_back(&*it);
    const auto distance = [&](const KeyEntry* e) { return std::abs(*e->key - doc.FitTransposition()); };
    std::stable_sort(common.begin(), common.end(), [&](const KeyEntry* a, const KeyEntry* b) {
        return a->missingNotes != b->missingNotes ? a->missingNotes < b->missingNotes : distance(a) < distance(b);
    });
    // The key chosen stays in sight, however rare.
    std::vector<const KeyEntry*> shown(common.begin(), common.begin() + std::min(kCommonKeyCount, common.size()));
    for (const KeyEntry* e : common)
        if (e->key == doc.ChosenKey() && std::find(shown.begin(), shown.end(), e) == shown.end())
            shown.push_back(e);
    std::sort(shown.begin(), shown.end(), [](const KeyEntry* a, const KeyEntry* b) { return *a->key < *b->key; });
    for (const KeyEntry* e : shown)
        addChoice(*e);
    keys->addSeparator();
    QAction* other = keys->addAction(tr("その他(&O)..."));
    other->setData(-1);
    connect(other, &QAction::triggered, this, [this] { AskKey(); });
}

void CDovrelPlinvaraDlg::AskTempo()
{
    // The sound goes on meanwhile, as with the menu's own speeds.
    bool ok = false;
    const int percent = QInputDialog::getInt(this, tr("テンポ"), tr("テンポ（25～200 %）:"),
                                             playback->TempoPercent(), kMinTempoPercent, kMaxTempoPercent,
                                             kTempoStepPercent, &ok);
    if (ok)
        playback->SetTempoPercent(percent);
}

void CDovrelPlinvaraDlg::AskKey()
{
    if (!doc.Open())
        return;
    StopPlayback();
    const std::vector<KeyEntry> entries = KeyEntries();
    QStringList texts;
    int current = 0;
    for (const KeyEntry& e : entries) {
        if (e.key == doc.ChosenKey())
            current = static_cast<int>(texts.size());
        texts << QString::fromStdString(e.text);
    }
    bool ok = false;
    const QString chosen =
        QInputDialog::getItem(this, tr("調"), tr("調:"), texts, current, false, &ok);
    const qsizetype at = texts.indexOf(chosen);
    if (ok && at >= 0)
        ChooseKey(entries[size_t(at)].key);
}

void CDovrelPlinvaraDlg::OpenPracticePanel()
{
    if (!panel) {
        panel = new PracticePanel(*this);
        // Beside the window, within the screen.
        QPoint at(frameGeometry().right() + 8, geometry().top());
        if (const QScreen* shown = screen()) {
            const QRect room = shown->availableGeometry();
            at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - panel->sizeHint().width())));
        }
        panel->move(at);
    }
    panel->show();
    panel->raise();
    panel->activateWindow();
}
