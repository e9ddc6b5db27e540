#include "import/abc/AbcTokenizer.h"

#include "import/abc/AbcLimits.h"

#include <algorithm>

namespace {

// Numbers are kept saturated far above every limit, so a reader can still tell "too big".
constexpr int kSaturatedNumber = 1000000;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNoteLetter(char c) { return (c >= 'A' && c <= 'G') || (c >= 'a' && c <= 'g'); }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Single-character decorations: the standard ones and the letters users may redefine.
bool IsDecorationSymbol(char c)
{
    return c == '.' || c == '~' || (c >= 'H' && c <= 'W') || (c >= 'h' && c <= 'w');
}

int SaturatedProduct(int a, int b)
{
    return static_cast<int>(std::min<int64_t>(int64_t(a) * b, kSaturatedNumber));
}

} // namespace

bool AbcTokenizer::Next(AbcToken& token)
{
    for (;;) {
        if (!SkipSilent())
            return false;
        token = AbcToken{};
        const char c = Peek();
        if (c == '!' || c == '+') {
            if (ReadDelimited(c, AbcTokenKind::Decoration, token, true))
                return true;
            if (c == '!') { // an old-style line break, not a decoration
                ++pos;
                continue;
            }
            ReadUnknown(token);
        } else if (c == '"') {
            if (!ReadDelimited('"', AbcTokenKind::ChordSymbol, token, false))
                ReadRestOfLine(token);
        } else if (c == '{') {
            if (!ReadDelimited('}', AbcTokenKind::Grace, token, false))
                ReadRestOfLine(token);
        } else if (c == '[') {
            ReadBracketed(token);
        } else if (c == ']') {
            ++pos;
            token.kind = AbcTokenKind::ChordEnd;
            ReadLength(token);
        } else if (c == '|' || (c == ':' && (Peek(1) == '|' || Peek(1) == ':')) || (c == '.' && Peek(1) == '|')) {
            ReadBar(token);
        } else if (c == '(') {
            ReadTuplet(token);
        } else if (c == '-') {
            ++pos;
            token.kind = AbcTokenKind::Tie;
        } else if (c == '>' || c == '<') {
            token.kind = AbcTokenKind::Broken;
            token.direction = c;
            while (Peek() == c)
                ++pos, ++token.count;
        } else if (c == '&') {
            ++pos;
            token.kind = AbcTokenKind::Overlay;
        } else if (c == '^' || c == '_' || c == '=' || IsNoteLetter(c)) {
            ReadNote(token);
        } else if (c == 'z' || c == 'x' || c == 'Z' || c == 'X') {
            ReadRest(token);
        } else if (IsDecorationSymbol(c)) {
            token.kind = AbcTokenKind::Decoration;
            token.text = line.substr(pos++, 1);
        } else {
            ReadUnknown(token);
        }
        return true;
    }
}

// Skips what carries no meaning for a melody: spaces (beams), slurs, spacers, line breaks.
bool AbcTokenizer::SkipSilent()
{
    while (pos < line.size()) {
        const char c = line[pos];
        if (IsBlank(c) || c == '`' || c == '$' || c == ')' || (c == '(' && !IsDigit(Peek(1)))) {
            ++pos;
        } else if (c == 'y') {
            ++pos;
            while (IsDigit(Peek()) || Peek() == '/')
                ++pos;
        } else if (c == '%') {
            pos = line.size();
        } else if (c == '\\') {
            size_t k = pos + 1;
            while (k < line.size() && IsBlank(line[k]))
                ++k;
            if (k < line.size() && line[k] != '%')
                return true; // a stray backslash, not a continuation
            pos = line.size();
        } else {
            return true;
        }
    }
    return false;
}

void AbcTokenizer::ReadNote(AbcToken& token)
{
    const size_t start = pos;
    if (Peek() == '=') {
        token.accidental = 0;
        ++pos;
    } else if (Peek() == '^' || Peek() == '_') {
        const char sign = Peek();
        token.accidental = 0;
        while (Peek() == sign && token.accidental * token.accidental < 4)
            token.accidental += sign == '^' ? 1 : -1, ++pos;
        while (IsDigit(Peek()) || Peek() == '/') // a microtone: kept as the nearest semitone
            ++pos;
    }
    if (!IsNoteLetter(Peek())) {
        token.kind = AbcTokenKind::Unknown;
        token.text = line.substr(start, pos - start);
        return;
    }
    token.kind = AbcTokenKind::Note;
    token.letter = line[pos++];
    for (;; ++pos) {
        if (Peek() == '\'')
            token.octaveMarks = std::min(token.octaveMarks + 1, kSaturatedNumber);
        else if (Peek() == ',')
            token.octaveMarks = std::max(token.octaveMarks - 1, -kSaturatedNumber);
        else
            break;
    }
    ReadLength(token);
}

