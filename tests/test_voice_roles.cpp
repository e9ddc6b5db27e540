// The roles of a file's voices: the dialog that gives them, the window's command that opens it
// again, and the tune's sheets that keep them.

#include "app/CDovrelPlinvaraDlg.h"
#include "controls/CReadOnlySpinBox.h"
#include "import/CVoiceRolesDlg.h"
#include "library/TuneSheetsFile.h"
#include "song/CSongData.h"
#include "tests/support/TestSupport.h"
#include "tests/support/UiTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <gtest/gtest.h>

namespace {

const std::vector<VoiceOffer> kThree = {
    {1, "Flute", "P1", 12, 72, 84},
    {2, "Violin", "P2", 20, 55, 79},
    {3, "Cello", "P3", 16, 36, 60},
};

// Three measures of a tune in G that names its chords.
constexpr const char* kChordTune = "X:1\nT:Chords\nM:4/4\nL:1/4\nK:G\n"
                                   "\"G\"G A B c|\"D\"d c B A|\"G\"G2 B2|]\n";

QComboBox* RoleBox(QWidget* dialog, int row)
{
    return Control<QComboBox>(dialog, VoiceRolesControl::kFirstRole + row);
}

int RoleIndex(VoiceRole role)
{
    return static_cast<int>(role);
}

VoiceChoice Roles(int melody, int second = 0, int acc = 0, bool chords = false)
{
    VoiceChoice c;
    c[VoiceRole::kMelody] = melody;
    c[VoiceRole::kSecond] = second;
    c[VoiceRole::kAccompaniment] = acc;
    c.chordAccompaniment = chords;
    return c;
}

} // namespace

class VoiceRolesTest : public ::testing::Test {
protected:
    SandboxDir sandbox;
    RecordingSink sink;
};

TEST_F(VoiceRolesTest, OpensOnTheMelodyAloneAndListsEveryVoice)
{
    CVoiceRolesDlg dialog(QStringLiteral("パートの選択"), kThree, CVoiceRolesDlg::MelodyAlone(2), false);
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_EQ(labels, (QStringList{QStringLiteral("オクターブ"), QString::fromStdString(VoiceLabel(kThree[0])),
                                   QString::fromStdString(VoiceLabel(kThree[1])),
                                   QString::fromStdString(VoiceLabel(kThree[2]))}));
    QStringList items;
    for (int i = 0; i < RoleBox(&dialog, 0)->count(); ++i)
        items << RoleBox(&dialog, 0)->itemText(i);
    EXPECT_EQ(items, (QStringList{"旋律", "第2声", "第3声", "第4声", "伴奏", "なし"}));
    EXPECT_EQ(RoleBox(&dialog, 0)->currentIndex(), CVoiceRolesDlg::kNoRole);
    EXPECT_EQ(RoleBox(&dialog, 1)->currentIndex(), RoleIndex(VoiceRole::kMelody));
    EXPECT_EQ(RoleBox(&dialog, 2)->currentIndex(), CVoiceRolesDlg::kNoRole);
    EXPECT_EQ(Control(&dialog, VoiceRolesControl::kFromChords), nullptr) << "no chords, no row for them";
    EXPECT_TRUE(Control<QPushButton>(&dialog, VoiceRolesControl::kOk)->isEnabled());
    EXPECT_EQ(dialog.Chosen(), Roles(2));

    // A start state of an earlier choice shows as it was.
    CVoiceRolesDlg again(QStringLiteral("パートの選択"), kThree, Roles(3, 1, 0, true), true);
    EXPECT_EQ(RoleBox(&again, 0)->currentIndex(), RoleIndex(VoiceRole::kSecond));
    EXPECT_EQ(RoleBox(&again, 2)->currentIndex(), RoleIndex(VoiceRole::kMelody));
    EXPECT_TRUE(Control<QCheckBox>(&again, VoiceRolesControl::kFromChords)->isChecked());
    EXPECT_EQ(again.Chosen(), Roles(3, 1, 0, true));
    EXPECT_EQ(sink.Count(), 0u);
}

