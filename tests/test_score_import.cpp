#include "tests/SongAsScore.h"
#include "common/Cp932.h"
#include "import/ScoreImport.h"
#include "render/ScoreLayout.h"
#include "song/CSongData.h"
#include "song/CSongFileWriter.h"
#include "tests/support/MidiBytes.h"
#include "tests/support/MusicXmlText.h"
#include "tests/support/TestSupport.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace mx;

class ScoreImportTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        const std::string path = sandbox.Path(name);
        WriteFileBytes(path, bytes);
        return path;
    }
    static std::vector<std::string> Texts(const std::vector<std::string>& codes) { return codes; }

    SandboxDir sandbox;
    RecordingSink sink;
};

namespace {

const std::string kTwoParts =
    XmlOfParts({{"P1", "Flute"}, {"P2", "Piano"}, {"P3", "Drums"}},
          Part("P1", {Measure(1, Attributes(1) + Note("A5", 4))}) +
              Part("P2", {Measure(1, Attributes(1) + Note("C4", 2) + Note("E4", 2))}) +
              Part("P3", {Measure(1, Attributes(1) + "<note><unpitched/><duration>4</duration></note>")}));

} // namespace

TEST_F(ScoreImportTest, FormatsAreToldByNameThenContent)
{
    EXPECT_TRUE(IsSongFileName("/a/b/SONG.MwD"));
    EXPECT_FALSE(IsSongFileName("/a/song.mwd.xml"));
    EXPECT_EQ(DetectScoreFormat(Bytes("\xEF\xBB\xBF  \n<?xml version=\"1.0\"?><score-partwise/>")), ScoreFormat::MusicXml);
    EXPECT_EQ(DetectScoreFormat(Bytes("<score-timewise/>")), ScoreFormat::MusicXml);
    EXPECT_EQ(DetectScoreFormat(Mxl("<score-partwise/>")), ScoreFormat::MusicXml);
    EXPECT_EQ(DetectScoreFormat(CSongFileWriter(2, 4).Build()), ScoreFormat::SongFile);
    EXPECT_EQ(DetectScoreFormat({}), ScoreFormat::SongFile);
    EXPECT_EQ(DetectScoreFormat(Bytes("MThd\0\0\0\x06\0\0\0\x01\x01\xE0")), ScoreFormat::Midi);
    EXPECT_EQ(DetectScoreFormat(Bytes("%abc-2.1\n")), ScoreFormat::Abc);
    EXPECT_EQ(DetectScoreFormat(Bytes("% a collection\r\nX:12\r\nT:Tune\r\nK:G\r\nGAB|\r\n")), ScoreFormat::Abc);
    EXPECT_EQ(DetectScoreFormat(Bytes("no X: at a line start")), ScoreFormat::SongFile);
    EXPECT_EQ(ScoreFileFilter(), "楽譜ファイル|*.mwd;*.musicxml;*.xml;*.mxl;*.abc;*.mid;*.midi|mwd files|*.mwd|"
                                 "MusicXML|*.musicxml;*.xml;*.mxl|ABC|*.abc|MIDI|*.mid;*.midi|すべてのファイル|*|");

    // A song file under any other name is still a song file; a score named .mwd is not read as one.
    CSongFileWriter w(3, 4);
    w.AddNote(0, 64, 4);
    const std::string renamed = Write("song.dat", w.Build());
    const ImportOutcome song = LoadScoreFile(renamed);
    EXPECT_EQ(song.format, ScoreFormat::SongFile);
    EXPECT_EQ(song.song->measureCount, 3);
    const ImportOutcome named = LoadScoreFile(Write("score.mwd", Bytes(kTwoParts)));
    EXPECT_EQ(named.format, ScoreFormat::SongFile);
    EXPECT_EQ(sink.Take(), (std::vector<std::string>{"[0]", "time sign 0"}));
}

