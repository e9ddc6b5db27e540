#pragma once
// A key named by a mode other than major and minor. The key table holds the signature (the
// major or minor key that shares it); the mode travels beside it and names the key by its own
// tonic, which therefore follows every transposition of the table's key.

#include "common/TextTranslation.h"
#include "song/ChordNaming.h"

#include <array>
#include <cstdint>
#include <string>

enum class ChurchMode : uint8_t { Ionian, Dorian, Phrygian, Lydian, Mixolydian, Aeolian, Locrian };

// The mode's Japanese name, as the legend writes it after the tonic.
inline const char* ModeName(ChurchMode mode)
{
    static constexpr std::array<const char*, 7> kNames{
        QT_TRANSLATE_NOOP("Legend", "イオニア"),       QT_TRANSLATE_NOOP("Legend", "ドリア"),
        QT_TRANSLATE_NOOP("Legend", "フリギア"),       QT_TRANSLATE_NOOP("Legend", "リディア"),
        QT_TRANSLATE_NOOP("Legend", "ミクソリディア"), QT_TRANSLATE_NOOP("Legend", "エオリア"),
        QT_TRANSLATE_NOOP("Legend", "ロクリア")};
    return kNames[static_cast<size_t>(mode) % kNames.size()];
}

// The tonic of `mode` on the signature of key table entry `keyIndex`, spelt with flats where
// the signature has them: "A" for Dorian on G major's.
inline std::string ModalTonic(int keyIndex, ChurchMode mode)
{
    static constexpr std::array<int, 7> kAboveMajorTonic{0, 2, 4, 5, 7, 9, 11};
    const KeyEntry& key = kKeyTable[static_cast<size_t>(keyIndex >= 0 && keyIndex < kKeyCount ? keyIndex : 0)];
    const int majorTonic = key.pitchClass + (key.mode == KeyMode::Minor ? 3 : 0);
    const char* sharp = kNoteNames[static_cast<size_t>(
        PitchClass(majorTonic + kAboveMajorTonic[static_cast<size_t>(mode) % kAboveMajorTonic.size()]))];
    return key.accidentals < 0 ? ToFlatName(sharp) : std::string(sharp);
}

// "A ドリア", as --info and the files name it.
inline std::string ModalKeyName(int keyIndex, ChurchMode mode)
{
    return ModalTonic(keyIndex, mode) + " " + ModeName(mode);
}

// The same in the chosen language ("A dorisch"): the tonic is a letter in every language.
inline std::string ShownModalKeyName(int keyIndex, ChurchMode mode)
{
    return ModalTonic(keyIndex, mode) + " " + CoreText::translate("Legend", ModeName(mode));
}
