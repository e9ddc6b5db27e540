#include "import/abc/AbcFields.h"

#include "import/abc/AbcLimits.h"
#include "import/abc/AbcText.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <vector>

namespace {

struct Mode {
    const char* name; // first three letters
    int fifths;       // relative to the major key on the same tonic
    bool minor;
    std::optional<ChurchMode> church; // the modes that are named so
};

constexpr std::array<Mode, 9> kModes{{
    {"maj", 0, false, std::nullopt},
    {"ion", 0, false, ChurchMode::Ionian},
    {"mix", -1, false, ChurchMode::Mixolydian},
    {"lyd", 1, false, ChurchMode::Lydian},
    {"min", -3, true, std::nullopt},
    {"aeo", -3, true, ChurchMode::Aeolian},
    {"dor", -2, true, ChurchMode::Dorian},
    {"phr", -4, true, ChurchMode::Phrygian},
    {"loc", -5, true, ChurchMode::Locrian},
}};

constexpr std::array<int, 7> kTonicFifths{0, 2, 4, -1, 1, 3, 5}; // C D E F G A B
constexpr std::array<int, 7> kSharpOrder{3, 0, 4, 1, 5, 2, 6};   // F C G D A E B
constexpr std::array<int, 7> kFlatOrder{6, 2, 5, 1, 4, 0, 3};    // B E A D G C F

int LetterIndex(char c)
{
    switch (std::toupper(static_cast<unsigned char>(c))) {
    case 'C': return 0;
    case 'D': return 1;
    case 'E': return 2;
    case 'F': return 3;
    case 'G': return 4;
    case 'A': return 5;
    case 'B': return 6;
    default: return -1;
    }
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// Words separated by blanks; a quoted value ("name=\"Tenor I\"") stays one word.
std::vector<std::string_view> Words(std::string_view text)
{
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
        const size_t start = i;
        bool quoted = false;
        while (i < text.size() && (quoted || !std::isspace(static_cast<unsigned char>(text[i]))))
            quoted ^= text[i++] == '"';
        if (i > start)
            words.push_back(text.substr(start, i - start));
    }
    return words;
}

// A whole number with an optional sign; false when the text is anything else.
bool ParseInt(std::string_view text, int& value)
{
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+'))
        negative = text[0] == '-', text.remove_prefix(1);
    if (text.empty() || text.size() > 6)
        return false;
    value = 0;
    for (const char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
        value = value * 10 + (c - '0');
    }
    value = negative ? -value : value;
    return true;
}

const Mode* FindMode(std::string_view word)
{
    if (word.size() == 1 && (word[0] == 'm' || word[0] == 'M'))
        return &kModes[4];
    if (word.size() < 3 || !std::all_of(word.begin(), word.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); }))
        return nullptr;
    for (const Mode& m : kModes)
        if (EqualsNoCase(word.substr(0, 3), m.name))
            return &m;
    return nullptr;
}

bool IsClefName(std::string_view name)
{
    while (!name.empty() && (std::isdigit(static_cast<unsigned char>(name.back())) || name.back() == '+' || name.back() == '-'))
        name.remove_suffix(1);
    for (const char* known : {"treble", "bass", "alto", "tenor", "baritone", "soprano", "mezzosoprano", "perc", "none"})
        if (EqualsNoCase(name, known))
            return true;
    return false;
}

// One word of clef settings; false when it is none.
bool ReadClefWord(std::string_view word, AbcClef& clef)
{
    const size_t eq = word.find('=');
    const std::string_view name = eq == std::string_view::npos ? word : word.substr(0, eq);
    const std::string_view value = eq == std::string_view::npos ? std::string_view() : word.substr(eq + 1);
    if (eq == std::string_view::npos ? IsClefName(word) : EqualsNoCase(name, "clef")) {
        const std::string_view clefName = eq == std::string_view::npos ? word : value;
        clef.clefGiven = true;
        clef.clefShift = clefName.ends_with("+8") ? 12 : clefName.ends_with("-8") ? -12 : 0;
        return true;
    }
    if (EqualsNoCase(name, "octave")) {
        int octaves = 0;
        if (ParseInt(value, octaves) && std::abs(octaves) <= kAbcMaxOctaveShift)
            clef.octaveGiven = true, clef.octaveShift = 12 * octaves;
        return true;
    }
    return eq != std::string_view::npos; // transpose=, middle=, name=, stafflines=, ...
}

void SignatureOf(int fifths, std::array<int, 7>& accidentals)
{
    accidentals.fill(0);
    const auto& order = fifths > 0 ? kSharpOrder : kFlatOrder;
    for (int i = 0; i < std::abs(fifths); ++i)
        accidentals[order[i % 7]] += fifths > 0 ? 1 : -1;
}

