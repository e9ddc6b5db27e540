#include "app/CDovrelPlinvaraDlg.h"
#include "controls/COffScreenControl.h"
#include "controls/CReadOnlySpinBox.h"
#include "render/CScorePicture.h"
#include "settings/CConfigDlg.h"
#include "settings/ConfigRecord.h"
#include "settings/HarpPresets.h"
#include "settings/SheetSettings.h"
#include "settings/Tuning.h"
#include "controls/DialogUnits.h"
#include "song/CSongFileWriter.h"
#include "tests/support/TestSupport.h"
#include "tests/support/UiTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>

using namespace ConfigControl;

namespace {

const std::string kRepeatTune = "X:1\nT:Repeat\nM:4/4\nL:1/4\nK:C\n|: C D E F |1 G A B c :|2 c B A G |]\n";

} // namespace

class SettingsDialogTest : public ::testing::Test {
protected:
    // Opens the dialog on the record, runs `act` inside it, and leaves it as `act` does.
    void RunDialog(const std::function<void(QWidget*)>& act)
    {
        CConfigDlg dialog;
        dialog.SetSettings(&record);
        dialog.SetSheetSettings(&sheet);
        WhenModalOpens(act);
        dialog.exec();
    }
    static CReadOnlySpinBox* Spin(QWidget* d, int id) { return Control<CReadOnlySpinBox>(d, id); }
    static QComboBox* Combo(QWidget* d, int id) { return Control<QComboBox>(d, id); }
    static void PressClose(QWidget* d) { Click(Control(d, kClose), QPoint(40, 15)); }

    SandboxDir sandbox;
    RecordingSink sink;
    ConfigRecord record = DefaultConfigRecord();
    SheetSettings sheet;
};

TEST_F(SettingsDialogTest, ShowsTheRecord)
{
    RunDialog([](QWidget* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("設定"));
        EXPECT_EQ(Control<QLineEdit>(d, kStringsEdit)->text(), QStringLiteral("25"));
        EXPECT_EQ(Combo(d, kLowestNote)->currentText(), QStringLiteral("G"));
        EXPECT_EQ(Combo(d, kLowestNote)->count(), 17);
        EXPECT_EQ(Combo(d, kLowestNote)->itemText(Combo(d, kLowestNote)->findData(48)), QStringLiteral("C"));
        EXPECT_EQ(Control<QLineEdit>(d, kSpacingEdit)->text(), QStringLiteral("32"));
        EXPECT_EQ(Control<QLineEdit>(d, kVerticalEdit)->text(), QStringLiteral("830"));
        EXPECT_EQ(Control<QLineEdit>(d, kLeftEdit)->text(), QStringLiteral("10"));
        EXPECT_EQ(Combo(d, kZoom)->currentText(), QStringLiteral("0.5"));
        EXPECT_TRUE(Control<QLineEdit>(d, kSpacingEdit)->isReadOnly());
        EXPECT_EQ(Control(d, kClose)->geometry(), QRect(250, 220, 88, 30));
        d->close();
    });
    EXPECT_EQ(CConfigDlg::CloseButtonTop(9, 120), 270);
    EXPECT_EQ(CConfigDlg::CloseButtonTop(9, 96), 220);
    EXPECT_EQ(CConfigDlg::CloseButtonTop(8, 120), 220);
}

TEST_F(SettingsDialogTest, StringCountAndLowestNoteGoIntoTheRecordAtOnce)
{
    RunDialog([this](QWidget* d) {
        Spin(d, kStringsSpin)->stepUp();
        EXPECT_EQ(record.stringCount, 26);
        EXPECT_EQ(record.stringNotes[25], 55 + 25);
        Spin(d, kStringsSpin)->stepDown();
        Spin(d, kStringsSpin)->stepDown();
        EXPECT_EQ(record.stringCount, 24);
        EXPECT_EQ(record.stringNotes[24], 79) << "entries past the count stay";
        EXPECT_EQ(record.stringNotes[25], 80);
        Spin(d, kStringsSpin)->stepUp();
        Combo(d, kLowestNote)->setCurrentIndex(Combo(d, kLowestNote)->findData(48)); // "C"
        EXPECT_EQ(record.lowestNote, 48);
        for (int i = 0; i < 25; ++i)
            EXPECT_EQ(record.stringNotes[i], 48 + i);
        d->close();
    });
    EXPECT_EQ(record.stringCount, 25);
    EXPECT_EQ(record.lowestNote, 48);
}

