#include "app/PracticePanel.h"

#include "app/CDovrelPlinvaraDlg.h"
#include "audio/ScorePlayback.h"
#include "common/QtText.h"
#include "song/CSongData.h"
#include "song/SongVoices.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

QSpinBox* NumberBox(QWidget* owner, const char* name)
{
    auto* box = new QSpinBox(owner);
    box->setObjectName(QString::fromLatin1(name));
    // A number typed counts once it is complete: on Enter or when the box is left.
    box->setKeyboardTracking(false);
    box->setGroupSeparatorShown(false);
    return box;
}

QCheckBox* Switch(QWidget* owner, const QString& text, const char* name)
{
    auto* box = new QCheckBox(text, owner);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

} // namespace

PracticePanel::PracticePanel(CDovrelPlinvaraDlg& window) : QWidget(&window, Qt::Tool), window(window)
{
    setWindowTitle(tr("練習パネル"));
    setFont(DialogFont());
    ScorePlayback& playback = window.Playback();

    play = new QPushButton(tr("再生"), this);
    play->setObjectName(QString::fromLatin1(kPlay));
    connect(play, &QPushButton::clicked, this, [this] { this->window.TogglePlayback(); });

    tempoPercent = NumberBox(this, kTempoPercent);
    tempoPercent->setRange(kMinTempoPercent, kMaxTempoPercent);
    tempoPercent->setSingleStep(kTempoStepPercent);
    tempoPercent->setSuffix(QStringLiteral(" %"));
    connect(tempoPercent, &QSpinBox::valueChanged, this, [this](int percent) {
        this->window.Playback().SetTempoPercent(percent);
        ShowOptions(); // a percent between the steps shows the step taken
    });
    tempoBpm = NumberBox(this, kTempoBpm);
    tempoBpm->setSuffix(tr(" 拍/分"));
    connect(tempoBpm, &QSpinBox::valueChanged, this, [this](int bpm) { TakeBeatsPerMinute(bpm); });
    auto* tempoRow = new QHBoxLayout;
    tempoRow->addWidget(tempoPercent);
    tempoRow->addWidget(tempoBpm);

    passageOn = Switch(this, tr("区間"), kPassage);
    passageFrom = NumberBox(this, kPassageFrom);
    passageTo = NumberBox(this, kPassageTo);
    connect(passageOn, &QCheckBox::toggled, this, [this] { TakePassage(); });
    for (QSpinBox* end : {passageFrom, passageTo})
        connect(end, &QSpinBox::valueChanged, this, [this] {
            // A measure typed chooses the passage.
            QSignalBlocker quiet(passageOn);
            passageOn->setChecked(true);
            TakePassage();
        });
    auto* passageRow = new QHBoxLayout;
    passageRow->addWidget(passageOn);
    passageRow->addWidget(passageFrom);
    passageRow->addWidget(new QLabel(tr("～"), this));
    passageRow->addWidget(passageTo);

    loop = Switch(this, tr("ループ"), kLoop);
    connect(loop, &QCheckBox::toggled, &playback, &ScorePlayback::SetLoop);
    countIn = Switch(this, tr("カウントイン"), kCountIn);
    connect(countIn, &QCheckBox::toggled, &playback, &ScorePlayback::SetCountIn);
    countInEveryPass = Switch(this, tr("ループの度に"), kCountInEveryPass);
    connect(countInEveryPass, &QCheckBox::toggled, &playback, &ScorePlayback::SetCountInEveryPass);
    auto* switchRow = new QHBoxLayout;
    switchRow->addWidget(loop);
    switchRow->addWidget(countIn);
    switchRow->addWidget(countInEveryPass);

    metronome = Switch(this, tr("メトロノーム"), kMetronome);
    connect(metronome, &QCheckBox::toggled, &playback, &ScorePlayback::SetMetronome);
    clickVolume = new QSlider(Qt::Horizontal, this);
    clickVolume->setObjectName(QString::fromLatin1(kClickVolume));
    clickVolume->setRange(0, 100);
    clickVolume->setSingleStep(5);
    clickVolume->setPageStep(25);
    clickVolume->setToolTip(tr("メトロノームとカウントインの音量"));
    connect(clickVolume, &QSlider::valueChanged, &playback, &ScorePlayback::SetClickVolume);
    auto* metronomeRow = new QHBoxLayout;
    metronomeRow->addWidget(metronome);
    metronomeRow->addWidget(new QLabel(tr("音量"), this));
    metronomeRow->addWidget(clickVolume);

    key = new QComboBox(this);
    key->setObjectName(QString::fromLatin1(kKey));
    key->setMaxVisibleItems(12);
    connect(key, &QComboBox::activated, this, [this](int index) {
        const std::vector<CDovrelPlinvaraDlg::KeyEntry> entries = this->window.KeyEntries();
        if (index >= 0 && size_t(index) < entries.size() && entries[size_t(index)].key != this->window.ChosenKey())
            this->window.ChooseKey(entries[size_t(index)].key);
    });

    voicesBox = new QGroupBox(tr("鳴らす声部"), this);
    auto* voicesRow = new QHBoxLayout(voicesBox);
    voices.assign(kVoiceChannelCount, nullptr);
    for (int channel = 0; channel < kVoiceChannelCount; ++channel) {
        auto* heard = Switch(voicesBox, QCoreApplication::translate("SongVoices", VoiceRoleLabel(static_cast<VoiceRole>(channel))),
                             (std::string(kVoicePrefix) + std::to_string(channel)).c_str());
        connect(heard, &QCheckBox::toggled, this,
                [this, channel](bool on) { this->window.Playback().SetVoiceMuted(channel, !on); });
        voicesRow->addWidget(heard);
        voices[size_t(channel)] = heard;
    }

    // Where the learner is: wide enough for the longest tune's numbers, so the panel keeps its size.
    pointerMeasure = new QLabel(this);
    pointerMeasure->setObjectName(QString::fromLatin1(kPointerMeasure));
    playingMeasure = new QLabel(this);
    playingMeasure->setObjectName(QString::fromLatin1(kPlayingMeasure));
    for (QLabel* where : {pointerMeasure, playingMeasure})
        where->setMinimumWidth(where->fontMetrics().horizontalAdvance(tr("第8888小節 / 8888")));
    screenNumbers = Switch(this, tr("画面に小節番号"), kScreenNumbers);
    connect(screenNumbers, &QCheckBox::toggled, this, [this](bool on) { this->window.SetScreenMeasureNumbers(on); });

    auto* form = new QFormLayout;
    form->addRow(tr("ポインタ"), pointerMeasure);
    form->addRow(tr("再生中"), playingMeasure);
    form->addRow(QString(), screenNumbers);
    form->addRow(tr("テンポ"), tempoRow);
    form->addRow(tr("小節"), passageRow);
    form->addRow(QString(), switchRow);
    form->addRow(QString(), metronomeRow);
    form->addRow(tr("調"), key);
    auto* column = new QVBoxLayout(this);
    column->addWidget(play);
    column->addLayout(form);
    column->addWidget(voicesBox);

    connect(&playback, &ScorePlayback::StateChanged, this, [this] { ShowState(); });
    connect(&playback, &ScorePlayback::OptionsChanged, this, [this] { ShowOptions(); });
    connect(&window, &CDovrelPlinvaraDlg::PassageChanged, this, [this] { ShowPassage(); });
    connect(&window, &CDovrelPlinvaraDlg::WhereChanged, this, [this] { ShowWhere(); });
    // The key list lays out the whole tune: not made for a panel nobody sees.
    connect(&window, &CDovrelPlinvaraDlg::ScoreShown, this, [this] {
        if (isVisible())
            ShowScore();
    });
}

