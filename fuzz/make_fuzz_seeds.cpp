// Writes the seed corpora: one song file per layout and a few settings images.

#include "settings/ConfigRecord.h"
#include "settings/Tuning.h"
#include "song/CSongFileWriter.h"
#include "tests/support/MusicXmlText.h"

#include <string>

namespace {

// Every construct the MusicXML reader knows, in two parts.
std::string SeedScore()
{
    using namespace mx;
    const std::string repeatEnd = "<barline location=\"right\"><ending number=\"1\" type=\"stop\"/>"
                                  "<repeat direction=\"backward\"/></barline>";
    const std::string melody = Part(
        "P1", {Measure(0, Attributes(6, 3, 4, -1, "minor") + "<direction><sound tempo=\"88\" segno=\"s\"/></direction>" +
                              Note("A4", 6, Lyric("la")) + "<backup><duration>6</duration></backup>" +
                              "<forward><duration>6</duration><voice>2</voice></forward>"),
               Measure(1, "<barline location=\"left\"><repeat direction=\"forward\"/></barline>"
                          "<harmony><root><root-step>D</root-step></root><kind>minor</kind></harmony>" +
                              Note("D5", 6, "<tie type=\"start\"/>") + Note("D5", 2, "<tie type=\"stop\"/>") +
                              ChordNote("F5", 2) + Note("E5", 2) + Note("F5", 2) + "<note><grace/>" + Pitch("G5") + "</note>"),
               Measure(2, "<barline location=\"left\"><ending number=\"1\" type=\"start\"/></barline>" +
                              Note("C5", 18) + repeatEnd),
               Measure(3, "<attributes><divisions>12</divisions><time><beats>6</beats><beat-type>8</beat-type></time>"
                          "<transpose><chromatic>-2</chromatic></transpose></attributes>" +
                              Note("Bb4", 36) + "<sound tocoda=\"c\" dalsegno=\"s\"/>"),
               Measure(4, "<sound coda=\"c\" fine=\"yes\"/>" + Rest(36))});
    const std::string bass = Part("P2", {Measure(0, Attributes(1, 3, 4) + Note("D3", 1))});
    return XmlOfParts({{"P1", "Melody"}, {"P2", "Bass"}}, melody + bass,
                 "<work><work-title>seed</work-title></work>");
}

// Eight measures of 2/2 ending on a 32nd, empty measures, chord symbols repeated on one
// beat and played again by a repeat, a triplet at 256 divisions and an overfull measure.
std::string SeedEdges()
{
    using namespace mx;
    const std::string harmony = "<harmony><root><root-step>G</root-step></root><kind>dominant</kind></harmony>";
    const std::string triplet = "<type>eighth</type><time-modification><actual-notes>3</actual-notes>"
                                "<normal-notes>2</normal-notes></time-modification>";
    std::vector<std::string> measures = {
        Measure(1, Attributes(256, 2, 2) + "<barline location=\"left\"><repeat direction=\"forward\"/></barline>" +
                       harmony + harmony + harmony + Note("C5", 85, triplet) + Note("D5", 85, triplet) +
                       Note("E5", 86, triplet) + Note("F5", 768) +
                       "<barline location=\"right\"><repeat direction=\"backward\" times=\"3\"/></barline>"),
        "<measure number=\"2\"/>", "<measure number=\"3\"></measure>",
        Measure(4, Note("G5", 512) + Note("A5", 512) + Note("B5", 256))};
    for (int m = 5; m < 8; ++m)
        measures.push_back(Measure(m, Note("C5", 1024)));
    measures.push_back(Measure(8, Note("D5", 1024 - 32) + Note("E5", 32, "<type>32nd</type>")));
    return OnePart(measures);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    const std::string songs = argv[1], settings = argv[2], scores = argv[3];
    CSongFileWriter w(6, 3, 15);
    for (int p = 0; p < 6 * 12; p += 3)
        w.AddNote(p, 57 + p % 14, 3, p % 2 ? "la" : "");
    w.SetChord(0, "Am", "E7");
    w.SetChord(1, "C9");
    w.SetTitleUtf8("seed");
    w.SetFame(100);
    w.SetSongText("  a\x81\x40 b  \r\nc");
    w.SetText(0, 2, std::string("AB\0cd", 5));
    for (uint32_t size : {SongLayout::kOldest, SongLayout::kOld, SongLayout::kSummary, SongLayout::kSongText,
                          SongLayout::kCurrent})
        if (!w.Write(songs + "/layout-" + std::to_string(size) + ".mwd", size))
            return 1;
    const ConfigImage image = EncodeConfigRecord(DefaultConfigRecord());
    const std::vector<uint8_t> bytes(image.begin(), image.end());
    if (!WriteBytes(settings + "/default.ini", bytes) ||
        !WriteBytes(settings + "/short.ini", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 100)))
        return 1;
    // A table no harp has: a diatonic one with its first string at the largest number.
    ConfigRecord odd = DefaultConfigRecord();
    odd.stringCount = 15;
    FillStringNotes(odd, Tuning::GMajor);
    odd.stringNotes[0] = INT32_MAX;
    const ConfigImage oddImage = EncodeConfigRecord(odd);
    if (!WriteBytes(settings + "/odd-table.ini", std::vector<uint8_t>(oddImage.begin(), oddImage.end())))
        return 1;
    if (!WriteBytes(scores + "/melody.musicxml", mx::Bytes(SeedScore())) ||
        !WriteBytes(scores + "/melody.mxl", mx::Mxl(SeedScore())) ||
        !WriteBytes(scores + "/edges.musicxml", mx::Bytes(SeedEdges())))
        return 1;
    return 0;
}