// Each voice's own octaves stay with its row as its role changes, and the chords' accompaniment
// has a box of its own beside its pattern.
TEST_F(VoiceRolesTest, EachVoiceCarriesItsOwnOctaves)
{
    VoiceChoice start = Roles(1, 0, 0, true);
    start[VoiceRole::kFourth] = 3;
    start.octave[static_cast<size_t>(VoiceRole::kFourth)] = -12;
    start.octave[static_cast<size_t>(VoiceRole::kAccompaniment)] = 24;
    start.chordPattern = ChordPattern::kBroken;
    CVoiceRolesDlg dialog(QStringLiteral("パートの選択"), kThree, start, true);
    auto* cello = Control<QSpinBox>(&dialog, VoiceRolesControl::kFirstOctave + 2);
    auto* chords = Control<QSpinBox>(&dialog, VoiceRolesControl::kChordOctave);
    ASSERT_NE(cello, nullptr);
    ASSERT_NE(chords, nullptr);
    EXPECT_EQ(cello->value(), -1);
    EXPECT_EQ(Control<QSpinBox>(&dialog, VoiceRolesControl::kFirstOctave)->value(), 0);
    EXPECT_EQ(chords->value(), 2);
    EXPECT_EQ(Control<QComboBox>(&dialog, VoiceRolesControl::kChordPattern)->currentText(), QStringLiteral("分散和音"));
    EXPECT_EQ(dialog.Chosen(), start);
    EXPECT_EQ(cello->maximum(), 3);
    EXPECT_EQ(cello->minimum(), -3);

    RoleBox(&dialog, 2)->setCurrentIndex(RoleIndex(VoiceRole::kThird));
    cello->setValue(-2);
    VoiceChoice moved = dialog.Chosen();
    EXPECT_EQ(moved[VoiceRole::kThird], 3);
    EXPECT_EQ(moved.octave[static_cast<size_t>(VoiceRole::kThird)], -24);
    EXPECT_EQ(moved.octave[static_cast<size_t>(VoiceRole::kFourth)], 0) << "the role left with the voice";

    Control<QCheckBox>(&dialog, VoiceRolesControl::kFromChords)->setChecked(false);
    EXPECT_FALSE(chords->isEnabled());
    EXPECT_EQ(dialog.Chosen().octave[static_cast<size_t>(VoiceRole::kAccompaniment)], 0);
}

TEST_F(VoiceRolesTest, ARoleTakenMovesAndTheMelodyMustStay)
{
    CVoiceRolesDlg dialog(QStringLiteral("パートの選択"), kThree, CVoiceRolesDlg::MelodyAlone(1), false);
    auto* ok = Control<QPushButton>(&dialog, VoiceRolesControl::kOk);
    RoleBox(&dialog, 2)->setCurrentIndex(RoleIndex(VoiceRole::kMelody));
    EXPECT_EQ(RoleBox(&dialog, 0)->currentIndex(), CVoiceRolesDlg::kNoRole) << "the melody moved from the flute";
    EXPECT_EQ(dialog.Chosen(), Roles(3));
    RoleBox(&dialog, 0)->setCurrentIndex(RoleIndex(VoiceRole::kSecond));
    RoleBox(&dialog, 1)->setCurrentIndex(RoleIndex(VoiceRole::kSecond));
    EXPECT_EQ(RoleBox(&dialog, 0)->currentIndex(), CVoiceRolesDlg::kNoRole);
    EXPECT_EQ(dialog.Chosen(), Roles(3, 2));
    EXPECT_TRUE(ok->isEnabled());

    RoleBox(&dialog, 1)->setCurrentIndex(RoleIndex(VoiceRole::kMelody));
    EXPECT_EQ(dialog.Chosen(), Roles(2)) << "the second voice became the melody";
    RoleBox(&dialog, 1)->setCurrentIndex(CVoiceRolesDlg::kNoRole);
    EXPECT_FALSE(ok->isEnabled()) << "no melody";
    EXPECT_FALSE(dialog.CanAccept());
    RoleBox(&dialog, 0)->setCurrentIndex(RoleIndex(VoiceRole::kMelody));
    EXPECT_TRUE(ok->isEnabled());
}

TEST_F(VoiceRolesTest, ChordsMakeTheAccompanimentOnlyWhereNoVoicePlaysIt)
{
    CVoiceRolesDlg dialog(QStringLiteral("パートの選択"), kThree, CVoiceRolesDlg::MelodyAlone(1), true);
    auto* chords = Control<QCheckBox>(&dialog, VoiceRolesControl::kFromChords);
    ASSERT_NE(chords, nullptr);
    EXPECT_EQ(chords->text(), QStringLiteral("コードから"));
    EXPECT_FALSE(chords->isChecked()) << "the melody alone by default";
    chords->setChecked(true);
    EXPECT_EQ(dialog.Chosen(), Roles(1, 0, 0, true));
    RoleBox(&dialog, 2)->setCurrentIndex(RoleIndex(VoiceRole::kAccompaniment));
    EXPECT_FALSE(chords->isEnabled());
    EXPECT_EQ(dialog.Chosen(), Roles(1, 0, 3, false)) << "the cello accompanies, not the chords";
    RoleBox(&dialog, 2)->setCurrentIndex(CVoiceRolesDlg::kNoRole);
    EXPECT_TRUE(chords->isEnabled());
    EXPECT_EQ(dialog.Chosen(), Roles(1, 0, 0, true));

    // A song file or a tune of one voice: the chords alone, and OK needs no melody row.
    CVoiceRolesDlg chordsOnly(QStringLiteral("パートの選択"), {}, VoiceChoice{}, true);
    EXPECT_TRUE(Control<QPushButton>(&chordsOnly, VoiceRolesControl::kOk)->isEnabled());
    const QList<QComboBox*> boxes = chordsOnly.findChildren<QComboBox*>();
    ASSERT_EQ(boxes.size(), 1) << "the chords' pattern alone";
    EXPECT_EQ(boxes.front(), Control<QComboBox>(&chordsOnly, VoiceRolesControl::kChordPattern));
    EXPECT_EQ(boxes.front()->itemText(boxes.front()->currentIndex()), QStringLiteral("根音と5度"));
}