void PracticePanel::showEvent(QShowEvent* event)
{
    ShowScore(); // what changed while it was hidden
    QWidget::showEvent(event);
}

void PracticePanel::keyPressEvent(QKeyEvent* event)
{
    // The window's own keys, but never one that would end the panel's owner.
    QCoreApplication::sendEvent(&window, event);
}

int PracticePanel::SongBeatsPerMinute() const
{
    return window.Song() ? std::max(1, window.Song()->PlayedTempo()) : 0;
}

void PracticePanel::ShowState()
{
    play->setText(window.Playback().Active() ? tr("停止") : tr("再生"));
    play->setEnabled(window.Song() != nullptr);
}

void PracticePanel::ShowOptions()
{
    const ScorePlayback& playback = window.Playback();
    const int percent = playback.TempoPercent();
    {
        const QSignalBlocker a(tempoPercent), b(tempoBpm), c(loop), d(countIn), e(countInEveryPass), f(metronome),
            g(clickVolume);
        tempoPercent->setValue(percent);
        if (const int base = SongBeatsPerMinute())
            tempoBpm->setValue(static_cast<int>(std::lround(base * percent / 100.0)));
        loop->setChecked(playback.Loop());
        countIn->setChecked(playback.CountIn());
        countInEveryPass->setChecked(playback.CountInEveryPass());
        metronome->setChecked(playback.Metronome());
        clickVolume->setValue(playback.ClickVolume());
    }
    for (int channel = 0; channel < kVoiceChannelCount; ++channel) {
        const QSignalBlocker quiet(voices[size_t(channel)]);
        voices[size_t(channel)]->setChecked(!playback.VoiceMuted(channel));
    }
}