// The tonic word: "G", "F#", "Bbm", "Dmix", "HP", "none". Returns false when it is not one.
bool ReadTonic(std::string_view word, std::string_view nextWord, AbcKey& key, bool& usedNext)
{
    usedNext = false;
    if (EqualsNoCase(word, "none") || word == "HP") {
        key.named = key.none = true;
        return true;
    }
    if (word == "Hp") { // pipes: F and C sharp, G natural
        key.named = true;
        key.fifths = 2;
        SignatureOf(2, key.accidentals);
        return true;
    }
    const int letter = LetterIndex(word.empty() ? ' ' : word[0]);
    if (letter < 0)
        return false;
    int fifths = kTonicFifths[letter];
    std::string_view rest = word.substr(1);
    if (!rest.empty() && (rest[0] == '#' || rest[0] == 'b'))
        fifths += rest[0] == '#' ? 7 : -7, rest.remove_prefix(1);
    const Mode* mode = rest.empty() ? &kModes[0] : FindMode(rest);
    if (!mode)
        return false;
    if (rest.empty())
        if (const Mode* separate = FindMode(nextWord))
            mode = separate, usedNext = true;
    fifths += mode->fifths;
    key.named = true;
    key.minor = mode->minor;
    key.mode = mode->church;
    SignatureOf(fifths, key.accidentals);
    key.fifths = fifths > 7 ? fifths - 12 : fifths < -7 ? fifths + 12 : fifths;
    return true;
}

// The first word of K: names the key unless it is a clef, a setting or an accidental.
bool MayBeTonic(std::string_view word)
{
    if (EqualsNoCase(word, "none"))
        return true;
    const bool accidental = word[0] == '^' || word[0] == '_' || word[0] == '=';
    return !IsClefName(word) && word.find('=') == std::string_view::npos && !accidental && word != "exp";
}

// "^f", "^^f", "_b", "__b", "=c": the letter's index, or -1 when the word is not one.
int ReadKeyAccidental(std::string_view word, int& value)
{
    size_t marks = 0;
    if (word.starts_with("^^") || word.starts_with("__"))
        value = word[0] == '^' ? 2 : -2, marks = 2;
    else if (!word.empty() && (word[0] == '^' || word[0] == '_' || word[0] == '='))
        value = word[0] == '^' ? 1 : word[0] == '_' ? -1 : 0, marks = 1;
    return marks > 0 && word.size() == marks + 1 ? LetterIndex(word[marks]) : -1;
}

// "^f^c_B": one word per accidental; false when the text is anything else.
bool SplitAccidentals(std::string_view run, std::vector<std::string_view>& out)
{
    std::vector<std::string_view> found;
    while (!run.empty()) {
        const size_t marks = run.starts_with("^^") || run.starts_with("__") ? 2 : 1;
        int value = 0;
        if (run.size() <= marks || ReadKeyAccidental(run.substr(0, marks + 1), value) < 0)
            return false;
        found.push_back(run.substr(0, marks + 1));
        run.remove_prefix(marks + 1);
    }
    out.insert(out.end(), found.begin(), found.end());
    return true;
}

// The words of K:, with accidentals written together ("^f^c", or after the tonic as in
// "C^f^c^a", common in collections of klezmer tunes) taken one by one.
std::vector<std::string_view> KeyWords(std::string_view text)
{
    std::vector<std::string_view> words;
    for (const std::string_view word : Words(text)) {
        const size_t at = word.find_first_of("^_=");
        AbcKey probe;
        bool usedNext = false;
        const bool afterTonic = at != std::string_view::npos && at > 0 && words.empty() &&
                                ReadTonic(word.substr(0, at), {}, probe, usedNext);
        if (afterTonic)
            words.push_back(word.substr(0, at));
        if ((at == 0 || afterTonic) && SplitAccidentals(word.substr(at), words))
            continue;
        if (afterTonic)
            words.pop_back();
        words.push_back(word);
    }
    return words;
}

// The beat of a tempo in whole notes: "1/4", "3/8", "1/4 3/8" (added up), or in older
// files "C" and "C2" as multiples of the unit length. 0 when unreadable.
double BeatOf(std::string_view text, AbcFraction unit)
{
    double beat = 0;
    for (const std::string_view word : Words(text)) {
        AbcFraction f{1, 1};
        int times = 1;
        if (word[0] == 'C' || word[0] == 'L') {
            if (word.size() > 1 && !ParseInt(word.substr(1), times))
                return 0;
            beat += double(unit.num) * times / unit.den;
        } else if (ParseAbcUnitLength(word, f)) {
            beat += double(f.num) / f.den;
        } else {
            return 0;
        }
    }
    return beat;
}

} // namespace

void AbcClef::Update(const AbcClef& later)
{
    if (later.clefGiven)
        clefGiven = true, clefShift = later.clefShift;
    if (later.octaveGiven)
        octaveGiven = true, octaveShift = later.octaveShift;
}