TEST_F(SettingsDialogTest, RangesHoldAtBothEndsAndTheLeftEdgeUpArrowLowers)
{
    RunDialog([](QWidget* d) {
        struct Range {
            int id, lo, hi;
        };
        for (const Range& r : {Range{kStringsSpin, 5, 37}, Range{kSpacingSpin, 4, 36}, Range{kVerticalSpin, 100, 2000}}) {
            CReadOnlySpinBox* s = Spin(d, r.id);
            s->setValue(r.lo);
            s->stepDown();
            EXPECT_EQ(s->value(), r.lo);
            s->setValue(r.hi);
            s->stepUp();
            EXPECT_EQ(s->value(), r.hi);
        }
        CReadOnlySpinBox* left = Spin(d, kLeftSpin);
        QTest::keyClick(left, Qt::Key_Up);
        EXPECT_EQ(left->value(), 9);
        QTest::keyClick(left, Qt::Key_Down);
        QTest::keyClick(left, Qt::Key_Down);
        EXPECT_EQ(left->value(), 11);
        left->setValue(0);
        QTest::keyClick(left, Qt::Key_Up);
        EXPECT_EQ(left->value(), 0);
        left->setValue(100);
        QTest::keyClick(left, Qt::Key_Down);
        EXPECT_EQ(left->value(), 100);
        d->close();
    });
}

TEST_F(SettingsDialogTest, OtherValuesAreStoredOnlyByTheCloseButton)
{
    RunDialog([](QWidget* d) {
        Spin(d, kSpacingSpin)->setValue(20);
        Combo(d, kZoom)->setCurrentIndex(0);
        d->close(); // the close box
    });
    EXPECT_EQ(record.lineSpacing, 32);
    EXPECT_EQ(record.displayZoom, 0.5);

    RunDialog([](QWidget* d) {
        Spin(d, kSpacingSpin)->setValue(20);
        Spin(d, kVerticalSpin)->setValue(600);
        Spin(d, kLeftSpin)->setValue(3);
        Combo(d, kZoom)->setCurrentIndex(0);
        PressClose(d);
    });
    EXPECT_EQ(record.lineSpacing, 20);
    EXPECT_EQ(record.verticalSize, 600);
    EXPECT_EQ(record.leftAdjust, 3);
    EXPECT_EQ(record.displayZoom, 1.0);
}

TEST_F(SettingsDialogTest, EnterEndsTheDialogWithoutTheCloseAction)
{
    RunDialog([](QWidget* d) {
        Spin(d, kSpacingSpin)->setValue(20);
        QTest::keyClick(Control(d, kSpacingEdit), Qt::Key_Return);
        if (d->isVisible()) {
            ADD_FAILURE() << "Enter did not end the dialog";
            d->close();
        }
    });
    EXPECT_EQ(record.lineSpacing, 32);
}

TEST_F(SettingsDialogTest, TheLowCloseButtonOfLargeFontsStaysInsideTheDialog)
{
    CConfigDlg::OverrideScreenMetrics(9, 120);
    RunDialog([](QWidget* d) {
        const QRect button = Control(d, kClose)->geometry();
        EXPECT_EQ(button.top(), 270);
        EXPECT_TRUE(d->rect().contains(button)) << "dialog height " << d->height();
        EXPECT_EQ(d->width(), 528) << "only the height grows";
        d->close();
    });
    CConfigDlg::OverrideScreenMetrics(0, 0);
    RunDialog([](QWidget* d) {
        EXPECT_EQ(d->height(), DluToPixels(189)) << "the template's height, a row taller for the colours";
        d->close();
    });
}

TEST_F(SettingsDialogTest, ValuesWithoutAComboEntryAreKept)
{
    record.lowestNote = 60;
    record.displayZoom = 0.75;
    RunDialog([](QWidget* d) {
        EXPECT_EQ(Combo(d, kLowestNote)->currentIndex(), -1);
        EXPECT_EQ(Combo(d, kZoom)->currentIndex(), -1);
        PressClose(d);
    });
    EXPECT_EQ(record.lowestNote, 60);
    EXPECT_EQ(record.displayZoom, 0.75);
}