TEST_F(VoiceRolesTest, OkGivesTheChoiceAndCancelNone)
{
    QString title;
    WhenModalOpens([&](QWidget* modal) {
        title = modal->windowTitle();
        RoleBox(modal, 0)->setCurrentIndex(RoleIndex(VoiceRole::kFourth));
        Control<QPushButton>(modal, VoiceRolesControl::kOk)->click();
    });
    const std::optional<VoiceChoice> chosen = CVoiceRolesDlg::Ask("パートの選択", kThree, 2, false);
    EXPECT_EQ(title, QStringLiteral("パートの選択"));
    VoiceChoice expected = Roles(2);
    expected[VoiceRole::kFourth] = 1;
    EXPECT_EQ(chosen, expected);

    WhenModalOpens([](QWidget* modal) { Control<QPushButton>(modal, VoiceRolesControl::kCancel)->click(); });
    EXPECT_EQ(CVoiceRolesDlg::Ask("パートの選択", kThree, 2, false), std::nullopt);

    // A melody rule that names no voice offered still opens with a melody, so OK is possible.
    bool okEnabled = false;
    WhenModalOpens([&](QWidget* modal) {
        okEnabled = Control<QPushButton>(modal, VoiceRolesControl::kOk)->isEnabled();
        Control<QPushButton>(modal, VoiceRolesControl::kOk)->click();
    });
    EXPECT_EQ(CVoiceRolesDlg::Ask("パートの選択", kThree, 0, false), Roles(1));
    EXPECT_TRUE(okEnabled);
}

