#pragma once
// Song files carry their texts in code page 932 (Shift-JIS); they stay raw bytes inside the
// core and become UTF-8 only where they are shown.

#include <string>
#include <string_view>

// The lead-byte test of code page 932.
inline bool IsCp932LeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Converts CP932 bytes to UTF-8; bytes that do not convert become U+FFFD.
std::string Cp932ToUtf8(std::string_view cp932);

// Converts UTF-8 to CP932 for the project's own writers; characters without a CP932 form
// become '?'. Where the system has no converter, ASCII passes and every other character is
// one '?' (one U+FFFD the other way).
std::string Utf8ToCp932(std::string_view utf8);
// Tests make the converter unavailable while this is set.
void FailTextConversionForTests(bool fail);

// The text of a fixed-size field: up to its first NUL or the field's end.
std::string_view FieldText(const char* field, size_t size);

// The longest start of the CP932 text that fits in maxBytes without splitting a character.
std::string CutCp932(std::string_view cp932, size_t maxBytes);
