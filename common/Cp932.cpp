#include "common/Cp932.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace {

// One descriptor per direction and thread, opened once: opening one costs more than
// converting a lyric.
class Converter {
public:
    Converter(const char* to, const char* from) : cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (Valid())
            iconv_close(cd);
    }
    bool Valid() const { return cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t cd;
};

std::atomic<bool> g_failConversion{false};

iconv_t Descriptor(bool utf8Input)
{
    if (g_failConversion)
        return reinterpret_cast<iconv_t>(-1);
    thread_local Converter toUtf8("UTF-8", "CP932"), toCp932("CP932", "UTF-8");
    Converter& c = utf8Input ? toCp932 : toUtf8;
    if (c.Valid())
        iconv(c.cd, nullptr, nullptr, nullptr, nullptr); // back to the initial state
    return c.cd;
}

// Input bytes of the character that starts at `in`: a UTF-8 lead with its continuation
// bytes, a CP932 lead with its trail byte.
size_t CharacterBytes(const char* in, size_t inLeft, bool utf8Input)
{
    size_t skip = 1;
    if (utf8Input) {
        while (skip < inLeft && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80)
            ++skip;
    } else if (IsCp932LeadByte(static_cast<unsigned char>(*in)) && inLeft >= 2) {
        skip = 2;
    }
    return skip;
}

// Without a converter only ASCII is the same in both encodings; every other character is
// replaced whole, so no cut can split it later.
std::string ConvertAsciiOnly(std::string_view input, std::string_view replacement, bool utf8Input)
{
    std::string out;
    for (size_t at = 0; at < input.size();) {
        const auto c = static_cast<unsigned char>(input[at]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++at;
            continue;
        }
        out.append(replacement);
        at += CharacterBytes(input.data() + at, input.size() - at, utf8Input);
    }
    return out;
}

// Runs iconv over the whole input; an unconvertible sequence is replaced and skipped by
// the given number of input bytes (one character).
std::string Convert(std::string_view input, std::string_view replacement, bool utf8Input)
{
    // ASCII is the same in both: most texts (and every empty one) need no converter at all.
    if (std::all_of(input.begin(), input.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(input);
    iconv_t cd = Descriptor(utf8Input);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return ConvertAsciiOnly(input, replacement, utf8Input);
    std::string out;
    out.reserve(input.size() * 2);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char buffer[256];
    while (inLeft > 0) {
        char* o = buffer;
        size_t oLeft = sizeof buffer;
        const size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(buffer, o - buffer);
        if (r != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL: replace one character and go on.
        out.append(replacement);
        const size_t skip = CharacterBytes(in, inLeft, utf8Input);
        in += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

} // namespace

void FailTextConversionForTests(bool fail)
{
    g_failConversion = fail;
}

std::string Cp932ToUtf8(std::string_view cp932)
{
    return Convert(cp932, "\xEF\xBF\xBD", false);
}

std::string Utf8ToCp932(std::string_view utf8)
{
    return Convert(utf8, "?", true);
}

std::string_view FieldText(const char* field, size_t size)
{
    const void* nul = std::memchr(field, 0, size);
    return std::string_view(field, nul ? static_cast<const char*>(nul) - field : size);
}

std::string CutCp932(std::string_view cp932, size_t maxBytes)
{
    size_t end = 0;
    while (end < cp932.size()) {
        const size_t width = (IsCp932LeadByte(static_cast<unsigned char>(cp932[end])) && end + 1 < cp932.size()) ? 2 : 1;
        if (end + width > maxBytes)
            break;
        end += width;
    }
    return std::string(cp932.substr(0, end));
}