// A score drawn once keeps its jump lines and marks on the screen when the settings close.
TEST_F(SettingsDialogTest, TheScoreDrawnOnceStaysAfterTheSettings)
{
    const std::string song = sandbox.Path("repeat.abc");
    WriteFileBytes(song, std::vector<uint8_t>(kRepeatTune.begin(), kRepeatTune.end()));
    CDovrelPlinvaraDlg window;
    window.show();
    window.LoadSong(song);
    const QImage before = CScorePicture::Surface(0)->copy();
    WhenModalOpens([](QWidget* d) { d->close(); });
    window.RunCommand(MainCommand::kSettings);
    EXPECT_EQ(sink.Count(), 0u);
    EXPECT_EQ(*CScorePicture::Surface(0), before);
}

// The screen and the print follow the settings as the dialog closes, together; nothing is
// said and nothing waits for a restart.
TEST_F(SettingsDialogTest, SettingsReachTheScreenAndThePrintAtOnce)
{
    {
        CDovrelPlinvaraDlg window;
        window.show();
        WhenModalOpens([](QWidget* d) { d->close(); });
        window.RunCommand(MainCommand::kSettings);
        EXPECT_EQ(sink.Count(), 0u);

        WhenModalOpens([](QWidget* d) {
            Spin(d, kStringsSpin)->setValue(30);
            Spin(d, kSpacingSpin)->setValue(28);
            Combo(d, kLowestNote)->setCurrentIndex(Combo(d, kLowestNote)->findText(QStringLiteral("D"))); // 50
            PressClose(d);
        });
        window.RunCommand(MainCommand::kSettings);
        EXPECT_EQ(sink.Count(), 0u);
        const QImage& score = *CScorePicture::Surface(0);
        EXPECT_EQ(score.size(), QSize(31 * 28, 830)) << "the picture takes the new harp's width";
        EXPECT_TRUE(IsBlack(score.pixel(30 * 28 - 10, 400))) << "string 30 is drawn";
        EXPECT_TRUE(IsWhite(score.pixel(32 - 10, 400))) << "at the new spacing";
        EXPECT_EQ(window.ButtonColumn(), static_cast<int>(31 * 28 * 0.5 + 20));
        EXPECT_EQ(Control(&window, MainControl::kPrint)->x(), window.ButtonColumn()) << "the buttons move with it";
        EXPECT_EQ(window.Score().frame.stringCount, 30);
        EXPECT_EQ(window.Settings().stringCount, 30);
    }
    // A new start finds the settings and lays itself out from them.
    CDovrelPlinvaraDlg again;
    EXPECT_EQ(again.Settings().stringCount, 30);
    EXPECT_EQ(again.Settings().lineSpacing, 28);
    EXPECT_EQ(again.Settings().lowestNote, 50);
    EXPECT_EQ(again.Settings().stringNotes[29], 79);
    EXPECT_EQ(CScorePicture::Surface(0)->width(), 31 * 28);
    EXPECT_EQ(again.ButtonColumn(), static_cast<int>(31 * 28 * 0.5 + 20));
}

TEST_F(SettingsDialogTest, TuningIsRecognisedFromTheStoredTable)
{
    for (const TuningName& t : kTuningNames) {
        record.lowestNote = LowestNoteInTuning(t.tuning, 55);
        FillStringNotes(record, t.tuning);
        RunDialog([&](QWidget* d) {
            EXPECT_EQ(Combo(d, kTuning)->currentText(), QString::fromUtf8(t.dialogText));
            EXPECT_EQ(Combo(d, kTuning)->count(), 6) << "no \"その他\" for a known tuning";
            d->close();
        });
    }
    // A hand-made table is shown as such and kept while nothing is changed.
    record = DefaultConfigRecord();
    record.stringNotes[3] = 40;
    const ConfigRecord handMade = record;
    RunDialog([](QWidget* d) {
        EXPECT_EQ(Combo(d, kTuning)->currentText(), QStringLiteral("その他"));
        EXPECT_EQ(Combo(d, kLowestNote)->count(), 17);
        EXPECT_EQ(Control(d, kLowestNote)->geometry(), DluRect(81, 40, 34, 14)) << "the old controls keep their place";
        Spin(d, kSpacingSpin)->setValue(20);
        PressClose(d);
    });
    EXPECT_EQ(record.stringNotes, handMade.stringNotes);
    // Changing the count rewrites it as the chromatic table.
    RunDialog([](QWidget* d) {
        Spin(d, kStringsSpin)->stepDown();
        EXPECT_EQ(Combo(d, kTuning)->currentText(), QStringLiteral("半音階"));
        d->close();
    });
    EXPECT_EQ(record.stringNotes[3], 58);
}