TEST_F(ScoreImportTest, MusicXmlLoadsLikeASongFile)
{
    const std::string xml = OnePart({Measure(1, Attributes(1, 3, 4) + Note("C4", 1, Lyric("ら")) + Note("D4", 2)),
                                     Measure(2, Note("E4", 3))});
    for (const auto& [name, bytes] : {std::pair{"melody.musicxml", Bytes(xml)}, std::pair{"melody.mxl", Mxl(xml)},
                                      std::pair{"no-extension", Bytes(xml)}}) {
        const ImportOutcome o = LoadScoreFile(Write(name, bytes));
        ASSERT_NE(o.song, nullptr) << name;
        EXPECT_FALSE(o.failed);
        EXPECT_EQ(o.format, ScoreFormat::MusicXml);
        EXPECT_EQ(o.song->measureCount, 2);
        EXPECT_EQ(o.song->beatsPerMeasure, 3);
        EXPECT_EQ(GridNotes(*o.song, 1, 2), (std::vector<ScoreNote>{{0, 60, 6}, {6, 62, 12}, {18, 64, 18}}));
        EXPECT_EQ(Cp932ToUtf8(o.song->cells[0].text[0]), "ら");
        EXPECT_EQ(std::string(o.song->sourcePath), sandbox.Path(name));
    }
    EXPECT_EQ(LoadScoreFile(Write("named.xml", Bytes(xml))).song->ListTitle(), "named") << "the file name as title";
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(ScoreImportTest, EachFailureShowsItsMessageAndGivesTheEmptySong)
{
    struct Case {
        std::vector<uint8_t> bytes;
        int choice;
        const char* message;
    };
    const std::vector<Case> cases = {
        {Bytes("<?xml version=\"1.0\"?><score-partwise><part"), kDefaultChoice,
         "IMPT00000001 楽譜ファイルを読み込めませんでした。"},
        {Bytes("<?xml version=\"1.0\"?><svg/>"), kDefaultChoice, "IMPT00000001 楽譜ファイルを読み込めませんでした。"},
        {Zip({{"a.txt", "x"}}), kDefaultChoice, "IMPT00000001 楽譜ファイルを読み込めませんでした。"},
        {Bytes(OnePart({Measure(1, Attributes(1) + Rest(4))})), kDefaultChoice,
         "IMPT00000002 旋律になる音符がありませんでした。"},
        {Bytes(kTwoParts), 3, "IMPT00000002 旋律になる音符がありませんでした。"},
        {Bytes(kTwoParts), 7, "IMPT00000004 指定されたパートがありません。"},
    };
    for (const Case& c : cases) {
        ImportRequest request;
        request.choice = c.choice;
        const ImportOutcome o = LoadScoreFile(Write("bad.xml", c.bytes), request);
        EXPECT_EQ(sink.Take(), std::vector<std::string>{c.message});
        ASSERT_NE(o.song, nullptr);
        EXPECT_TRUE(o.failed);
        EXPECT_EQ(o.song->measureCount, 4);
        EXPECT_EQ(o.song->beatsPerMeasure, 4);
        EXPECT_EQ(o.song->cells[0].entry[0], NoteEntry::kRest);
    }
}

// The score keeps a tune longer than a song file holds; the song file written from it ends
// where its 1024 beats do.
TEST_F(ScoreImportTest, ATuneLongerThanASongFileHoldsLoadsWhole)
{
    std::vector<std::string> measures = {Measure(1, Attributes(1) + Note("C4", 4))};
    for (int i = 2; i <= 300; ++i)
        measures.push_back(Measure(i, Note("D4", 4)));
    const ImportOutcome o = LoadScoreFile(Write("long.xml", Bytes(OnePart(measures))));
    EXPECT_EQ(sink.Take(), std::vector<std::string>{});
    EXPECT_FALSE(o.failed);
    EXPECT_EQ(o.score.measureCount, 300);
    ASSERT_EQ(o.score.voices.at(0).events.size(), 300u);
    EXPECT_EQ(o.score.voices[0].events.back().onset, 299 * 4 * kTicksPerQuarter);
    EXPECT_TRUE(o.report.truncated) << "the song file's grid";
    EXPECT_EQ(o.song->measureCount, 256);
}

TEST_F(ScoreImportTest, SeveralPartsAskTheChooser)
{
    const std::string path = Write("parts.musicxml", Bytes(kTwoParts));
    std::string title;
    std::vector<MelodyChoice> offered;
    ImportRequest request;
    request.chooser = [&](const std::string& t, const std::vector<MelodyChoice>& choices) {
        title = t;
        offered = choices;
        return 2;
    };
    const ImportOutcome chosen = LoadScoreFile(path, request);
    EXPECT_EQ(title, "パートの選択");
    ASSERT_EQ(offered.size(), 2u) << "the drums have no pitched note";
    EXPECT_EQ(offered[0].name, "Flute");
    EXPECT_EQ(offered[1].name, "Piano");
    EXPECT_EQ(GridNotes(*chosen.song, 1, 1).front().pitch, 60);

    request.chooser = [](const std::string&, const std::vector<MelodyChoice>&) { return kChoiceCancelled; };
    EXPECT_EQ(LoadScoreFile(path, request).song, nullptr) << "cancel loads nothing";

    // A part asked for by number, or a file with one part with notes, asks nobody.
    request.choice = 1;
    EXPECT_EQ(LayOutMeasures(*LoadScoreFile(path, request).song, 1, 1).notes.front().pitch, 81);
    EXPECT_EQ(sink.Count(), 0u);
}

// With both choosers, a file of several parts asks one of them: the voices' where the reader
// offers the parts as voices, the part chooser's where it offers none. Cancelling either loads nothing.
TEST_F(ScoreImportTest, SeveralPartsAskOneChooserWhenBothAreGiven)
{
    const std::string path = Write("parts.musicxml", Bytes(kTwoParts));
    int partAsks = 0, voiceAsks = 0;
    ImportRequest request;
    request.chooser = [&](const std::string&, const std::vector<MelodyChoice>&) {
        ++partAsks;
        return 2;
    };
    request.voiceChooser = [&](const std::string&, const std::vector<VoiceOffer>& voices, int, bool) {
        ++voiceAsks;
        VoiceChoice choice;
        choice[VoiceRole::kMelody] = voices.size() > 1 ? voices[1].number : 0;
        return std::optional<VoiceChoice>(choice);
    };
    const ImportOutcome chosen = LoadScoreFile(path, request);
    EXPECT_EQ(partAsks + voiceAsks, 1);
    ASSERT_NE(chosen.song, nullptr);
    EXPECT_EQ(GridNotes(*chosen.song, 1, 1).front().pitch, 60) << "the piano either way";

    request.chooser = [&](const std::string&, const std::vector<MelodyChoice>&) { return kChoiceCancelled; };
    request.voiceChooser = [](const std::string&, const std::vector<VoiceOffer>&, int, bool) {
        return std::optional<VoiceChoice>();
    };
    EXPECT_EQ(LoadScoreFile(path, request).song, nullptr);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(ScoreImportTest, TheWrittenSongFileReadsBackTheSame)
{
    const std::string xml = OnePart({Measure(1, Attributes(2, 6, 8, -2) +
                                                    "<harmony><root><root-step>G</root-step></root><kind>minor</kind>"
                                                    "</harmony>" + Note("G4", 3, Lyric("かぜ")) + Note("A4", 1) +
                                                    Note("Bb4", 2)),
                                     Measure(2, Note("D5", 6))},
                                    "<work><work-title>風の歌</work-title></work>");
    const ImportOutcome o = LoadScoreFile(Write("wind.xml", Bytes(xml)));
    const std::string mwd = sandbox.Path("wind.mwd");
    ASSERT_TRUE(CSongFileWriter(*o.song).Write(mwd));
    EXPECT_EQ(ReadFileBytes(mwd).size(), 94540u);
    const ImportOutcome back = LoadScoreFile(mwd);
    EXPECT_EQ(sink.Count(), 0u);
    EXPECT_EQ(GridNotes(*back.song, 1, 2), GridNotes(*o.song, 1, 2));
    EXPECT_EQ(Cp932ToUtf8(back.song->ListTitle()), "風の歌");
    EXPECT_EQ(back.song->keyIndex, 9); // Bb
    EXPECT_EQ(std::string(back.song->chordTable[0].first), "Gm");
    EXPECT_EQ(Cp932ToUtf8(back.song->cells[0].text[0]), "かぜ");
    EXPECT_EQ(back.song->Tempo(), 80) << "120 quarters are 80 dotted-quarter beats of 6/8";
    EXPECT_EQ(std::memcmp(back.song->cells, o.song->cells, sizeof o.song->cells), 0);
}

TEST_F(ScoreImportTest, AScoreExportedTheWayNotationProgramsWriteThem)
{
    // Layout, credits, print and appearance elements are passed over; the music is read.
    const ImportOutcome o = LoadScoreFile(std::string(DP_SCORE_DIR) + "/sakura.musicxml");
    EXPECT_EQ(sink.Count(), 0u);
    ASSERT_FALSE(o.failed);
    EXPECT_EQ(o.song->measureCount, 14);
    EXPECT_EQ(o.song->keyIndex, 15); // Am
    EXPECT_EQ(o.song->Tempo(), 72);
    EXPECT_EQ(Cp932ToUtf8(o.song->ListTitle()), "さくらさくら");
    EXPECT_EQ(std::string(o.song->chordTable[0].first), "Am");
    EXPECT_EQ(Cp932ToUtf8(o.song->cells[0].text[0]), "さ");
    const std::vector<ScoreNote> notes = GridNotes(*o.song, 1, 14);
    ASSERT_EQ(notes.size(), 50u);
    EXPECT_EQ(notes[2], (ScoreNote{12, 71, 12}));
    EXPECT_EQ(notes.back(), (ScoreNote{13 * 24, 64, 24}));
    EXPECT_EQ(o.report.moved, 0);
}

// A score that cannot be opened fails as a song file that cannot be opened does, whatever its
// format: a path over the buffer's limit, a FIFO (which must not block), a device.
TEST_F(ScoreImportTest, EveryFormatFollowsTheSongFilesRulesForAFileThatCannotBeOpened)
{
    alarm(30); // a blocking open ends the test process instead of hanging the suite
    const std::string xml = OnePart({Measure(1, Attributes(1) + Note("C4", 4))});
    std::string folder = sandbox.Path("long");
    while (folder.size() < 250)
        folder += "/" + std::string(20, 'd');
    std::filesystem::create_directories(folder);
    const std::string longPath = folder + "/melody.musicxml";
    WriteFileBytes(longPath, Bytes(xml));
    const std::string fifo = sandbox.Path("x.abc");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    for (const std::string& path : {longPath, fifo, std::string("/dev/zero")}) {
        SCOPED_TRACE(path.substr(0, 40));
        const ImportOutcome o = LoadScoreFile(path);
        ASSERT_NE(o.song, nullptr);
        EXPECT_EQ(o.format, ScoreFormat::SongFile);
        EXPECT_EQ(o.song->measureCount, 4);
        EXPECT_EQ(sink.Take(), (std::vector<std::string>{"SGDT00000000 楽曲情報でエラーがおきました。", "[0]", "time sign 0"}));
    }
    alarm(0);
}

// Files that exporters write in other wrappings and encodings read as the plain ones do.
TEST_F(ScoreImportTest, Utf16WithoutAMarkAndTheRiffWrappingOfMidiAreRecognisedAndRead)
{
    const std::string xml = "\r\n" + OnePart({Measure(1, Attributes(1) + Note("C4", 2) + Note("E4", 2))});
    std::vector<uint8_t> little, big;
    for (const char c : xml) {
        little.insert(little.end(), {uint8_t(c), 0});
        big.insert(big.end(), {0, uint8_t(c)});
    }
    const std::vector<ScoreNote> expected{{0, 60, 12}, {12, 64, 12}};
    for (const auto& [name, bytes] : {std::pair{"le.xml", little}, std::pair{"be.xml", big}}) {
        const ImportOutcome o = LoadScoreFile(Write(name, bytes));
        ASSERT_NE(o.song, nullptr);
        EXPECT_EQ(o.format, ScoreFormat::MusicXml) << name;
        EXPECT_FALSE(o.failed) << name;
        EXPECT_EQ(GridNotes(*o.song, 1, 1), expected) << name;
    }

    MidiTrackBytes track;
    track.Name("Melody").Note(0, 60, 960).Note(0, 64, 960).End();
    const std::vector<uint8_t> smf = MidiFileBytes(1, 480, {track});
    std::vector<uint8_t> riff{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D'};
    const std::vector<uint8_t> info{'I', 'N', 'F', 'O', 'x'}; // an odd length, padded
    for (const auto& [id, body] : {std::pair{"LIST", info}, std::pair{"data", smf}}) {
        riff.insert(riff.end(), id, id + 4);
        for (int i = 0; i < 4; ++i)
            riff.push_back(uint8_t(body.size() >> (8 * i)));
        riff.insert(riff.end(), body.begin(), body.end());
        if (body.size() & 1)
            riff.push_back(0);
    }
    const ImportOutcome bare = LoadScoreFile(Write("bare.mid", smf));
    const ImportOutcome wrapped = LoadScoreFile(Write("wrapped.rmi", riff));
    ASSERT_NE(wrapped.song, nullptr);
    EXPECT_EQ(wrapped.format, ScoreFormat::Midi);
    EXPECT_FALSE(wrapped.failed);
    EXPECT_EQ(GridNotes(*wrapped.song, 1, 1), GridNotes(*bare.song, 1, 1));
    EXPECT_EQ(GridNotes(*wrapped.song, 1, 1), expected);
    EXPECT_EQ(sink.Count(), 0u);
}

// Content that is no score under a score's name is refused, never read as an empty song file;
// other names keep the song files' rule. XML in UTF-32 is read, with or without its mark.
TEST_F(ScoreImportTest, UnknownContentUnderAScoresNameIsRefused)
{
    const std::string xml = "\n " + OnePart({Measure(1, Attributes(1) + Note("C4", 2) + Note("E4", 2))});
    std::vector<uint8_t> little, big;
    for (const char c : xml) {
        little.insert(little.end(), {uint8_t(c), 0, 0, 0});
        big.insert(big.end(), {0, 0, 0, uint8_t(c)});
    }
    std::vector<uint8_t> littleMarked{0xFF, 0xFE, 0, 0}, bigMarked{0, 0, 0xFE, 0xFF};
    littleMarked.insert(littleMarked.end(), little.begin() + 8, little.end()); // without the blanks
    bigMarked.insert(bigMarked.end(), big.begin() + 8, big.end());
    for (const auto& [name, bytes] : {std::pair{"le.musicxml", little}, std::pair{"be.xml", big},
                                      std::pair{"le-mark.xml", littleMarked}, std::pair{"be-mark", bigMarked}}) {
        const ImportOutcome o = LoadScoreFile(Write(name, bytes));
        ASSERT_NE(o.song, nullptr);
        EXPECT_EQ(o.format, ScoreFormat::MusicXml) << name;
        EXPECT_FALSE(o.failed) << name;
        EXPECT_EQ(GridNotes(*o.song, 1, 1), (std::vector<ScoreNote>{{0, 60, 12}, {12, 64, 12}})) << name;
    }
    EXPECT_EQ(sink.Count(), 0u);

    const std::vector<std::pair<std::string, ScoreFormat>> named = {
        {"a.musicxml", ScoreFormat::MusicXml}, {"a.XML", ScoreFormat::MusicXml}, {"a.mxl", ScoreFormat::MusicXml},
        {"a.abc", ScoreFormat::Abc},           {"a.mid", ScoreFormat::Midi},     {"a.midi", ScoreFormat::Midi}};
    const std::vector<std::vector<uint8_t>> contents = {Bytes("<"), Bytes(" \r\n\t  \n"), {},
                                                        std::vector<uint8_t>(100000, 0), CSongFileWriter(2, 4).Build()};
    for (const auto& [name, format] : named)
        for (size_t c = 0; c < contents.size(); ++c) {
            const ImportOutcome o = LoadScoreFile(Write(name, contents[c]));
            EXPECT_TRUE(o.failed) << name << " " << c;
            EXPECT_EQ(o.format, format) << name << " " << c;
            EXPECT_EQ(o.song->measureCount, 4);
            EXPECT_EQ(sink.Take(), std::vector<std::string>{"IMPT00000001 楽譜ファイルを読み込めませんでした。"})
                << name << " " << c;
        }
    // Under any other name the song reader decides, as before.
    for (const char* name : {"b.mwd", "b.dat", "b"}) {
        const ImportOutcome o = LoadScoreFile(Write(name, Bytes("<")));
        EXPECT_FALSE(o.failed) << name;
        EXPECT_EQ(o.format, ScoreFormat::SongFile) << name;
        EXPECT_EQ(sink.Take(), (std::vector<std::string>{"[0]", "time sign 0"})) << name;
    }
}

// Notes past the 1024 beats of a song file stay on the sheet; notes only past what a sheet can
// hold leave nothing to play: the message of a file without notes, not an empty song.
TEST_F(ScoreImportTest, AMelodyWhollyPastTheSheetsEndIsNoMelody)
{
    MidiTrackBytes late;
    late.Name("Late").Note(1100 * 480, 60, 480).Note(0, 62, 480).End();
    const ImportOutcome far = LoadScoreFile(Write("late.mid", MidiFileBytes(1, 480, {late})));
    EXPECT_EQ(sink.Take(), std::vector<std::string>{});
    EXPECT_EQ(far.score.measureCount, 276);
    ASSERT_EQ(far.score.voices.at(0).events.size(), 2u);
    EXPECT_EQ(far.score.voices[0].events[1].onset, 1101 * kTicksPerQuarter);

    const int past = kMaxSheetBeats + 100;
    MidiTrackBytes beyond;
    beyond.Name("Late").Note(past * 480, 60, 480).End();
    const ImportOutcome o = LoadScoreFile(Write("beyond.mid", MidiFileBytes(1, 480, {beyond})));
    EXPECT_EQ(sink.Take(), std::vector<std::string>{"IMPT00000002 旋律になる音符がありませんでした。"});
    EXPECT_TRUE(o.failed);
    EXPECT_EQ(o.score.measureCount, 4);

    // One note within the sheet keeps it, with the notice of the cut.
    MidiTrackBytes both;
    both.Name("Both").Note(0, 64, 480).Note(past * 480, 60, 480).End();
    const ImportOutcome kept = LoadScoreFile(Write("both.mid", MidiFileBytes(1, 480, {both})));
    EXPECT_EQ(sink.Take(), std::vector<std::string>{"IMPT00000003 曲が長すぎるため、24000拍を超える部分は省きました。"});
    EXPECT_FALSE(kept.failed);
    EXPECT_EQ(kept.score.measureCount, kMaxSheetBeats / 4);
}

TEST_F(ScoreImportTest, VoiceOneIsTheMelodyAndEveryReadNumbersTheVoicesAlike)
{
    auto note = [](const std::string& pitch, const std::string& voice) {
        return "<note>" + Pitch(pitch) + "<duration>4</duration><voice>" + voice + "</voice></note>";
    };
    // The upper part writes its lower voice first; the melody rule takes its voice 1.
    const std::vector<uint8_t> bytes = Bytes(
        XmlOfParts({{"P1", "Upper"}, {"P2", "Lower"}},
              Part("P1", {Measure(1, Attributes(1) + note("C5", "2") + "<backup><duration>4</duration></backup>" +
                                         note("E5", "1"))}) +
                  Part("P2", {Measure(1, Attributes(1) + Note("C3", 4))})));
    const ImportOutcome plain = ImportScoreBytes(ScoreFormat::MusicXml, bytes, "duo.musicxml");
    ASSERT_FALSE(plain.failed);
    ASSERT_EQ(plain.voices.size(), 3u);
    EXPECT_EQ(plain.melodyVoice, 1);
    EXPECT_EQ(plain.voices[0].origin, "P1 staff 1 voice 1");
    EXPECT_EQ(plain.voices[1].origin, "P1 staff 1 voice 2");
    EXPECT_EQ(plain.voices[2].origin, "P2 staff 1 voice 1");

    // Another part's voice as the melody: the second voice is still the one voice 2 names.
    ImportRequest request;
    VoiceChoice choice;
    choice[VoiceRole::kMelody] = 3;
    choice[VoiceRole::kSecond] = 2;
    request.voices = choice;
    const ImportOutcome low = ImportScoreBytes(ScoreFormat::MusicXml, bytes, "duo.musicxml", request);
    ASSERT_FALSE(low.failed);
    EXPECT_EQ(low.melodyVoice, 3);
    EXPECT_EQ(low.voices[1].origin, "P1 staff 1 voice 2");
    ASSERT_EQ(low.score.voices.size(), 2u);
    EXPECT_EQ(low.score.voices[1].candidate, 2);
    EXPECT_EQ(low.score.voices[1].name, "Upper 声部2");
}
