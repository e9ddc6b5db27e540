#include "common/ByteIO.h"
#include "common/FileServices.h"
#include "common/Messages.h"
#include "song/CSongData.h"
#include "song/CSongFileWriter.h"
#include "tests/support/TestSupport.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <gtest/gtest.h>

namespace {

const std::string kSongInfoError = "SGDT00000000 楽曲情報でエラーがおきました。";

} // namespace

class SongReaderTest : public ::testing::Test {
protected:
    SandboxDir sandbox;
    RecordingSink sink;
    int32_t measures = 0, beats = 0, key = 0;

    std::unique_ptr<CSongData> LoadBytes(const std::vector<uint8_t>& bytes, int32_t* meterSlot = nullptr)
    {
        const std::string path = sandbox.Path("song.mwd");
        WriteFileBytes(path, bytes);
        measures = beats = key = 0;
        return std::make_unique<CSongData>(path.c_str(), measures, beats, key, meterSlot);
    }
    std::unique_ptr<CSongData> Load(const CSongFileWriter& w, uint32_t layout = SongLayout::kCurrent)
    {
        return LoadBytes(w.Build(layout));
    }
};

TEST_F(SongReaderTest, CurrentLayoutRoundTrips)
{
    CSongFileWriter w(3, 4, 2);
    w.AddNote(0, 62, 8, "\x82\xa0"); // a lyric
    w.SetEntry(1, 2, 66);
    w.SetChord(0, "D", "A7");
    w.SetTitleUtf8("きらきら星");
    w.SetFame(150);
    w.SetTempo(96);
    w.SetSongText("verse");
    w.SetBeatTable(0, 3, 7);
    w.SetBeatTable(1, 1023, 9);
    auto song = Load(w);
    EXPECT_EQ(sink.Count(), 0u);
    EXPECT_EQ(song->measureCount, 3);
    EXPECT_EQ(song->beatsPerMeasure, 4);
    EXPECT_EQ(song->keyIndex, 2);
    EXPECT_STREQ(song->keyName, "D ");
    EXPECT_EQ((std::vector<int32_t>{measures, beats, key}), (std::vector<int32_t>{3, 4, 2}));
    EXPECT_EQ(song->cells[0].entry[0], 62);
    EXPECT_STREQ(song->cells[0].text[0], "\x82\xa0");
    EXPECT_EQ(song->cells[1].entry[2], 66);
    EXPECT_STREQ(song->chordTable[0].second, "A7");
    EXPECT_EQ(song->FameLevel(), 150);
    EXPECT_EQ(song->Tempo(), 96);
    EXPECT_STREQ(song->songText, "verse");
    EXPECT_EQ(song->beatTable1[3], 7);
    EXPECT_EQ(song->beatTable2[1023], 9);
    EXPECT_STREQ(song->sourcePath, sandbox.Path("song.mwd").c_str());
}

