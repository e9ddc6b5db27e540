#include "render/KeyChoice.h"

#include "common/TextTranslation.h"
#include "render/ScoreGeometry.h"
#include "score/Score.h"
#include "song/CSongData.h"
#include "song/ChordNaming.h"

#include <algorithm>
#include <cstdlib>
#include <tuple>

namespace {

const KeyEntry& KeyAt(int keyIndex)
{
    return kKeyTable[static_cast<size_t>(keyIndex >= 0 && keyIndex < kKeyCount ? keyIndex : 0)];
}

} // namespace

bool StringsOnePerSemitone(const ScoreFrame& frame)
{
    const int count = std::clamp(frame.stringCount, 0, kMaxStrings);
    for (int i = 1; i < count; ++i)
        if (frame.stringPitches[static_cast<size_t>(i)] != frame.stringPitches[static_cast<size_t>(i - 1)] + 1)
            return false;
    return true;
}

namespace {

// The same rule the song's transposition follows: the first key of the table in that mode.
int KeyIndexOf(KeyMode mode, int pitchClass)
{
    for (int i = 0; i < kKeyCount; ++i)
        if (kKeyTable[static_cast<size_t>(i)].mode == mode && kKeyTable[static_cast<size_t>(i)].pitchClass == pitchClass)
            return i;
    return 0;
}

// The melody's notes without a string at `transposition` from the written song.
int MelodyMissingAt(const FittedScore& whole, int transposition)
{
    const int step = transposition - whole.transposition;
    return static_cast<int>(std::count_if(whole.layout.notes.begin(), whole.layout.notes.end(), [&](const ScoreNote& n) {
        int32_t pitch = n.pitch;
        CSongData::TransposePitch(step, pitch);
        return StringOf(whole.frame, pitch) < 0;
    }));
}

KeyOffer OfferAt(const FittedScore& whole, int keyIndex, int transposition)
{
    return KeyOffer{transposition, KeyIndexAt(keyIndex, whole.transposition, transposition),
                    MissingNotesAt(whole, transposition)};
}

// Among the octaves of a shift within the fit's reach, the one with the fewest notes without
// a string, the melody's first as the fit counts them, then the smallest.
KeyOffer NearestOctaveThatFits(const FittedScore& whole, int keyIndex, int shift)
{
    constexpr int kOctaveReach = 36;
    KeyOffer best = OfferAt(whole, keyIndex, shift);
    int bestMelody = MelodyMissingAt(whole, shift);
    for (int t = shift % 12 - kOctaveReach; t <= kOctaveReach; t += 12) {
        const KeyOffer o = OfferAt(whole, keyIndex, t);
        const int melody = MelodyMissingAt(whole, t);
        if (std::tuple(melody, o.missingNotes, std::abs(t)) <
            std::tuple(bestMelody, best.missingNotes, std::abs(best.transposition))) {
            best = o;
            bestMelody = melody;
        }
    }
    return best;
}

void HeldKeysFirst(const FittedScore& whole, std::vector<KeyOffer>& offers)
{
    if (!StringsOnePerSemitone(whole.frame))
        std::stable_partition(offers.begin(), offers.end(), [](const KeyOffer& o) { return o.missingNotes == 0; });
}

} // namespace

int MoveScoreToKey(Score& score, int applied, KeyChoice chosen, const ScoreFrame& frame, int lowestNote)
{
    if (chosen) {
        if (*chosen != applied)
            TransposeScore(score, *chosen - applied);
        return *chosen;
    }
    if (applied != 0)
        TransposeScore(score, -applied);
    return FitScoreToFrame(score, frame, lowestNote);
}


int MissingNotesAt(const FittedScore& whole, int transposition)
{
    int missing = MelodyMissingAt(whole, transposition);
    for (const LaidVoice& voice : whole.layout.voices)
        missing += VoiceNotesWithoutString(voice, whole.frame, transposition - whole.transposition);
    return missing;
}

int KeyIndexAt(int keyIndex, int applied, int transposition)
{
    const KeyEntry& now = KeyAt(keyIndex);
    return KeyIndexOf(now.mode, PitchClass(now.pitchClass + transposition - applied));
}

std::vector<KeyOffer> OfferKeys(const FittedScore& whole, int keyIndex)
{
    std::vector<KeyOffer> offers;
    for (int t = kMinOfferedShift; t <= kMaxOfferedShift; ++t)
        offers.push_back(OfferAt(whole, keyIndex, t));
    HeldKeysFirst(whole, offers);
    return offers;
}

std::vector<KeyOffer> OfferEachKey(const FittedScore& whole, int keyIndex)
{
    std::vector<KeyOffer> offers;
    for (int step = 0; step < 12; ++step)
        offers.push_back(NearestOctaveThatFits(whole, keyIndex, step));
    HeldKeysFirst(whole, offers);
    return offers;
}

std::optional<int> TranspositionForKey(const FittedScore& whole, int keyIndex, std::string_view name)
{
    const bool minor = name.size() >= 2 && name.back() == 'm';
    const std::string_view root = minor ? name.substr(0, name.size() - 1) : name;
    const bool wellFormed = root.size() == 1 || (root.size() == 2 && (root[1] == '#' || root[1] == 'b'));
    const int pitchClass = wellFormed ? FindNoteName(root) : -1;
    const KeyEntry& now = KeyAt(keyIndex);
    if (pitchClass < 0 || (minor ? KeyMode::Minor : KeyMode::Major) != now.mode)
        return std::nullopt;
    const int written = PitchClass(now.pitchClass - whole.transposition);
    return NearestOctaveThatFits(whole, keyIndex, PitchClass(pitchClass - written)).transposition;
}