TEST_F(SettingsDialogTest, ATuningOffersItsScaleNotesAndMovesTheLowestNoteUp)
{
    record.lowestNote = 54; // F#
    FillStringNotes(record);
    RunDialog([this](QWidget* d) {
        QComboBox* tuning = Combo(d, kTuning);
        tuning->setCurrentIndex(tuning->findText(QStringLiteral("全音階 ハ長調")));
        EXPECT_EQ(record.lowestNote, 55) << "F# is not in C major: the nearest above, G";
        EXPECT_EQ(record.stringNotes[1], 57);
        EXPECT_EQ(record.stringNotes[24], 96) << "the table is written at once";
        QStringList names;
        for (int i = 0; i < Combo(d, kLowestNote)->count(); ++i)
            names << Combo(d, kLowestNote)->itemText(i);
        EXPECT_EQ(names, QStringList({"G2", "A2", "B2", "C", "D", "E", "F", "G", "A", "B"}));
        EXPECT_EQ(Combo(d, kLowestNote)->currentText(), QStringLiteral("G"));

        tuning->setCurrentIndex(tuning->findText(QStringLiteral("全音階 ヘ長調")));
        EXPECT_EQ(record.lowestNote, 55) << "G is in F major";
        Combo(d, kLowestNote)->setCurrentIndex(Combo(d, kLowestNote)->findText(QStringLiteral("A#")));
        EXPECT_EQ(record.lowestNote, 58);
        EXPECT_EQ(record.stringNotes[1], 60);
        Spin(d, kStringsSpin)->setValue(15);
        EXPECT_EQ(record.stringNotes[14], 82) << "fifteen strings from Bb3 end on Bb5";
        d->close();
    });
    EXPECT_EQ(RecogniseTuning(record), Tuning::FMajor);
}

TEST_F(SettingsDialogTest, TheTuningSurvivesExitAndRestart)
{
    {
        CDovrelPlinvaraDlg window;
        WhenModalOpens([](QWidget* d) {
            Combo(d, kTuning)->setCurrentIndex(Combo(d, kTuning)->findText(QStringLiteral("全音階 ト長調")));
            d->close();
        });
        window.RunCommand(MainCommand::kSettings);
        sink.Take();
    }
    CDovrelPlinvaraDlg again;
    EXPECT_EQ(RecogniseTuning(again.Settings()), Tuning::GMajor);
    EXPECT_EQ(again.Score().frame.stringPitches[1], 57) << "the score's strings are the scale's from the start";
    QString shown;
    WhenModalOpens([&](QWidget* d) {
        shown = Combo(d, kTuning)->currentText();
        d->close();
    });
    again.RunCommand(MainCommand::kSettings);
    EXPECT_EQ(shown, QStringLiteral("全音階 ト長調"));
}

TEST_F(SettingsDialogTest, AHarpFillsStringsLowestNoteTuningAndPaperSpacingAtOnce)
{
    RunDialog([this](QWidget* d) {
        QComboBox* harp = Combo(d, kHarp);
        harp->setCurrentIndex(harp->findText(QStringLiteral("15弦 ト長調 (G3–G5)")));
        EXPECT_EQ(record.stringCount, 15);
        EXPECT_EQ(record.lowestNote, 55);
        EXPECT_EQ(record.stringNotes[1], 57);
        EXPECT_EQ(record.stringNotes[14], 79) << "fifteen G-major strings end on G5";
        EXPECT_EQ(sheet.spacing, PaperSpacing::TenthsMm(145));
        EXPECT_EQ(Control<QLineEdit>(d, kStringsEdit)->text(), QStringLiteral("15"));
        EXPECT_EQ(Combo(d, kTuning)->currentText(), QStringLiteral("全音階 ト長調"));
        EXPECT_EQ(Combo(d, kLowestNote)->currentText(), QStringLiteral("G"));
        EXPECT_EQ(Control<QDoubleSpinBox>(d, kPaperSpacing)->text(), QStringLiteral("14.5 mm"));

        harp->setCurrentIndex(harp->findText(QStringLiteral("37弦 (G2–G5)")));
        EXPECT_EQ(record.stringCount, 37);
        EXPECT_EQ(record.lowestNote, 43);
        EXPECT_EQ(record.stringNotes[36], 79);
        EXPECT_EQ(RecogniseTuning(record), Tuning::Chromatic);
        EXPECT_EQ(sheet.spacing, PaperSpacing::TenthsMm(115));
        EXPECT_EQ(Combo(d, kLowestNote)->currentText(), QStringLiteral("G2"));
        EXPECT_EQ(Combo(d, kTuning)->currentText(), QStringLiteral("半音階"));
        EXPECT_EQ(harp->currentText(), QStringLiteral("37弦 (G2–G5)")) << "filling the controls keeps the choice";
        d->close();
    });
    EXPECT_EQ(RecogniseHarpPreset(record), &kHarpPresets[0]);
}