TEST_F(SongReaderTest, ShorterLayoutsLeaveTheirMissingAreasEmpty)
{
    CSongFileWriter w(2, 4);
    w.SetSongText("text");
    w.SetBeatTable(0, 0, 5);
    auto summaryOnly = Load(w, SongLayout::kSummary);
    EXPECT_STREQ(summaryOnly->songText, "");
    EXPECT_EQ(summaryOnly->beatTable1[0], 0);
    auto withText = Load(w, SongLayout::kSongText);
    EXPECT_STREQ(withText->songText, "text");
    EXPECT_EQ(withText->beatTable1[0], 0);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(SongReaderTest, OldestLayoutIsConverted)
{
    CSongFileWriter w(2, 4, 1);
    w.AddNote(0, 67, 1, "ab");
    w.SetEntry(1, 0, 69);
    w.SetChord(0, "G7", "never");
    w.SetChord(1, "ABCDEFGH");
    auto song = Load(w, SongLayout::kOldest);
    EXPECT_EQ(sink.Count(), 0u);
    EXPECT_EQ(song->keyIndex, 1);
    EXPECT_EQ(song->cells[0].entry[0], 67);
    EXPECT_STREQ(song->cells[0].text[0], "ab");
    EXPECT_EQ(song->cells[1].entry[0], 69);
    for (const Cell& cell : song->cells) {
        ASSERT_EQ(cell.entry[1], -2);
        ASSERT_EQ(cell.entry[2], -3);
        ASSERT_EQ(cell.text[1][0], 0);
        ASSERT_EQ(cell.text[2][0], 0);
    }
    EXPECT_STREQ(song->chordTable[0].first, "G7");
    EXPECT_STREQ(song->chordTable[0].second, "");
    EXPECT_STREQ(song->chordTable[1].first, "ABCDEFG") << "the eighth byte becomes the terminator";
    std::vector<uint8_t> expected(320, 0);
    bytes::WriteInt32(expected, 196, 1);
    bytes::WriteInt32(expected, 200, 120);
    EXPECT_EQ(std::vector<uint8_t>(song->summaryBlock, song->summaryBlock + 320), expected);
}

TEST_F(SongReaderTest, OldLayoutKeepsItsCellsAndTakesOldChords)
{
    CSongFileWriter w(1, 4);
    w.SetEntry(0, 2, 72);
    w.SetChord(0, "F", "C");
    auto song = Load(w, SongLayout::kOld);
    EXPECT_EQ(song->cells[0].entry[2], 72);
    EXPECT_STREQ(song->chordTable[0].first, "F");
    EXPECT_STREQ(song->chordTable[0].second, "");
    EXPECT_EQ(song->Tempo(), 120);
}

TEST_F(SongReaderTest, SummaryRepairs)
{
    struct TempoCase {
        int32_t stored, read;
    };
    for (const TempoCase& c : {TempoCase{39, 80}, TempoCase{40, 40}, TempoCase{240, 240}, TempoCase{241, 80}}) {
        CSongFileWriter w(1, 4);
        w.SetTempo(c.stored);
        EXPECT_EQ(Load(w)->Tempo(), c.read) << c.stored;
    }
    CSongFileWriter w(1, 4);
    w.SetSummaryByte(64, 0xDD);
    w.SetSummaryInt32(192, int32_t(0xFEEEFEEE));
    w.SetSummaryInt32(196, int32_t(0xFEEEFEEE));
    w.SetSummaryInt32(204, 128);
    w.SetSummaryInt32(212, 0x12345678);
    auto song = Load(w);
    EXPECT_EQ(song->summaryBlock[64], 0);
    EXPECT_EQ(bytes::ReadInt32(song->summaryBlock, 192), 0);
    EXPECT_EQ(bytes::ReadInt32(song->summaryBlock, 196), 1);
    EXPECT_EQ(bytes::ReadInt32(song->summaryBlock, 204), 0);
    EXPECT_EQ(bytes::ReadInt32(song->summaryBlock, 212), 0x12345678);
}

TEST_F(SongReaderTest, MeasureCountZeroFallsBackToTheSummaryStart)
{
    CSongFileWriter w(1, 4);
    w.SetTrailer(0, 4, 1, 0);
    w.SetSummaryInt32(0, 6);
    w.SetSummaryInt32(4, 3);
    w.SetSummaryInt32(8, 15);
    auto song = Load(w);
    EXPECT_EQ(song->measureCount, 6);
    EXPECT_EQ(song->beatsPerMeasure, 3);
    EXPECT_EQ(song->keyIndex, 15);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(SongReaderTest, MeterWordSlot)
{
    CSongFileWriter w(1, 4);
    w.SetTrailer(1, 4, 0, 0);
    int32_t slot = 0;
    EXPECT_EQ(LoadBytes(w.Build(), &slot)->meterWord, 1);
    EXPECT_EQ(slot, 1);
    slot = 2;
    EXPECT_EQ(LoadBytes(w.Build(), &slot)->meterWord, 2);
    EXPECT_EQ(slot, 2);
    w.SetTrailer(1, 4, 7, 0);
    slot = 5;
    EXPECT_EQ(LoadBytes(w.Build(), &slot)->meterWord, 7);
    EXPECT_EQ(slot, 7);
    EXPECT_EQ(LoadBytes(w.Build())->meterWord, 7);
}

TEST_F(SongReaderTest, TimeSignatureOutsideOneToEightGivesTheEmptySong)
{
    for (int16_t bad : {int16_t(0), int16_t(9), int16_t(-3)}) {
        CSongFileWriter w(5, 4, 3);
        w.SetTrailer(5, bad, 1, 3);
        int32_t slot = 1;
        auto song = LoadBytes(w.Build(), &slot);
        EXPECT_EQ(sink.Take(), (std::vector<std::string>{"[" + std::to_string(bad) + "]", "time sign 0"}));
        EXPECT_EQ(song->measureCount, 4);
        EXPECT_EQ(song->beatsPerMeasure, 4);
        EXPECT_EQ(song->keyIndex, 0);
        EXPECT_EQ(song->meterWord, 0);
        EXPECT_EQ((std::vector<int32_t>{measures, beats, key, slot}), (std::vector<int32_t>{4, 4, 0, 0}));
    }
    for (int16_t good : {int16_t(1), int16_t(8)}) {
        CSongFileWriter w(2, good);
        EXPECT_EQ(Load(w)->beatsPerMeasure, good);
    }
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(SongReaderTest, MissingFileShowsTheMessagesOfAnEmptySong)
{
    int32_t m = 0, b = 0, k = 0;
    CSongData song(sandbox.Path("missing.mwd").c_str(), m, b, k);
    EXPECT_EQ(sink.Take(), (std::vector<std::string>{kSongInfoError, "[0]", "time sign 0"}));
    EXPECT_EQ(song.measureCount, 4);
    EXPECT_EQ(song.beatsPerMeasure, 4);
    int lo = 0, hi = 0;
    song.GetPitchRange(lo, hi, -1, -1);
    EXPECT_EQ(hi, -1);

    m = b = k = 0;
    CSongData fromNull(nullptr, m, b, k);
    EXPECT_EQ(sink.Take().size(), 3u);
    m = 3, b = 2, k = 1;
    CSongData withValues("", m, b, k);
    EXPECT_EQ(sink.Count(), 0u) << "the caller's values make a valid empty song";
    EXPECT_EQ(withValues.measureCount, 3);
    EXPECT_STREQ(withValues.keyName, "G ");
}

TEST_F(SongReaderTest, AFileThatVanishesOrShrinksBeforeTheReadIsHandled)
{
    CSongFileWriter w(2, 3);
    w.AddNote(0, 64, 4);
    w.SetSummaryInt32(0, 2); // what the measure-count fallback finds
    w.SetSummaryInt32(4, 3);
    const std::vector<uint8_t> bytes = w.Build();

    SetBeforeReadHookForTests([](const std::string& path) { std::remove(path.c_str()); });
    auto vanished = LoadBytes(bytes);
    SetBeforeReadHookForTests(nullptr);
    EXPECT_EQ(sink.Take(), (std::vector<std::string>{"GENE01000007 " + std::string(GeneralErrorText(0x01000007)),
                                                     "[0]", "time sign 0"}));
    EXPECT_EQ(vanished->measureCount, 4);
    EXPECT_EQ(vanished->beatsPerMeasure, 4);
    EXPECT_EQ(vanished->keyIndex, 0);
    EXPECT_EQ(vanished->meterWord, 0);

    // Cut after the summary block: the trailer and the rest read as zero.
    SetBeforeReadHookForTests([](const std::string& path) { truncate(path.c_str(), 90200); });
    auto shortened = LoadBytes(bytes);
    SetBeforeReadHookForTests(nullptr);
    EXPECT_EQ(sink.Take(), (std::vector<std::string>{"GENE0100000A データが大きすぎます。"}))
        << "the short read is told, and loading goes on: the trailer's count 0 falls back to the summary start";
    EXPECT_EQ(shortened->cells[0].entry[0], 64);
    EXPECT_EQ(shortened->measureCount, 2);
    EXPECT_EQ(shortened->beatsPerMeasure, 3);
}

TEST_F(SongReaderTest, MeasureCountZeroInTheOldLayoutsReadsTheTrailerItself)
{
    for (uint32_t layout : {SongLayout::kOldest, SongLayout::kOld}) {
        CSongFileWriter w(1, 3, 5);
        w.SetTrailer(0, 3, 7, 5);
        auto song = Load(w, layout);
        EXPECT_EQ(song->measureCount, 0) << layout;
        EXPECT_EQ(song->beatsPerMeasure, 3) << "the low 16 bits of the int32 over beats and meter word";
        EXPECT_EQ(song->keyIndex, 5);
        EXPECT_EQ(sink.Count(), 0u);
    }
}

TEST_F(SongReaderTest, NinthChordsOfFirstHalvesBecomeAdd9)
{
    CSongFileWriter w(2, 4);
    const char* names[] = {"F#9", "Fadd9", "F#m9", "C9", "Bb9x", "Cm9", "E", ""};
    for (int g = 0; g < 8; ++g)
        w.SetChord(g, names[g], "C9");
    w.SetChord(8, "G9"); // beyond the song
    auto song = Load(w);
    const char* expected[] = {"F#add9", "Fadd9", "F#m9", "Cadd9", "Bbadd9", "Cmadd9", "E", ""};
    for (int g = 0; g < 8; ++g) {
        EXPECT_STREQ(song->chordTable[g].first, expected[g]);
        EXPECT_STREQ(song->chordTable[g].second, "C9");
    }
    EXPECT_STREQ(song->chordTable[8].first, "G9");
}

TEST_F(SongReaderTest, SongTextSpacesAreNormalised)
{
    CSongFileWriter w(1, 4);
    w.SetSongText("  a\x81\x40\x81\x40" "b  \r\nc");
    EXPECT_STREQ(Load(w)->songText, " a b\r\nc");
    w.SetSongText(" x");
    EXPECT_STREQ(Load(w)->songText, " x");
    // The trail byte of a double-byte character is never taken for a space.
    w.SetSongText("\x83\x20  end ");
    EXPECT_STREQ(Load(w)->songText, "\x83\x20 end");
}

TEST_F(SongReaderTest, PackedTextLinesAreUnpacked)
{
    CSongFileWriter w(1, 4);
    w.AddNote(0, 60, 1, "la");            // a lyric stays
    w.SetText(0, 1, std::string("AB\0cdefg", 8)); // first non-note entry
    w.SetText(0, 2, std::string("hi\0\0\0\0\0\0", 8)); // the empty entry 2 goes on with line 2
    auto song = Load(w);
    EXPECT_STREQ(song->PackedLine(0), "AB");
    EXPECT_STREQ(song->PackedLine(1), "cdefghi");
    for (int i = 2; i < 12; ++i)
        EXPECT_STREQ(song->PackedLine(i), "") << i;
    EXPECT_STREQ(song->cells[0].text[0], "la");
    EXPECT_EQ(song->cells[0].text[1][3], 0) << "taken bytes are cleared";

    CSongFileWriter v(1, 4);
    v.SetText(0, 0, std::string("\xCD" "bad\0ok\0", 8));
    v.SetText(0, 1, std::string("\0\0\0\0\0\0\0\0", 8));
    v.SetText(1, 0, std::string("keep", 4));
    auto other = Load(v);
    EXPECT_STREQ(other->PackedLine(0), "") << "a line that starts with 0xCD comes out empty";
    CSongFileWriter cc(1, 4);
    cc.SetText(0, 0, std::string("x\0\xCCzz\0y\0", 8));
    auto third = Load(cc);
    EXPECT_STREQ(third->PackedLine(0), "x");
    EXPECT_STREQ(third->PackedLine(1), "") << "so does one that starts with 0xCC";
    EXPECT_STREQ(third->PackedLine(2), "y");
    EXPECT_STREQ(other->PackedLine(1), "ok");
    EXPECT_STREQ(other->cells[1].text[0], "keep") << "texts after the twelfth line stay";
}

TEST_F(SongReaderTest, HostileCountsAreHeldWithinTheArrays)
{
    CSongFileWriter w(1, 4);
    w.SetTrailer(100000, 8, 1, 99);
    auto song = Load(w);
    EXPECT_EQ(song->measureCount, 128);
    EXPECT_EQ(song->keyIndex, 0);
    EXPECT_EQ(song->BeatCount(), 1024);
    song->Transpose(3);
    w.SetTrailer(-7, 4, 1, -1);
    w.SetSummaryInt32(0, -7); // the fallback finds a negative count too
    w.SetSummaryInt32(4, 4);
    w.SetSummaryInt32(8, -1);
    auto negative = Load(w);
    EXPECT_EQ(negative->measureCount, 0);
    EXPECT_EQ(negative->keyIndex, 0);
}

TEST_F(SongReaderTest, DamagedFilesOfEverySizeLoadSafely)
{
    const std::vector<uint32_t> sizes = {0, 1, 12, 32779, 32780, 32781, 81931, 81932, 81933, 90443, 90444,
                                         90445, 92491, 92492, 92493, 94539, 94540, 94541, 200000};
    for (uint32_t size : sizes) {
        for (uint8_t fill : {uint8_t(0x00), uint8_t(0xFF), uint8_t(0x41)}) {
            auto song = LoadBytes(std::vector<uint8_t>(size, fill));
            sink.Take();
            ASSERT_GE(song->beatsPerMeasure, 1) << size;
            ASSERT_LE(song->beatsPerMeasure, 8);
            ASSERT_LE(song->BeatCount(), 1024);
            song->Transpose(-5);
            sink.Take();
        }
    }
}
