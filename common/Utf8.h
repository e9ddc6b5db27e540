#pragma once
// UTF-8 text helpers shared by the messages and the score readers.

#include <cstddef>
#include <string>

// Cuts valid UTF-8 to at most maxBytes without splitting a character.
inline std::string CutUtf8(std::string text, size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    text.resize(end);
    return text;
}
