#include "render/KeyChoice.h"

#include "common/TextTranslation.h"
#include "render/ScoreGeometry.h"
#include "score/Score.h"
#include "song/CSongData.h"
#include "song/ChordNaming.h"

#include <algorithm>
#include <array>
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
    // Each entry of the key table by its Japanese name (ハ ニ ホ ヘ ト イ ロ for C D E F G A B,
    // sharps 嬰, flats 変), translated whole: German names B flat "B" and a minor tonic in small letters.
    static constexpr std::array<const char*, kKeyCount> kNames = {
        QT_TRANSLATE_NOOP("Key", "ハ長調"), QT_TRANSLATE_NOOP("Key", "ト長調"), QT_TRANSLATE_NOOP("Key", "ニ長調"),
        QT_TRANSLATE_NOOP("Key", "イ長調"), QT_TRANSLATE_NOOP("Key", "ホ長調"), QT_TRANSLATE_NOOP("Key", "ロ長調"),
        QT_TRANSLATE_NOOP("Key", "嬰ヘ長調"), QT_TRANSLATE_NOOP("Key", "嬰ハ長調"), QT_TRANSLATE_NOOP("Key", "ヘ長調"),
        QT_TRANSLATE_NOOP("Key", "変ロ長調"), QT_TRANSLATE_NOOP("Key", "変ホ長調"), QT_TRANSLATE_NOOP("Key", "変イ長調"),
        QT_TRANSLATE_NOOP("Key", "変ニ長調"), QT_TRANSLATE_NOOP("Key", "変ト長調"), QT_TRANSLATE_NOOP("Key", "変ハ長調"),
        QT_TRANSLATE_NOOP("Key", "イ短調"), QT_TRANSLATE_NOOP("Key", "ホ短調"), QT_TRANSLATE_NOOP("Key", "ロ短調"),
        QT_TRANSLATE_NOOP("Key", "嬰ヘ短調"), QT_TRANSLATE_NOOP("Key", "嬰ハ短調"), QT_TRANSLATE_NOOP("Key", "嬰ト短調"),
        QT_TRANSLATE_NOOP("Key", "嬰ニ短調"), QT_TRANSLATE_NOOP("Key", "嬰イ短調"), QT_TRANSLATE_NOOP("Key", "ニ短調"),
        QT_TRANSLATE_NOOP("Key", "ト短調"), QT_TRANSLATE_NOOP("Key", "ハ短調"), QT_TRANSLATE_NOOP("Key", "ヘ短調"),
        QT_TRANSLATE_NOOP("Key", "変ロ短調"), QT_TRANSLATE_NOOP("Key", "変ホ短調"), QT_TRANSLATE_NOOP("Key", "変イ短調"),
    };
    return CoreText::translate("Key", kNames[static_cast<size_t>(keyIndex >= 0 && keyIndex < kKeyCount ? keyIndex : 0)]);
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