TEST_F(SettingsDialogTest, TheHarpShownIsTheOneTheRecordHolds)
{
    RunDialog([](QWidget* d) {
        EXPECT_EQ(Combo(d, kHarp)->currentText(), QStringLiteral("25弦 (G3–G5)")) << "the default harp";
        Spin(d, kStringsSpin)->stepDown();
        EXPECT_EQ(Combo(d, kHarp)->currentText(), QStringLiteral("その他"));
        Combo(d, kLowestNote)->setCurrentIndex(Combo(d, kLowestNote)->findData(57));
        Spin(d, kStringsSpin)->setValue(21);
        EXPECT_EQ(Combo(d, kHarp)->currentText(), QStringLiteral("21弦 (A3–F5)")) << "reached by hand";
        Combo(d, kTuning)->setCurrentIndex(Combo(d, kTuning)->findText(QStringLiteral("全音階 ハ長調")));
        EXPECT_EQ(Combo(d, kHarp)->currentText(), QStringLiteral("その他"));
        d->close();
    });

    // A diatonic preset is recognised on opening too, and a hand-made table is not a preset.
    ApplyHarpPreset(kHarpPresets[4], record);
    RunDialog([](QWidget* d) {
        EXPECT_EQ(Combo(d, kHarp)->currentText(), QStringLiteral("15弦 ト長調 (G3–G5)"));
        d->close();
    });
    record = DefaultConfigRecord();
    record.stringNotes[3] = 40;
    RunDialog([this](QWidget* d) {
        EXPECT_EQ(Combo(d, kHarp)->currentText(), QStringLiteral("その他"));
        Combo(d, kHarp)->setCurrentIndex(Combo(d, kHarp)->findText(QStringLiteral("その他")));
        EXPECT_EQ(record.stringNotes[3], 40) << "choosing その他 changes nothing";
        d->close();
    });
}

TEST_F(SettingsDialogTest, PaperSpacingStepsFromFitToTheRangeAndIsWrittenAtOnce)
{
    RunDialog([this](QWidget* d) {
        auto* spin = Control<QDoubleSpinBox>(d, kPaperSpacing);
        EXPECT_EQ(spin->text(), QStringLiteral("用紙に合わせる"));
        EXPECT_FALSE(spin->findChild<QLineEdit*>()->isReadOnly()) << "the spacing can be typed";
        spin->stepDown();
        EXPECT_EQ(sheet.spacing, PaperSpacing::FitToPaper());
        spin->stepUp();
        EXPECT_EQ(spin->text(), QStringLiteral("5.0 mm"));
        EXPECT_EQ(sheet.spacing, PaperSpacing::TenthsMm(50));
        spin->setValue(19.9);
        spin->stepUp();
        spin->stepUp();
        EXPECT_EQ(sheet.spacing, PaperSpacing::TenthsMm(200));
        spin->setValue(11.5);
        d->close(); // like the harp it sets, the spacing is not waiting for the close button
    });
    EXPECT_EQ(sheet.spacing, PaperSpacing::TenthsMm(115));

    sheet.spacing = PaperSpacing::TenthsMm(145);
    RunDialog([](QWidget* d) {
        EXPECT_EQ(Control<QDoubleSpinBox>(d, kPaperSpacing)->text(), QStringLiteral("14.5 mm"));
        d->close();
    });
}

