#include "import/CVoiceRolesDlg.h"

#include "common/QtText.h"
#include "controls/DialogUnits.h"

#include <QCoreApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

namespace {

// A file of many tracks scrolls rather than growing past the screen.
constexpr int kListHeightDlu = 140;

// A box of a voice's own move, in octaves, showing its sign.
QSpinBox* OctaveBox(QWidget* parent, int id, int semitones)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::number(id));
    box->setRange(-kMaxVoiceOctaveShift / 12, kMaxVoiceOctaveShift / 12);
    box->setValue(semitones / 12);
    box->setAccessibleName(CVoiceRolesDlg::tr("オクターブ"));
    return box;
}

int RoleIndexOf(const VoiceChoice& choice, int number)
{
    for (int r = 0; r < kVoiceRoleCount; ++r)
        if (number != 0 && choice.voice[static_cast<size_t>(r)] == number)
            return r;
    return CVoiceRolesDlg::kNoRole;
}

} // namespace

CVoiceRolesDlg::CVoiceRolesDlg(const QString& title, const std::vector<VoiceOffer>& offered, const VoiceChoice& start,
                               bool chords, QWidget* parent)
    : QDialog(parent), voices(offered)
{
    setObjectName(QStringLiteral("VoiceRoles"));
    setWindowTitle(title);
    setFont(DialogFont());
    auto* layout = new QVBoxLayout(this);

    auto* rows = new QWidget;
    auto* grid = new QGridLayout(rows);
    grid->addWidget(new QLabel(CVoiceRolesDlg::tr("オクターブ"), rows), 0, 2);
    for (size_t i = 0; i < voices.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        auto* name = new QLabel(QString::fromStdString(VoiceLabel(voices[i])), rows);
        grid->addWidget(name, row, 0);
        auto* role = new QComboBox(rows);
        name->setBuddy(role);
        role->setObjectName(QString::number(VoiceRolesControl::kFirstRole + static_cast<int>(i)));
        for (int r = 0; r < kVoiceRoleCount; ++r)
            role->addItem(QCoreApplication::translate("SongVoices", VoiceRoleLabel(static_cast<VoiceRole>(r))));
        role->addItem(tr("なし"));
        role->setCurrentIndex(RoleIndexOf(start, voices[i].number));
        connect(role, &QComboBox::currentIndexChanged, this, [this, i] { RoleChosen(i); });
        grid->addWidget(role, row, 1);
        roles.push_back(role);
        const int r = role->currentIndex();
        auto* octave = OctaveBox(rows, VoiceRolesControl::kFirstOctave + static_cast<int>(i),
                                 r < kVoiceRoleCount ? start.octave[static_cast<size_t>(r)] : 0);
        grid->addWidget(octave, row, 2);
        octaves.push_back(octave);
    }
    if (!voices.empty()) {
        auto* scroll = new QScrollArea(this);
        scroll->setWidget(rows);
        scroll->setWidgetResizable(true);
        scroll->setMaximumHeight(DluToPixels(kListHeightDlu));
        scroll->setMinimumWidth(rows->sizeHint().width() + DluToPixels(12));
        layout->addWidget(scroll);
    } else {
        delete rows;
    }

    if (chords) {
        auto* line = new QHBoxLayout;
        fromChords = new QCheckBox(tr("コードから"), this);
        fromChords->setObjectName(QString::number(VoiceRolesControl::kFromChords));
        fromChords->setChecked(start.chordAccompaniment);
        connect(fromChords, &QCheckBox::toggled, this, [this] { Refresh(); });
        line->addWidget(fromChords);
        pattern = new QComboBox(this);
        pattern->setObjectName(QString::number(VoiceRolesControl::kChordPattern));
        for (int k = 0; k < kChordPatternCount; ++k)
            pattern->addItem(QCoreApplication::translate("ChordPattern", ChordPatternLabel(static_cast<ChordPattern>(k))), k);
        pattern->setCurrentIndex(static_cast<int>(start.chordPattern));
        line->addWidget(pattern);
        line->addWidget(new QLabel(CVoiceRolesDlg::tr("オクターブ"), this));
        chordOctave = OctaveBox(this, VoiceRolesControl::kChordOctave,
                                start.chordAccompaniment ? start.octave[static_cast<size_t>(VoiceRole::kAccompaniment)] : 0);
        line->addWidget(chordOctave);
        line->addStretch();
        layout->addLayout(line);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QString::number(VoiceRolesControl::kOk));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton(tr("キャンセル"), this);
    cancel->setObjectName(QString::number(VoiceRolesControl::kCancel));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    Refresh();
}

