#include "common/XmlText.h"

namespace {

// Bytes of the forbidden character that starts at `at`, else 0.
size_t ForbiddenLength(std::string_view text, size_t at)
{
    const auto byte = [&](size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u; };
    const unsigned c = byte(at);
    if (c < 0x20)
        return c == '\t' || c == '\n' || c == '\r' ? 0 : 1;
    if (c == 0xED && byte(at + 1) >= 0xA0 && byte(at + 1) <= 0xBF)
        return at + 2 < text.size() ? 3 : text.size() - at; // U+D800..U+DFFF
    if (c == 0xEF && byte(at + 1) == 0xBF && (byte(at + 2) == 0xBE || byte(at + 2) == 0xBF))
        return 3; // U+FFFE, U+FFFF
    return 0;
}

} // namespace

std::string WithoutXmlForbidden(std::string_view utf8)
{
    std::string kept;
    kept.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        if (const size_t skip = ForbiddenLength(utf8, i)) {
            i += skip;
            continue;
        }
        kept += utf8[i++];
    }
    return kept;
}

std::string XmlEscaped(std::string_view utf8)
{
    std::string out;
    for (const char c : WithoutXmlForbidden(utf8)) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c;
        }
    }
    return out;
}
