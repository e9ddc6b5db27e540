#include "import/abc/AbcText.h"

#include <array>
#include <cstdint>

namespace {

struct Mnemonic {
    char mark;
    char letter;
    uint16_t codePoint;
};

// The accented letters of Latin-1 and the ligatures, as ABC writes them.
constexpr std::array<Mnemonic, 62> kMnemonics{{
    {'`', 'A', 0xC0}, {'`', 'E', 0xC8}, {'`', 'I', 0xCC}, {'`', 'O', 0xD2}, {'`', 'U', 0xD9},
    {'`', 'a', 0xE0}, {'`', 'e', 0xE8}, {'`', 'i', 0xEC}, {'`', 'o', 0xF2}, {'`', 'u', 0xF9},
    {'\'', 'A', 0xC1}, {'\'', 'E', 0xC9}, {'\'', 'I', 0xCD}, {'\'', 'O', 0xD3}, {'\'', 'U', 0xDA},
    {'\'', 'Y', 0xDD}, {'\'', 'a', 0xE1}, {'\'', 'e', 0xE9}, {'\'', 'i', 0xED}, {'\'', 'o', 0xF3},
    {'\'', 'u', 0xFA}, {'\'', 'y', 0xFD},
    {'^', 'A', 0xC2}, {'^', 'E', 0xCA}, {'^', 'I', 0xCE}, {'^', 'O', 0xD4}, {'^', 'U', 0xDB},
    {'^', 'a', 0xE2}, {'^', 'e', 0xEA}, {'^', 'i', 0xEE}, {'^', 'o', 0xF4}, {'^', 'u', 0xFB},
    {'~', 'A', 0xC3}, {'~', 'N', 0xD1}, {'~', 'O', 0xD5}, {'~', 'a', 0xE3}, {'~', 'n', 0xF1},
    {'~', 'o', 0xF5},
    {'"', 'A', 0xC4}, {'"', 'E', 0xCB}, {'"', 'I', 0xCF}, {'"', 'O', 0xD6}, {'"', 'U', 0xDC},
    {'"', 'a', 0xE4}, {'"', 'e', 0xEB}, {'"', 'i', 0xEF}, {'"', 'o', 0xF6}, {'"', 'u', 0xFC},
    {'"', 'y', 0xFF},
    {'c', 'C', 0xC7}, {'c', 'c', 0xE7}, {'o', 'A', 0xC5}, {'o', 'a', 0xE5}, {'/', 'O', 0xD8},
    {'/', 'o', 0xF8}, {'s', 's', 0xDF}, {'A', 'E', 0xC6}, {'a', 'e', 0xE6}, {'O', 'E', 0x152},
    {'o', 'e', 0x153}, {'A', 'A', 0xC5}, {'a', 'a', 0xE5},
}};

void AppendCodePoint(std::string& out, uint32_t cp)
{
    if (cp == 0 || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Length of the valid UTF-8 sequence at text[i], or 0 when the byte does not start one.
size_t Utf8SequenceLength(std::string_view text, size_t i)
{
    const auto b = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    const uint8_t lead = b(i);
    size_t length = 0;
    uint32_t cp = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, cp = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() - i < length)
        return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((b(i + k) & 0xC0) != 0x80)
            return 0;
        cp = cp << 6 | (b(i + k) & 0x3F);
    }
    const bool overlong = (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
    const bool invalid = (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF;
    return overlong || invalid ? 0 : length;
}

// \uXXXX and \UXXXXXXXX; returns the characters read after the backslash, 0 when none.
size_t ReadUnicodeEscape(std::string_view text, size_t i, std::string& out)
{
    const size_t digits = text[i] == 'u' ? 4 : 8;
    if (text.size() - i - 1 < digits)
        return 0;
    uint32_t cp = 0;
    for (size_t k = 1; k <= digits; ++k) {
        const char c = text[i + k];
        const int v = c >= '0' && c <= '9' ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
        if (v < 0)
            return 0;
        cp = cp << 4 | static_cast<uint32_t>(v);
    }
    AppendCodePoint(out, cp);
    return digits + 1;
}

// The escape after a backslash at text[i - 1]; returns the characters read, 0 when none.
size_t ReadEscape(std::string_view text, size_t i, std::string& out)
{
    if (i >= text.size())
        return 0;
    const char c = text[i];
    if (c == '\\' || c == '%' || c == '&') {
        out += c;
        return 1;
    }
    if (c == 'u' || c == 'U') {
        if (const size_t n = ReadUnicodeEscape(text, i, out))
            return n;
    }
    if (i + 1 < text.size()) {
        for (const Mnemonic& m : kMnemonics)
            if (m.mark == c && m.letter == text[i + 1]) {
                AppendCodePoint(out, m.codePoint);
                return 2;
            }
    }
    if (c == '"') {
        out += c;
        return 1;
    }
    return 0;
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

} // namespace

std::string_view AbcTrim(std::string_view text)
{
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view AbcStripComment(std::string_view line)
{
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\')
            ++i;
        else if (line[i] == '%')
            return AbcTrim(line.substr(0, i));
    }
    return AbcTrim(line);
}

std::string AbcTextToUtf8(std::string_view raw)
{
    std::string out;
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size();) {
        const auto byte = static_cast<uint8_t>(raw[i]);
        if (byte == '\\') {
            const size_t n = ReadEscape(raw, i + 1, out);
            if (n == 0)
                out += '\\';
            i += 1 + n;
        } else if (byte < 0x80) {
            out += byte != 0 ? static_cast<char>(byte) : ' ';
            ++i;
        } else if (const size_t n = Utf8SequenceLength(raw, i)) {
            out.append(raw.substr(i, n));
            i += n;
        } else {
            AppendCodePoint(out, byte); // Latin-1
            ++i;
        }
    }
    return out;
}