void CVoiceRolesDlg::RoleChosen(size_t row)
{
    if (moving)
        return;
    // A role belongs to one voice: taking it here takes it from the voice that had it.
    const int taken = roles[row]->currentIndex();
    moving = true;
    for (size_t other = 0; other < roles.size(); ++other)
        if (other != row && taken != kNoRole && roles[other]->currentIndex() == taken)
            roles[other]->setCurrentIndex(kNoRole);
    moving = false;
    Refresh();
}

void CVoiceRolesDlg::Refresh()
{
    const VoiceChoice chosen = Chosen();
    if (fromChords) { // the chords make the accompaniment only where no voice plays it
        fromChords->setEnabled(chosen[VoiceRole::kAccompaniment] == 0);
        pattern->setEnabled(fromChords->isEnabled() && fromChords->isChecked());
        chordOctave->setEnabled(pattern->isEnabled());
    }
    ok->setEnabled(CanAccept());
}

VoiceChoice CVoiceRolesDlg::Chosen() const
{
    VoiceChoice chosen;
    for (size_t i = 0; i < roles.size(); ++i) {
        const int r = roles[i]->currentIndex();
        if (r >= 0 && r < kVoiceRoleCount) {
            chosen.voice[static_cast<size_t>(r)] = voices[i].number;
            chosen.octave[static_cast<size_t>(r)] = octaves[i]->value() * 12;
        }
    }
    chosen.chordAccompaniment =
        fromChords && fromChords->isChecked() && chosen[VoiceRole::kAccompaniment] == 0;
    if (chosen.chordAccompaniment) {
        chosen.chordPattern = static_cast<ChordPattern>(pattern->currentIndex());
        chosen.octave[static_cast<size_t>(VoiceRole::kAccompaniment)] = chordOctave->value() * 12;
    }
    return chosen;
}

bool CVoiceRolesDlg::CanAccept() const
{
    int melodies = 0;
    for (const QComboBox* role : roles)
        melodies += role->currentIndex() == static_cast<int>(VoiceRole::kMelody);
    return roles.empty() || melodies == 1;
}

VoiceChoice CVoiceRolesDlg::MelodyAlone(int melody)
{
    VoiceChoice choice;
    choice[VoiceRole::kMelody] = melody;
    return choice;
}

std::optional<VoiceChoice> CVoiceRolesDlg::AskFrom(QWidget* parent, const std::string& titleUtf8,
                                                   const std::vector<VoiceOffer>& voices, const VoiceChoice& start,
                                                   bool chords)
{
    // Without the melody's voice among them, the first is offered: OK never opens disabled.
    VoiceChoice shown = start;
    const int melody = start[VoiceRole::kMelody];
    if (!voices.empty() &&
        std::none_of(voices.begin(), voices.end(), [&](const VoiceOffer& v) { return v.number == melody; })) {
        for (int& n : shown.voice)
            n = n == voices.front().number ? 0 : n;
        shown[VoiceRole::kMelody] = voices.front().number;
    }
    CVoiceRolesDlg dialog(QCoreApplication::translate("ScoreImport", titleUtf8.c_str()), voices, shown, chords, parent);
    if (dialog.exec() != QDialog::Accepted || !dialog.CanAccept())
        return std::nullopt;
    return dialog.Chosen();
}

std::optional<VoiceChoice> CVoiceRolesDlg::Ask(const std::string& titleUtf8, const std::vector<VoiceOffer>& voices,
                                               int melody, bool chords)
{
    return AskFrom(nullptr, titleUtf8, voices, MelodyAlone(melody), chords);
}