// A player types the spacing instead of stepping 66 times from 用紙に合わせる to 11.5 mm, within
// the same bounds, and picks the paper the sheet goes on without a printer.
TEST_F(SettingsDialogTest, PaperSpacingIsTypedAndThePaperChosen)
{
    RunDialog([this](QWidget* d) {
        auto* spin = Control<QDoubleSpinBox>(d, kPaperSpacing);
        QLineEdit* edit = spin->findChild<QLineEdit*>();
        // Typed into the focused field, then left by Tab, which takes what was typed: both need
        // the focus truly there, not only asked for.
        const auto type = [&](const QString& text) {
            ASSERT_TRUE(GiveFocus(spin));
            edit->selectAll();
            QTest::keyClicks(edit, text);
            QTest::keyClick(edit, Qt::Key_Tab);
            ASSERT_TRUE(WaitForState([&] { return !spin->hasFocus(); })) << "Tab leaves the field";
        };
        type(QStringLiteral("11.5"));
        EXPECT_EQ(sheet.spacing, PaperSpacing::TenthsMm(115));
        type(QStringLiteral("25"));
        EXPECT_EQ(sheet.spacing, PaperSpacing::TenthsMm(115)) << "beyond 20 mm is not taken";
        type(QStringLiteral("7"));
        EXPECT_EQ(sheet.spacing, PaperSpacing::TenthsMm(70));
        QComboBox* paper = Combo(d, kPaper);
        ASSERT_NE(paper, nullptr);
        EXPECT_EQ(paper->currentText(), QStringLiteral("A3"));
        EXPECT_EQ(paper->count(), 4);
        EXPECT_GE(paper->width(), paper->sizeHint().width()) << "every paper's name is whole";
        paper->setCurrentIndex(paper->findText(QStringLiteral("Letter")));
        EXPECT_EQ(sheet.paper, PaperChoice::kLetter);
        d->close();
    });
    RunDialog([](QWidget* d) {
        EXPECT_EQ(Combo(d, kPaper)->currentText(), QStringLiteral("Letter"));
        d->close();
    });
}