// The window's command opens the roles again from what is drawn, keeps the measures and the key,
// and the tune's sheet keeps the voices for the next time.
TEST_F(VoiceRolesTest, WindowDrawsTheChosenVoicesAndTheSheetKeepsThem)
{
    const std::string tune = sandbox.Path("chords.abc");
    const std::string text = kChordTune;
    WriteFileBytes(tune, std::vector<uint8_t>(text.begin(), text.end()));
    {
        CDovrelPlinvaraDlg window;
        window.show();
        window.LoadSong(tune);
        ASSERT_NE(window.Song(), nullptr);
        EXPECT_TRUE((window.Song()->voices.size() == 1)) << "the melody alone on opening";
        bool offered = false;
        WhenPopupOpens([&](QWidget* popup) {
            for (QAction* action : static_cast<QMenu*>(popup)->actions())
                if (action->text() == QStringLiteral("パートの選択(&R)..."))
                    offered = action->isEnabled();
            popup->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(50, 50), window.mapToGlobal(QPoint(50, 50)));
        QApplication::sendEvent(&window, &event);
        EXPECT_TRUE(offered);

        window.ChooseKey(2);
        Control<CReadOnlySpinBox>(&window, MainControl::kStartSpin)->setValue(2);
        const int firstPitch = window.Score().layout.notes.front().pitch;
        bool startChecked = true;
        WhenModalOpens([&](QWidget* modal) {
            auto* chords = Control<QCheckBox>(modal, VoiceRolesControl::kFromChords);
            startChecked = chords->isChecked();
            chords->setChecked(true);
            Control<QPushButton>(modal, VoiceRolesControl::kOk)->click();
        });
        window.ChooseVoices();
        EXPECT_FALSE(startChecked);
        ASSERT_EQ(window.Song()->voices.size(), 2u);
        EXPECT_EQ(window.Song()->voices[1].role, VoiceRole::kAccompaniment);
        EXPECT_TRUE(window.DrawnVoices().chordAccompaniment);
        EXPECT_EQ(window.ChosenKey(), KeyChoice(2));
        EXPECT_EQ(window.Score().measures.first, 2);
        EXPECT_EQ(window.Score().layout.notes.front().pitch, firstPitch) << "the melody as it was";
        EXPECT_FALSE(window.Score().layout.voices.empty());

        WhenModalOpens([&](QWidget* modal) {
            startChecked = Control<QCheckBox>(modal, VoiceRolesControl::kFromChords)->isChecked();
            Control<QPushButton>(modal, VoiceRolesControl::kCancel)->click();
        });
        window.ChooseVoices();
        EXPECT_TRUE(startChecked) << "opened on what is drawn";
        EXPECT_EQ(window.Song()->voices.size(), 2u) << "cancel keeps it";
        ASSERT_TRUE(window.SaveTuneSheet("伴奏つき"));
    }
    const std::vector<uint8_t> ini = ReadFileBytes(TuneSheetsPath(tune));
    const std::string iniText(ini.begin(), ini.end());
    EXPECT_NE(iniText.find("\nvoices=melody:"), std::string::npos) << iniText;
    EXPECT_NE(iniText.find(",acc:chords\n"), std::string::npos) << iniText;

    CDovrelPlinvaraDlg window;
    window.LoadSong(tune);
    ASSERT_NE(window.Song(), nullptr);
    EXPECT_EQ(window.Song()->voices.size(), 2u) << "the sheet brings its accompaniment";
    EXPECT_EQ(window.Score().measures.first, 2);
    const int transposition = window.Score().transposition;

    // Each sheet shows the voices it was saved with.
    WhenModalOpens([](QWidget* modal) {
        Control<QCheckBox>(modal, VoiceRolesControl::kFromChords)->setChecked(false);
        Control<QPushButton>(modal, VoiceRolesControl::kOk)->click();
    });
    window.ChooseVoices();
    EXPECT_TRUE((window.Song()->voices.size() == 1));
    ASSERT_TRUE(window.SaveTuneSheet("旋律だけ"));
    window.UseTuneSheet("伴奏つき");
    EXPECT_EQ(window.Song()->voices.size(), 2u);
    EXPECT_EQ(window.Score().transposition, transposition) << "read anew, moved to the sheet's key once";
    window.UseTuneSheet("旋律だけ");
    EXPECT_TRUE((window.Song()->voices.size() == 1));
    EXPECT_EQ(window.Score().transposition, transposition);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(VoiceRolesTest, SheetsKeepTheVoicesAndPassOverABadValue)
{
    TuneSheets sheets;
    TuneSheet a;
    a.name = "二重奏";
    VoiceChoice duet = Roles(1, 3);
    duet[VoiceRole::kFourth] = 12;
    duet.chordAccompaniment = true;
    a.voices = duet;
    sheets.Put(a);
    TuneSheet b;
    b.name = "旋律だけ";
    sheets.Put(b);
    const std::string text = TuneSheetsText(sheets);
    EXPECT_NE(text.find("\nvoices=melody:1,2:3,4:12,acc:chords\n"), std::string::npos) << text;
    TuneSheets back;
    ASSERT_TRUE(ParseTuneSheets(text, back));
    EXPECT_EQ(back.sheets, sheets.sheets);
    EXPECT_EQ(back.sheets[1].voices, std::nullopt) << "no line, no choice: the voices stay as they are";

    for (const char* hostile : {"melody:1,melody:2", "melody:1,2:1", "acc:chords,acc:2", "melody:x", "melody:-1",
                                "melody:99999999999", "5:1", "melody:1,,2:2", "melody:1,", "melody", "2:chords",
                                "melody:1 ,2:2x", ""}) {
        TuneSheets read;
        ASSERT_TRUE(ParseTuneSheets(std::string("[sheet]\nname=a\nvoices=") + hostile + "\nkey=+3\n", read))
            << hostile;
        ASSERT_EQ(read.sheets.size(), 1u);
        EXPECT_EQ(read.sheets[0].voices, std::nullopt) << hostile;
        EXPECT_EQ(read.sheets[0].key, KeyChoice(3)) << "the rest is read: " << hostile;
    }
    TuneSheets read;
    ASSERT_TRUE(ParseTuneSheets("[sheet]\nname=a\nvoices= acc:2 , melody:4 \n", read));
    EXPECT_EQ(read.sheets[0].voices, Roles(4, 0, 2));

    // The pattern and the octaves come back; bad ones leave the voices as they are.
    VoiceChoice shaped = Roles(1, 0, 0, true);
    shaped.chordPattern = ChordPattern::kBassChord;
    shaped[VoiceRole::kFourth] = 2;
    shaped.octave[static_cast<size_t>(VoiceRole::kFourth)] = -12;
    shaped.octave[static_cast<size_t>(VoiceRole::kAccompaniment)] = 12;
    EXPECT_EQ(SheetVoicesText(shaped), "melody:1,4:2@-12,acc:chords:bass-chord@12");
    EXPECT_EQ(ParseSheetVoices(SheetVoicesText(shaped)), shaped);
    for (const char* hostile : {"melody:1,acc:chords:waltz", "melody:1,4:2@-7", "melody:1,4:2@48", "melody:1,4:2@",
                                "melody:1@x", "melody:1,acc:chords:"})
        EXPECT_EQ(ParseSheetVoices(hostile), std::nullopt) << hostile;
}