void PracticePanel::ShowPassage()
{
    const FittedScore& shown = window.Score();
    const int first = shown.measures.first;
    const int count = static_cast<int>(shown.layout.measures.size());
    const bool any = window.Song() != nullptr && count > 0;
    const QSignalBlocker a(passageOn), b(passageFrom), c(passageTo);
    for (QSpinBox* end : {passageFrom, passageTo})
        end->setRange(first, first + std::max(count, 1) - 1);
    passageOn->setEnabled(any);
    passageFrom->setEnabled(any);
    passageTo->setEnabled(any);
    const auto passage = window.Passage();
    passageOn->setChecked(passage.has_value());
    // Without a passage the boxes offer the shown measures, ready to be narrowed.
    passageFrom->setValue(passage ? first + static_cast<int>(passage->first) : first);
    passageTo->setValue(passage ? first + static_cast<int>(passage->second) : first + std::max(count, 1) - 1);
}

void PracticePanel::ShowScore()
{
    const bool any = window.Song() != nullptr;
    if (const int base = SongBeatsPerMinute()) {
        const QSignalBlocker quiet(tempoBpm);
        tempoBpm->setRange(std::max(1, base * kMinTempoPercent / 100), base * kMaxTempoPercent / 100);
    }
    tempoBpm->setEnabled(any);
    {
        const QSignalBlocker quiet(key);
        key->clear();
        int current = 0;
        for (const CDovrelPlinvaraDlg::KeyEntry& entry : window.KeyEntries()) {
            if (entry.key == window.ChosenKey())
                current = key->count();
            key->addItem(QString::fromStdString(entry.text));
        }
        key->setCurrentIndex(current);
        key->setEnabled(any);
    }
    // The melody, and each voice beside it that the shown score draws.
    std::vector<bool> drawn(kVoiceChannelCount, false);
    drawn[kMelodyChannel] = true;
    for (const LaidVoice& voice : window.Score().layout.voices)
        drawn[size_t(std::clamp(static_cast<int>(voice.role), 0, kVoiceChannelCount - 1))] = true;
    for (int channel = 0; channel < kVoiceChannelCount; ++channel)
        voices[size_t(channel)]->setVisible(drawn[size_t(channel)]);
    voicesBox->setEnabled(any);
    ShowState();
    ShowOptions();
    ShowPassage();
    ShowWhere();
}

void PracticePanel::ShowWhere()
{
    pointerMeasure->setText(window.WhereText(window.MeasureUnderPointer()));
    playingMeasure->setText(window.WhereText(window.MeasurePlaying()));
    const QSignalBlocker quiet(screenNumbers);
    screenNumbers->setChecked(window.ScreenMeasureNumbers());
}

void PracticePanel::TakePassage()
{
    const int first = window.Score().measures.first;
    if (!passageOn->isChecked()) {
        window.SetPassage(std::nullopt);
        return;
    }
    const int from = passageFrom->value() - first, to = passageTo->value() - first;
    window.SetPassage(std::pair{size_t(std::max(0, std::min(from, to))), size_t(std::max(0, std::max(from, to)))});
}

void PracticePanel::TakeBeatsPerMinute(int bpm)
{
    if (const int base = SongBeatsPerMinute())
        window.Playback().SetTempoPercent(static_cast<int>(std::lround(bpm * 100.0 / base)));
    ShowOptions(); // the speed taken is on the 5 % steps
}