TEST_F(SettingsDialogTest, TheSheetSwitchesShowTheirSettingsAndWriteThemAtOnce)
{
    RunDialog([this](QWidget* d) {
        auto* lyrics = Control<QCheckBox>(d, kLyrics);
        auto* chords = Control<QCheckBox>(d, kChords);
        auto* numbers = Control<QCheckBox>(d, kMeasureNumbers);
        auto* counts = Control<QCheckBox>(d, kCounts);
        auto* colour = Control<QCheckBox>(d, kColourVoices);
        ASSERT_TRUE(lyrics && chords && numbers && counts && colour);
        EXPECT_EQ(colour->text(), QStringLiteral("色分け"));
        EXPECT_FALSE(colour->isChecked()) << "black on paper by default";
        EXPECT_EQ(counts->text(), QStringLiteral("カウント"));
        EXPECT_FALSE(counts->isChecked()) << "off by default";
        EXPECT_EQ(lyrics->text(), QStringLiteral("歌詞"));
        EXPECT_EQ(chords->text(), QStringLiteral("コード"));
        EXPECT_EQ(numbers->text(), QStringLiteral("小節番号"));
        EXPECT_TRUE(lyrics->isChecked() && !chords->isChecked() && numbers->isChecked()) << "the defaults";
        // Inside the dialog, left of the close button, overlapping no other control.
        for (QCheckBox* box : {lyrics, chords, numbers, counts, colour}) {
            EXPECT_TRUE(d->rect().contains(box->geometry())) << box->text().toStdString();
            for (QWidget* other : d->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (other != box && other->isVisible() && qobject_cast<QCheckBox*>(other)) {
                    EXPECT_FALSE(box->geometry().intersects(other->geometry()));
                }
            }
            EXPECT_FALSE(box->geometry().intersects(Control(d, kClose)->geometry()));
        }
        // The repeats' choice shares the second row, clear of every other control.
        auto* repeats = Control<QComboBox>(d, kRepeats);
        ASSERT_TRUE(repeats);
        ASSERT_EQ(repeats->count(), 2);
        EXPECT_EQ(repeats->itemText(0), QStringLiteral("線で示す"));
        EXPECT_EQ(repeats->itemText(1), QStringLiteral("展開する"));
        EXPECT_EQ(repeats->currentIndex(), 0) << "lines by default";
        EXPECT_TRUE(d->rect().contains(repeats->geometry()));
        for (QWidget* other : d->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (other != repeats && other->isVisible() && !qobject_cast<QGroupBox*>(other)) {
                EXPECT_FALSE(repeats->geometry().intersects(other->geometry())) << other->objectName().toStdString();
            }
        chords->click();
        lyrics->click();
        counts->click();
        colour->click();
        repeats->setCurrentIndex(1);
        d->close(); // like the spacing, the switches do not wait for the close button
    });
    EXPECT_EQ(sheet.repeats, RepeatDrawing::kWrittenOut);
    EXPECT_FALSE(sheet.shown.words);
    EXPECT_TRUE(sheet.shown.counts);
    EXPECT_TRUE(sheet.shown.chords);
    EXPECT_TRUE(sheet.shown.measures);
    EXPECT_TRUE(sheet.colourVoices);

    sheet.shown.measures = false;
    RunDialog([](QWidget* d) {
        EXPECT_FALSE(Control<QCheckBox>(d, kMeasureNumbers)->isChecked());
        EXPECT_TRUE(Control<QCheckBox>(d, kColourVoices)->isChecked());
        d->close();
    });
}

TEST_F(SettingsDialogTest, TheLowestNoteReachesG2AndNamesItsOctaveBelowC)
{
    RunDialog([](QWidget* d) {
        QComboBox* lowest = Combo(d, kLowestNote);
        EXPECT_EQ(lowest->itemText(0), QStringLiteral("G2"));
        EXPECT_EQ(lowest->itemData(0).toInt(), 43);
        QStringList names;
        for (int i = 0; i < 6; ++i)
            names << lowest->itemText(i);
        EXPECT_EQ(names, QStringList({"G2", "G#2", "A2", "A#2", "B2", "C"}));
        d->close();
    });
}

TEST_F(SettingsDialogTest, TheNewControlsLeaveEveryOldControlInItsPlace)
{
    RunDialog([](QWidget* d) {
        const auto valueBox = [](int x, int y, int w, int h, int spin) {
            const QRect edit = DluRect(x, y, w, h);
            return QRect(edit.x(), edit.y(), edit.width() + DluToPixels(spin), edit.height());
        };
        struct Place {
            int id;
            QRect rect;
        };
        const Place old[] = {
            {kStringsSpin, valueBox(79, 19, 37, 15, 10)}, {kLowestNote, DluRect(81, 40, 34, 14)},
            {kTuning, DluRect(190, 40, 80, 14)},          {kSpacingSpin, valueBox(79, 95, 37, 15, 10)},
            {kLeftSpin, valueBox(190, 94, 37, 15, 11)},   {kVerticalSpin, valueBox(298, 93, 37, 15, 11)},
            {kZoom, DluRect(84, 118, 41, 14)},            {kClose, QRect(250, 220, 88, 30)},
        };
        for (const Place& p : old)
            EXPECT_EQ(Control(d, p.id)->geometry(), p.rect) << "control " << p.id;
        EXPECT_EQ(d->size(), QSize(DluToPixels(352), DluToPixels(189))) << "a row taller for the sheet's colours";

        // The new controls and their labels lie inside and overlap nothing else.
        QList<QWidget*> shown;
        for (QWidget* w : d->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!qobject_cast<QGroupBox*>(w) && w->isVisible())
                shown << w;
        QList<QWidget*> added = {Control(d, kHarp), Control(d, kPaperSpacing)};
        for (QWidget* w : shown)
            if (auto* label = qobject_cast<QLabel*>(w);
                label && (label->text() == QStringLiteral("楽器") || label->text() == QStringLiteral("用紙の弦間隔")))
                added << w;
        ASSERT_EQ(added.size(), 4);
        for (QWidget* a : added) {
            EXPECT_TRUE(a->isVisible());
            EXPECT_TRUE(d->rect().contains(a->geometry())) << a->objectName().toStdString();
            for (QWidget* other : shown)
                EXPECT_TRUE(other == a || !a->geometry().intersects(other->geometry()))
                    << a->objectName().toStdString() << " and " << other->objectName().toStdString();
        }
        d->close();
    });
}
