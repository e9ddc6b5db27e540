// ABC and MIDI where users meet them: the chooser of tunes and tracks, the
// renderer's --tune and
// --track, and the same tune read alike from all three score formats.

#include "app/CDovrelPlinvaraDlg.h"
#include "app/RenderCommand.h"
#include "import/CMelodyChoiceDlg.h"
#include "import/CVoiceRolesDlg.h"
#include "render/CScorePicture.h"
#include "song/CSongData.h"
#include "tests/support/MidiBytes.h"
#include "tests/support/MusicXmlText.h"
#include "tests/support/TestSupport.h"
#include "tests/support/UiTestSupport.h"

#include <QListWidget>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>
#include <tuple>

namespace {

constexpr uint16_t kDivision = 480; // MIDI ticks per quarter
constexpr uint32_t kSixteenth = kDivision / 4;

// One tune in the three forms; lengths are in sixteenths.
struct Tune {
    const char* name;
    int beats, beatType;
    const char* abcUnit;
    const char* abc;                         // body with repeats and endings
    std::vector<std::string> musicXml;       // measures at 4 divisions, repeats and endings as barlines
    std::vector<std::pair<int, int>> played; // (pitch, length) as a player plays it: what MIDI holds
};

std::string Bar(const char* location, const std::string& inner)
{
    return std::string("<barline location=\"") + location + "\">" + inner + "</barline>";
}
std::string EndingStart(const char* n)
{
    return Bar("left", std::string("<ending number=\"") + n + "\" type=\"start\"/>");
}
std::string EndingStop(const char* n, bool back)
{
    return Bar("right",
        std::string("<ending number=\"") + n + "\" type=\"" + (back ? "stop" : "discontinue") + "\"/>" +
            (back ? "<repeat direction=\"backward\"/>" : ""));
}

// Three tunes of different meters, each with a repeat; two with first and
// second endings.
std::vector<Tune> Tunes()
{
    using mx::Attributes, mx::Measure, mx::Note;
    const std::string forward = Bar("left", "<repeat direction=\"forward\"/>");
    const std::string backward = Bar("right", "<repeat direction=\"backward\"/>");
    return {
        {"two-four", 2, 4, "1/4", "|: C D |1 E F :|2 G A | c2 |]",
            {Measure(1, Attributes(4, 2, 4) + forward + Note("C4", 4) + Note("D4", 4)),
                Measure(2, EndingStart("1") + Note("E4", 4) + Note("F4", 4) + EndingStop("1", true)),
                Measure(3, EndingStart("2") + Note("G4", 4) + Note("A4", 4) + EndingStop("2", false)),
                Measure(4, Note("C5", 8))},
            {{60, 4}, {62, 4}, {64, 4}, {65, 4}, {60, 4}, {62, 4}, {67, 4}, {69, 4}, {72, 8}}},
        {"three-four", 3, 4, "1/4", "|: E2 F | G3 :| A B c | d3 |]",
            {Measure(1, Attributes(4, 3, 4) + forward + Note("E4", 8) + Note("F4", 4)),
                Measure(2, Note("G4", 12) + backward), Measure(3, Note("A4", 4) + Note("B4", 4) + Note("C5", 4)),
                Measure(4, Note("D5", 12))},
            {{64, 8}, {65, 4}, {67, 12}, {64, 8}, {65, 4}, {67, 12}, {69, 4}, {71, 4}, {72, 4}, {74, 12}}},
        {"six-eight", 6, 8, "1/8", "|: c>d e2 f2 |1 g3 a3 :|2 g6 |]",
            {Measure(1, Attributes(4, 6, 8) + forward + Note("C5", 3) + Note("D5", 1) + Note("E5", 4) + Note("F5", 4)),
                Measure(2, EndingStart("1") + Note("G5", 6) + Note("A5", 6) + EndingStop("1", true)),
                Measure(3, EndingStart("2") + Note("G5", 12) + EndingStop("2", false))},
            {{72, 3}, {74, 1}, {76, 4}, {77, 4}, {79, 6}, {81, 6}, {72, 3}, {74, 1}, {76, 4}, {77, 4}, {79, 12}}},
    };
}

} // namespace

class ImportFormatsTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        const std::string path = sandbox.Path(name);
        WriteFileBytes(path, bytes);
        return path;
    }
    // The renderer's --notes for a file as played, or the failure's exit status.
    std::string Notes(const std::vector<std::string>& args)
    {
        std::ostringstream out, err;
        std::vector<std::string> all{"--notes", "--repeats", "written"};
        all.insert(all.end(), args.begin(), args.end());
        const int status = RunRenderCommand(all, out, err);
        return status == 0 ? out.str() : "exit " + std::to_string(status);
    }

    SandboxDir sandbox;
    RecordingSink sink;
};

