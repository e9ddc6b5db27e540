#include "song/ChordNaming.h"

#include "common/Cp932.h"
#include "common/ErrorCodes.h"
#include "common/Messages.h"

#include <cstdint>
#include <cstring>

const std::array<const char*, 12> kNoteNames = {"C", "C#", "D", "D#", "E", "F",
                                                "F#", "G", "G#", "A", "A#", "B"};

// Searches by mode and pitch class take the first match, so the order decides which
// spelling a transposed key gets.
const std::array<KeyEntry, kKeyCount> kKeyTable = {{
    {KeyMode::Major, 0, "C", 0},    {KeyMode::Major, 1, "G", 7},    {KeyMode::Major, 2, "D", 2},
    {KeyMode::Major, 3, "A", 9},    {KeyMode::Major, 4, "E", 4},    {KeyMode::Major, 5, "B", 11},
    {KeyMode::Major, 6, "F#", 6},   {KeyMode::Major, 7, "C#", 1},   {KeyMode::Major, -1, "F", 5},
    {KeyMode::Major, -2, "Bb", 10}, {KeyMode::Major, -3, "Eb", 3},  {KeyMode::Major, -4, "Ab", 8},
    {KeyMode::Major, -5, "Db", 1},  {KeyMode::Major, -6, "Gb", 6},  {KeyMode::Major, -7, "Cb", 11},
    {KeyMode::Minor, 0, "Am", 9},   {KeyMode::Minor, 1, "Em", 4},   {KeyMode::Minor, 2, "Bm", 11},
    {KeyMode::Minor, 3, "F#m", 6},  {KeyMode::Minor, 4, "C#m", 1},  {KeyMode::Minor, 5, "G#m", 8},
    {KeyMode::Minor, 6, "D#m", 3},  {KeyMode::Minor, 7, "A#m", 10}, {KeyMode::Minor, -1, "Dm", 2},
    {KeyMode::Minor, -2, "Gm", 7},  {KeyMode::Minor, -3, "Cm", 0},  {KeyMode::Minor, -4, "Fm", 5},
    {KeyMode::Minor, -5, "Bbm", 10}, {KeyMode::Minor, -6, "Ebm", 3}, {KeyMode::Minor, -7, "Abm", 8},
}};

namespace {

bool HasAccidental(std::string_view name)
{
    return name.size() >= 2 && (name[1] == '#' || name[1] == 'b');
}

} // namespace

int PitchClass(int value)
{
    const int r = value % 12;
    return r < 0 ? r + 12 : r;
}

std::string NoteNameWithOctave(int noteNumber)
{
    const auto octave = (int64_t{noteNumber} - PitchClass(noteNumber)) / 12 - 1; // wide: any int has a name
    return std::string(kNoteNames[static_cast<size_t>(PitchClass(noteNumber))]) + std::to_string(octave);
}

std::string ToFlatName(std::string_view sharpName)
{
    static constexpr std::pair<std::string_view, const char*> kFlats[] = {
        {"C#", "Db"}, {"D#", "Eb"}, {"F#", "Gb"}, {"G#", "Ab"}, {"A#", "Bb"}};
    for (const auto& [sharp, flat] : kFlats)
        if (sharpName == sharp)
            return flat;
    return std::string(sharpName);
}

int FindNoteName(std::string_view root)
{
    const size_t length = HasAccidental(root) ? 2 : 1;
    if (root.empty())
        return -1;
    const bool flat = root.size() >= 2 && root[1] == 'b';
    for (int i = 0; i < 12; ++i) {
        std::string reference = kNoteNames[i];
        if (flat && reference.find('#') != std::string::npos)
            reference = ToFlatName(reference);
        // Compare as the fixed-length texts they are: "C" against "Cb" differs in byte 2.
        if (reference.compare(0, length, root.substr(0, length)) == 0)
            return i;
    }
    return -1;
}

bool TransposeChordName(int semitones, char (&name)[kChordNameSize], bool report)
{
    const std::string_view current = FieldText(name, kChordNameSize);
    if (current.empty() || current == "Skip")
        return true;
    const size_t rootLength = HasAccidental(current) ? 2 : 1;
    const std::string suffix(current.substr(rootLength));
    const int pitch = FindNoteName(current.substr(0, rootLength));
    if (pitch < 0 && report)
        ShowSongErrorMessage(SongError::kSongInformation);
    std::string moved = std::string(kNoteNames[PitchClass(pitch + semitones)]) + suffix;
    if (moved.size() > kChordNameSize - 1)
        moved.resize(kChordNameSize - 1);
    std::memset(name, 0, kChordNameSize);
    std::memcpy(name, moved.data(), moved.size());
    return pitch >= 0;
}

void NormaliseNinthChordName(char (&name)[kChordNameSize])
{
    int keep = 0;
    if (name[1] == '9')
        keep = 1;
    else if (name[1] != 0 && name[2] == '9')
        keep = 2;
    if (keep == 0)
        return;
    std::memset(name + keep, 0, kChordNameSize - keep);
    std::memcpy(name + keep, "add9", 4);
}