bool ParseAbcMeter(std::string_view text, AbcMeter& meter)
{
    text = AbcTrim(text);
    if (text.empty() || EqualsNoCase(text, "none")) {
        meter = AbcMeter{};
        return true;
    }
    if (text == "C" || text == "C|") {
        meter = AbcMeter{false, text == "C" ? 4 : 2, text == "C" ? 4 : 2};
        return true;
    }
    std::string_view rest = text[0] == '(' ? text.substr(1) : text;
    int numerator = 0;
    for (;;) { // "(2+3)/8" and "2+3+2/8" add up their terms
        int term = 0;
        size_t digits = 0;
        while (digits < rest.size() && std::isdigit(static_cast<unsigned char>(rest[digits])))
            term = std::min(term * 10 + (rest[digits++] - '0'), kAbcMaxMeterTerm + 1);
        if (digits == 0)
            return false;
        numerator = std::min(numerator + term, kAbcMaxMeterTerm + 1);
        rest.remove_prefix(digits);
        if (rest.empty() || rest[0] != '+')
            break;
        rest.remove_prefix(1);
    }
    if (!rest.empty() && rest[0] == ')')
        rest.remove_prefix(1);
    if (rest.empty() || rest[0] != '/')
        return false;
    const std::vector<std::string_view> after = Words(rest.substr(1));
    int denominator = 0;
    if (after.empty() || !ParseInt(after[0], denominator))
        return false;
    const bool powerOfTwo = denominator > 0 && (denominator & (denominator - 1)) == 0;
    if (numerator < 1 || numerator > kAbcMaxMeterTerm || !powerOfTwo || denominator > kAbcMaxMeterTerm)
        return false;
    meter = AbcMeter{false, numerator, denominator};
    return true;
}

bool ParseAbcUnitLength(std::string_view text, AbcFraction& unit)
{
    const std::vector<std::string_view> words = Words(text);
    if (words.empty())
        return false;
    const std::string_view word = words[0];
    const size_t slash = word.find('/');
    int num = 0, den = 1;
    if (!ParseInt(word.substr(0, slash), num) || (slash != std::string_view::npos && !ParseInt(word.substr(slash + 1), den)))
        return false;
    if (num < 1 || den < 1 || num > kAbcMaxLengthTerm || den > kAbcMaxLengthTerm)
        return false;
    unit = AbcFraction{num, den};
    return true;
}

double ParseAbcTempo(std::string_view text, AbcFraction unit)
{
    std::string plain; // without its quoted words
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"') {
            const size_t close = text.find('"', i + 1);
            i = close == std::string_view::npos ? text.size() : close;
        } else {
            plain += text[i];
        }
    }
    const std::string_view rest = AbcTrim(plain);
    if (rest.empty())
        return 0;
    const size_t eq = rest.find('=');
    const double beat = eq == std::string_view::npos ? double(unit.num) / unit.den : BeatOf(rest.substr(0, eq), unit);
    if (beat <= 0)
        return -1;
    const std::vector<std::string_view> count = Words(eq == std::string_view::npos ? rest : rest.substr(eq + 1));
    int perMinute = 0;
    if (count.empty() || !ParseInt(count[0], perMinute))
        return -1;
    const double quarters = perMinute * beat * 4;
    return quarters > 0 && quarters <= kAbcMaxTempo ? quarters : -1;
}

bool ParseAbcKey(std::string_view text, AbcKey& key, AbcClef& clef)
{
    const std::vector<std::string_view> words = KeyWords(text);
    key = AbcKey{};
    bool readable = true;
    size_t i = 0;
    if (!words.empty() && MayBeTonic(words[0])) {
        bool usedNext = false;
        readable = ReadTonic(words[0], words.size() > 1 ? words[1] : std::string_view(), key, usedNext);
        i = usedNext ? 2 : 1;
    }
    bool explicitOnly = false;
    std::array<int, 7> given{};
    std::array<bool, 7> isGiven{};
    for (; i < words.size(); ++i) {
        int value = 0;
        if (words[i] == "exp") {
            explicitOnly = true;
        } else if (const int letter = ReadKeyAccidental(words[i], value); letter >= 0) {
            given[letter] = value;
            isGiven[letter] = true;
        } else {
            ReadClefWord(words[i], clef);
        }
    }
    if (explicitOnly || key.none)
        key.accidentals.fill(0);
    for (int k = 0; k < 7; ++k)
        if (isGiven[k])
            key.accidentals[k] = given[k], key.named = true;
    return readable;
}

std::string_view ParseAbcVoice(std::string_view text, AbcClef& clef)
{
    const std::vector<std::string_view> words = Words(text);
    for (size_t i = 1; i < words.size(); ++i)
        ReadClefWord(words[i], clef);
    return words.empty() ? std::string_view() : words[0];
}

std::string_view ParseAbcVoiceName(std::string_view text)
{
    const std::vector<std::string_view> words = Words(text);
    for (const std::string_view key : {std::string_view("name"), std::string_view("nm")})
        for (size_t i = 1; i < words.size(); ++i) {
            const size_t eq = words[i].find('=');
            if (eq == std::string_view::npos || !EqualsNoCase(words[i].substr(0, eq), key))
                continue;
            std::string_view value = words[i].substr(eq + 1);
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
                value = value.substr(1, value.size() - 2);
            return value;
        }
    return {};
}