std::string KeyName(int keyIndex)
{
    // Japanese names the letters C D E F G A B as ハ ニ ホ ヘ ト イ ロ, sharps 嬰, flats 変. Other
    // languages translate the whole tonic, a minor one apart: German names B flat "B" and a minor
    // tonic in small letters.
    static constexpr std::pair<char, const char*> kLetters[] = {{'C', "ハ"}, {'D', "ニ"}, {'E', "ホ"}, {'F', "ヘ"},
                                                                {'G', "ト"}, {'A', "イ"}, {'B', "ロ"}};
    [[maybe_unused]] static constexpr const char* kTonics[] = {
        QT_TRANSLATE_NOOP("MajorKey", "ハ"), QT_TRANSLATE_NOOP("MajorKey", "ニ"), QT_TRANSLATE_NOOP("MajorKey", "ホ"),
        QT_TRANSLATE_NOOP("MajorKey", "ヘ"), QT_TRANSLATE_NOOP("MajorKey", "ト"), QT_TRANSLATE_NOOP("MajorKey", "イ"),
        QT_TRANSLATE_NOOP("MajorKey", "ロ"), QT_TRANSLATE_NOOP("MajorKey", "嬰ハ"), QT_TRANSLATE_NOOP("MajorKey", "嬰ニ"),
        QT_TRANSLATE_NOOP("MajorKey", "嬰ホ"), QT_TRANSLATE_NOOP("MajorKey", "嬰ヘ"), QT_TRANSLATE_NOOP("MajorKey", "嬰ト"),
        QT_TRANSLATE_NOOP("MajorKey", "嬰イ"), QT_TRANSLATE_NOOP("MajorKey", "嬰ロ"), QT_TRANSLATE_NOOP("MajorKey", "変ハ"),
        QT_TRANSLATE_NOOP("MajorKey", "変ニ"), QT_TRANSLATE_NOOP("MajorKey", "変ホ"), QT_TRANSLATE_NOOP("MajorKey", "変ヘ"),
        QT_TRANSLATE_NOOP("MajorKey", "変ト"), QT_TRANSLATE_NOOP("MajorKey", "変イ"), QT_TRANSLATE_NOOP("MajorKey", "変ロ"),
        QT_TRANSLATE_NOOP("MinorKey", "ハ"), QT_TRANSLATE_NOOP("MinorKey", "ニ"), QT_TRANSLATE_NOOP("MinorKey", "ホ"),
        QT_TRANSLATE_NOOP("MinorKey", "ヘ"), QT_TRANSLATE_NOOP("MinorKey", "ト"), QT_TRANSLATE_NOOP("MinorKey", "イ"),
        QT_TRANSLATE_NOOP("MinorKey", "ロ"), QT_TRANSLATE_NOOP("MinorKey", "嬰ハ"), QT_TRANSLATE_NOOP("MinorKey", "嬰ニ"),
        QT_TRANSLATE_NOOP("MinorKey", "嬰ホ"), QT_TRANSLATE_NOOP("MinorKey", "嬰ヘ"), QT_TRANSLATE_NOOP("MinorKey", "嬰ト"),
        QT_TRANSLATE_NOOP("MinorKey", "嬰イ"), QT_TRANSLATE_NOOP("MinorKey", "嬰ロ"), QT_TRANSLATE_NOOP("MinorKey", "変ハ"),
        QT_TRANSLATE_NOOP("MinorKey", "変ニ"), QT_TRANSLATE_NOOP("MinorKey", "変ホ"), QT_TRANSLATE_NOOP("MinorKey", "変ヘ"),
        QT_TRANSLATE_NOOP("MinorKey", "変ト"), QT_TRANSLATE_NOOP("MinorKey", "変イ"), QT_TRANSLATE_NOOP("MinorKey", "変ロ")};
    const KeyEntry& key = KeyAt(keyIndex);
    const std::string_view name = key.name;
    std::string tonic;
    if (name.size() >= 2 && name[1] == '#')
        tonic = "嬰";
    else if (name.size() >= 2 && name[1] == 'b')
        tonic = "変";
    for (const auto& [letter, kana] : kLetters)
        if (!name.empty() && name[0] == letter)
            tonic += kana;
    const bool minor = key.mode == KeyMode::Minor;
    return FilledText(minor ? CoreText::translate("Key", "%1短調") : CoreText::translate("Key", "%1長調"),
                      {CoreText::translate(minor ? "MinorKey" : "MajorKey", tonic.c_str())});
}

std::string KeyOfferText(const KeyOffer& offer)
{
    const std::string missing =
        offer.missingNotes == 0 ? CoreText::translate("Key", "全音が弦にある")
                                : FilledText(CoreText::translate("Key", "%1音不足"), {std::to_string(offer.missingNotes)});
    return KeyName(offer.keyIndex) + " (" + KeyAt(offer.keyIndex).name + ") — " + missing;
}

std::string ShiftText(int semitones)
{
    if (semitones == 0)
        return "±0";
    return (semitones > 0 ? "+" : "−") + std::to_string(std::abs(semitones));
}
