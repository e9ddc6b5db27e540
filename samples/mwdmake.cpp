// Turns a melody text into a song file: mwdmake SONG.txt OUT.mwd

#include "samples/MelodyText.h"

#include <cstdio>
#include <fstream>
#include <sstream>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: mwdmake SONG.txt OUT.mwd\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "mwdmake: cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    const MelodyParseResult parsed = ParseMelodyText(text.str());
    if (!parsed.song) {
        std::fprintf(stderr, "%s: %s\n", argv[1], parsed.error.c_str());
        return 1;
    }
    if (!parsed.song->Write(argv[2])) {
        std::fprintf(stderr, "mwdmake: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
