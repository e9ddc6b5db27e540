// Reads any bytes as a MusicXML score (plain or compressed): lists the parts, reads the
// default part and the second, and builds, fits and lays out the song of each.

#include "fuzz/FuzzFile.h"
#include "fuzz/FuzzSong.h"
#include "import/musicxml/MusicXmlReader.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static SilentSink sink;
    SetMessageSink(&sink);
    const std::vector<uint8_t> bytes(data, data + size);
    MusicXmlScore score;
    if (score.Open(bytes) != ImportStatus::Ok)
        return 0;
    (void)score.Parts();
    for (int choice : {kDefaultChoice, 2}) {
        Melody melody;
        if (score.Read(choice, melody) != ImportStatus::Ok)
            continue;
        BuildFitAndLayOut(melody, choice == 2);
    }
    return 0;
}