TEST_F(ImportFormatsTest, TheSameTuneReadsAlikeAsAbcMidiAndMusicXml)
{
    for (const Tune& t : Tunes()) {
        const std::string meter = std::to_string(t.beats) + "/" + std::to_string(t.beatType);
        const std::string abc =
            "X:1\nT:" + std::string(t.name) + "\nM:" + meter + "\nL:" + t.abcUnit + "\nK:C\n" + t.abc + "\n";
        MidiTrackBytes track;
        track.Name(t.name).TimeSignature(0, t.beats, t.beatType == 8 ? 3 : 2);
        for (const auto& [pitch, length] : t.played)
            track.Note(0, pitch, static_cast<uint32_t>(length) * kSixteenth);
        track.End();

        const std::string fromAbc = Notes({Write(std::string(t.name) + ".abc", mx::Bytes(abc))});
        const std::string fromMidi = Notes({Write(std::string(t.name) + ".mid", MidiFileBytes(0, kDivision, {track}))});
        const std::string fromXml =
            Notes({Write(std::string(t.name) + ".musicxml", mx::Bytes(mx::OnePart(t.musicXml)))});
        EXPECT_EQ(std::count(fromAbc.begin(), fromAbc.end(), '\n'), static_cast<long>(t.played.size())) << t.name;
        EXPECT_EQ(fromAbc, fromMidi) << t.name;
        EXPECT_EQ(fromAbc, fromXml) << t.name;
    }
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(ImportFormatsTest, AChooserListsTunesAndTracksAndTheRendererTakesTheirNumbers)
{
    const std::string abc = Write("tunes.abc",
        mx::Bytes("%abc-2.1\nX:3\nT:Third\nK:C\nCDEF|\n\n"
                  "X:7\nT:Seventh\nK:C\nGABc|\n\nX:9\nK:C\nz4|\n"));
    MidiTrackBytes conductor, low, high;
    conductor.Name("Song").TimeSignature(0, 4, 2).End();
    low.Name("Bass").Note(0, 48, kDivision).Note(0, 50, kDivision).End();
    high.Name("Melody").Note(0, 72, kDivision).Note(0, 74, kDivision).Note(0, 76, kDivision).End();
    const std::string midi = Write("two.mid", MidiFileBytes(1, kDivision, {conductor, low, high}));

    {
        // The window's score is process-wide, like the renderer's: the two never
        // live at once.
        CDovrelPlinvaraDlg window;
        window.show();
        for (const auto& [path, title, labels, row, first] :
            {std::tuple{abc, QStringLiteral("曲の選択"),
                 QStringList{QStringLiteral("X:3 Third"), QStringLiteral("X:7 Seventh"), QStringLiteral("X:9")}, 1, 67},
                // A file of tracks offers them as voices, each with a role.
                std::tuple{midi, QStringLiteral("パートの選択"),
                    QStringList{QStringLiteral("Bass (2音, C3–D3)"), QStringLiteral("Melody (3音, C5–E5)")}, 1, 72}}) {
            QString shownTitle;
            QStringList shown;
            WhenModalOpens([&, row = row](QWidget* modal) {
                shownTitle = modal->windowTitle();
                if (auto* list = modal->findChild<QListWidget*>(QString::number(ChoiceControl::kList))) {
                    for (int i = 0; i < list->count(); ++i)
                        shown << list->item(i)->text();
                    list->setCurrentRow(row);
                    Control<QPushButton>(modal, ChoiceControl::kOk)->click();
                    return;
                }
                // A voice's name is its role box's buddy; the column headers are not.
                for (const QLabel* label : modal->findChildren<QLabel*>())
                    if (label->buddy() != nullptr)
                        shown << label->text();
                Control<QComboBox>(modal, VoiceRolesControl::kFirstRole + row)->setCurrentIndex(0);
                Control<QPushButton>(modal, VoiceRolesControl::kOk)->click();
            });
            window.LoadSong(path);
            EXPECT_EQ(shownTitle, title);
            EXPECT_EQ(shown, labels);
            ASSERT_FALSE(window.Score().layout.notes.empty());
            EXPECT_EQ(window.Score().layout.notes.front().pitch % 12, first % 12);
        }
    }

    EXPECT_EQ(Notes({"--tune", "7", abc}), Notes({"--tune", "7", abc}));
    EXPECT_NE(Notes({"--tune", "3", abc}), Notes({"--tune", "7", abc}));
    EXPECT_EQ(Notes({"--track", "3", midi}), Notes({"--track", "3", midi}));
    EXPECT_NE(Notes({"--track", "2", midi}), Notes({"--track", "3", midi}));
    sink.Take();
    Notes({"--tune", "9", abc});
    EXPECT_EQ(sink.Take(), std::vector<std::string>{"IMPT00000002 旋律になる音符がありませんでした。"});
    // The message names what the format offers: a tune of a collection, a track of a MIDI file.
    Notes({"--tune", "8", abc});
    EXPECT_EQ(sink.Take(), std::vector<std::string>{"IMPT00000004 指定された曲がありません。"});
    Notes({"--track", "99", midi});
    EXPECT_EQ(sink.Take(), std::vector<std::string>{"IMPT00000004 指定されたトラックがありません。"});
    EXPECT_EQ(Notes({"--tune", "1", "--track", "1", abc}).substr(0, 6), "exit 2");
}

TEST_F(ImportFormatsTest, AThousandTuneCollectionOpensItsChooser)
{
    std::string text;
    for (int i = 1; i <= 1000; ++i)
        text += "X:" + std::to_string(i) + "\nT:Tune " + std::to_string(i) + "\nM:6/8\nL:1/8\nK:D\n" +
            "|: d2e f2g | a3 f3 :|\n\n";
    const std::string path = Write("collection.abc", mx::Bytes(text));
    CDovrelPlinvaraDlg window;
    int count = 0;
    WhenModalOpens([&](QWidget* modal) {
        count = Control<QListWidget>(modal, ChoiceControl::kList)->count();
        Control<QPushButton>(modal, ChoiceControl::kCancel)->click();
    });
    window.LoadSong(path);
    EXPECT_EQ(count, 1000);
    EXPECT_EQ(sink.Count(), 0u);
}

// The renderer fails where the import refuses: content that is no score under a score's name,
// and a MIDI file whose notes all lie past what a sheet holds.
TEST_F(ImportFormatsTest, TheRendererFailsOnWhatTheImportRefuses)
{
    EXPECT_EQ(Notes({Write("one.musicxml", mx::Bytes("<"))}), "exit 1");
    EXPECT_EQ(Notes({Write("blank.xml", mx::Bytes("   \n"))}), "exit 1");
    MidiTrackBytes late;
    late.Name("Late").Note(uint32_t(kMaxSheetBeats + 1) * kDivision, 60, kDivision).End();
    EXPECT_EQ(Notes({Write("late.mid", MidiFileBytes(0, kDivision, {late}))}), "exit 1");
    EXPECT_EQ(sink.Take(), (std::vector<std::string>{"IMPT00000001 楽譜ファイルを読み込めませんでした。",
                                                     "IMPT00000001 楽譜ファイルを読み込めませんでした。",
                                                     "IMPT00000002 旋律になる音符がありませんでした。"}));
}

// A measure every part makes longer than its meter keeps its notes; --info says how many
// written bar lines then fall inside the song's measures.
TEST_F(ImportFormatsTest, InfoTellsOfBarLinesTheSongCannotFollow)
{
    std::vector<std::string> measures{mx::Measure(1, mx::Attributes(1) + mx::Note("C4", 1) + mx::Note("D4", 1) +
                                                         mx::Note("E4", 1) + mx::Note("F4", 1) + mx::Note("G4", 1))};
    for (int i = 2; i <= 4; ++i)
        measures.push_back(mx::Measure(i, mx::Note("C5", 4)));
    std::ostringstream out, err;
    ASSERT_EQ(RunRenderCommand({"--info", Write("five.musicxml", mx::Bytes(mx::OnePart(measures)))}, out, err), 0);
    EXPECT_NE(out.str().find("skipped=0\ndropped=0\nbars_off_grid=3\n"), std::string::npos) << out.str();
    // Without such measures the line is left out.
    measures[0] = mx::Measure(1, mx::Attributes(1) + mx::Note("C4", 4));
    std::ostringstream plain;
    ASSERT_EQ(RunRenderCommand({"--info", Write("four.musicxml", mx::Bytes(mx::OnePart(measures)))}, plain, err), 0);
    EXPECT_EQ(plain.str().find("bars_off_grid"), std::string::npos) << plain.str();
}
