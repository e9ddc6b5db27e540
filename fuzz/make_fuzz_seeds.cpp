// Writes the seed corpora: one song file per layout and a few settings images.

#include "settings/ConfigRecord.h"
#include "song/CSongFileWriter.h"

#include <string>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    const std::string songs = argv[1], settings = argv[2];
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
    return 0;
}
