// XML text in UTF-16 or UTF-32 that the parser would not recognise by itself, told from the
// file's first bytes.

#include "import/musicxml/MusicXmlReader.h"

#include <algorithm>
#include <cstring>

namespace {

// Whether the text, in code units of `width` bytes in the given order, starts with markup
// after any blanks: a "<" followed by "?", "!" or "s".
bool StartsWithMarkup(const std::vector<uint8_t>& bytes, size_t width, XmlByteOrder order)
{
    // The ASCII character of the unit at i, or 0 when the unit is none.
    auto character = [&](size_t i) -> uint8_t {
        if (i + width > bytes.size())
            return 0;
        uint8_t ascii = 0;
        for (size_t k = 0; k < width; ++k) {
            const uint8_t b = bytes[i + (order == XmlByteOrder::LittleEndian ? k : width - 1 - k)];
            if (k == 0 ? b == 0 : b != 0)
                return 0;
            if (k == 0)
                ascii = b;
        }
        return ascii < 0x80 ? ascii : 0;
    };
    size_t at = 0;
    while (character(at) != 0 && std::strchr(" \t\r\n", character(at)))
        at += width;
    return character(at) == '<' && character(at + width) != 0 && std::strchr("?!s", character(at + width));
}

} // namespace

XmlByteOrder XmlInUtf16WithoutMark(const std::vector<uint8_t>& bytes)
{
    for (const XmlByteOrder order : {XmlByteOrder::LittleEndian, XmlByteOrder::BigEndian})
        if (StartsWithMarkup(bytes, 2, order))
            return order;
    return XmlByteOrder::None;
}

XmlByteOrder XmlInUtf32(const std::vector<uint8_t>& bytes)
{
    static constexpr uint8_t kLittleMark[] = {0xFF, 0xFE, 0, 0}, kBigMark[] = {0, 0, 0xFE, 0xFF};
    if (bytes.size() >= 4 && std::equal(kLittleMark, kLittleMark + 4, bytes.begin()))
        return XmlByteOrder::LittleEndian;
    if (bytes.size() >= 4 && std::equal(kBigMark, kBigMark + 4, bytes.begin()))
        return XmlByteOrder::BigEndian;
    for (const XmlByteOrder order : {XmlByteOrder::LittleEndian, XmlByteOrder::BigEndian})
        if (StartsWithMarkup(bytes, 4, order))
            return order;
    return XmlByteOrder::None;
}