void AbcTokenizer::ReadLength(AbcToken& token)
{
    token.lengthNum = ReadNumber(1);
    token.lengthDen = 1;
    while (Peek() == '/') {
        ++pos;
        token.lengthDen = SaturatedProduct(token.lengthDen, IsDigit(Peek()) ? ReadNumber(1) : 2);
    }
}

int AbcTokenizer::ReadNumber(int fallback)
{
    if (!IsDigit(Peek()))
        return fallback;
    int value = 0;
    while (IsDigit(Peek()))
        value = std::min(value * 10 + (line[pos++] - '0'), kSaturatedNumber);
    return value;
}

void AbcTokenizer::ReadRest(AbcToken& token)
{
    const char c = line[pos++];
    token.invisible = c == 'x' || c == 'X';
    if (c == 'Z' || c == 'X') {
        token.kind = AbcTokenKind::MeasureRest;
        token.lengthNum = ReadNumber(1);
    } else {
        token.kind = AbcTokenKind::Rest;
        ReadLength(token);
    }
}

void AbcTokenizer::ReadBar(AbcToken& token)
{
    token.kind = AbcTokenKind::Bar;
    if (Peek() == '.')
        token.dotted = true, ++pos;
    int lines = 0;
    for (;;) {
        const char c = Peek();
        if (c == ':') {
            ++(lines == 0 ? token.repeatEnds : token.repeatStarts);
        } else if (c == '|') {
            ++lines;
            token.repeatStarts = 0; // colons between two lines end a repeat
        } else if (c == ']' && pos > 0 && line[pos - 1] == '|') {
            token.thick = true;
        } else if (c == '[' && Peek(1) == '|') {
            token.thick = true;
        } else {
            break;
        }
        ++pos;
    }
    if (lines == 0) // "::" alone ends one repeat and starts the next
        token.repeatEnds = token.repeatStarts = 1;
    token.thick = token.thick || lines >= 2;
    if (IsDigit(Peek()))
        ReadEndings(token);
}

// "1", "1,3", "1-3", "1,3-4".
void AbcTokenizer::ReadEndings(AbcToken& token)
{
    int low = 0;
    bool range = false;
    while (IsDigit(Peek())) {
        const int n = ReadNumber(0);
        const int from = range ? std::min(low, n) : n;
        const int to = std::min(range ? std::max(low, n) : n, kAbcMaxEndingNumber);
        for (int k = std::max(from, 1); k <= to; ++k)
            token.endings |= 1u << k;
        low = n;
        range = Peek() == '-' && IsDigit(Peek(1));
        if (!(range || (Peek() == ',' && IsDigit(Peek(1)))))
            break;
        ++pos;
    }
}

void AbcTokenizer::ReadTuplet(AbcToken& token)
{
    ++pos;
    token.kind = AbcTokenKind::Tuplet;
    token.p = ReadNumber(0);
    if (Peek() == ':') {
        ++pos;
        token.q = ReadNumber(0);
        if (Peek() == ':') {
            ++pos;
            token.r = ReadNumber(0);
        }
    }
}

void AbcTokenizer::ReadBracketed(AbcToken& token)
{
    if (IsLetter(Peek(1)) && Peek(2) == ':') {
        const size_t close = line.find(']', pos);
        if (close == std::string_view::npos)
            return ReadRestOfLine(token);
        token.kind = AbcTokenKind::InlineField;
        token.fieldLetter = Peek(1);
        token.text = line.substr(pos + 3, close - pos - 3);
        pos = close + 1;
    } else if (Peek(1) == '|') {
        ReadBar(token);
    } else if (IsDigit(Peek(1))) {
        ++pos;
        token.kind = AbcTokenKind::Ending;
        ReadEndings(token);
    } else {
        ++pos;
        token.kind = AbcTokenKind::ChordStart;
    }
}

// Text between an opening character at pos and `close` on the same line. Decoration names
// are short and have no blanks; anything else is not a decoration.
bool AbcTokenizer::ReadDelimited(char close, AbcTokenKind kind, AbcToken& token, bool nameOnly)
{
    const size_t end = line.find(close, pos + 1);
    if (end == std::string_view::npos)
        return false;
    const std::string_view inner = line.substr(pos + 1, end - pos - 1);
    if (nameOnly && (inner.empty() || inner.size() > kAbcMaxDecorationBytes ||
                     std::any_of(inner.begin(), inner.end(), IsBlank)))
        return false;
    token.kind = kind;
    token.text = inner;
    pos = end + 1;
    return true;
}

// An opening without its close: the rest of the line is no music.
void AbcTokenizer::ReadRestOfLine(AbcToken& token)
{
    token.kind = AbcTokenKind::Unknown;
    token.text = line.substr(pos);
    pos = line.size();
}

// One character; a UTF-8 sequence counts as one.
void AbcTokenizer::ReadUnknown(AbcToken& token)
{
    const size_t start = pos++;
    while (pos < line.size() && (static_cast<uint8_t>(line[pos]) & 0xC0) == 0x80 && pos - start < 4)
        ++pos;
    token.kind = AbcTokenKind::Unknown;
    token.text = line.substr(start, pos - start);
}
