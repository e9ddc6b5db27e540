#pragma once
// Splits one line of ABC music into tokens. It knows characters only: what a note sounds
// like or how long it lasts is decided by AbcMusicReader.

#include <cstdint>
#include <string_view>

enum class AbcTokenKind : uint8_t {
    Note,        // letter, accidental, octaveMarks, length
    Rest,        // z (x: invisible), length
    MeasureRest, // Z (X: invisible); lengthNum is the measure count
    ChordStart,  // [
    ChordEnd,    // ], length applies to the chord
    Tie,         // -
    Broken,      // > or <, count
    Tuplet,      // (p:q:r, 0 where a number was left out
    Bar,         // repeat marks, thick, dotted, endings
    Ending,      // [1 without a bar line
    ChordSymbol, // "text" (chord name or annotation)
    InlineField, // [K:G]: fieldLetter, text
    Grace,       // {...}, already skipped
    Decoration,  // !trill!, +trill+, .~HLMOPSTuv and the other symbol letters; text is the name
    Overlay,     // &
    Unknown,     // a character that means nothing here; text holds it
};

struct AbcToken {
    static constexpr int kNoAccidental = 100;

    AbcTokenKind kind = AbcTokenKind::Unknown;
    char letter = 0;                  // as written: 'A'..'G' or 'a'..'g'
    int accidental = kNoAccidental;   // -2..2; 0 is a natural sign
    int octaveMarks = 0;              // one per ', minus one per ,
    int lengthNum = 1;                // numbers of a length, saturated above kAbcMaxLengthTerm
    int lengthDen = 1;
    bool invisible = false;           // x, X
    int count = 0;                    // broken rhythm
    char direction = 0;               // '>' or '<'
    int p = 0, q = 0, r = 0;          // tuplet
    int repeatEnds = 0;               // colons before the bar line
    int repeatStarts = 0;             // colons after it
    bool thick = false;               // ||, [|, |]: closes a section
    bool dotted = false;              // .| does not end a measure
    uint32_t endings = 0;             // bit n: ending n
    char fieldLetter = 0;
    std::string_view text;
};

class AbcTokenizer {
public:
    explicit AbcTokenizer(std::string_view line) : line(line) {}

    // The next token; false at the end of the line or at a comment.
    bool Next(AbcToken& token);

private:
    char Peek(size_t ahead = 0) const { return pos + ahead < line.size() ? line[pos + ahead] : '\0'; }
    bool SkipSilent();
    void ReadNote(AbcToken& token);
    void ReadLength(AbcToken& token);
    int ReadNumber(int fallback);
    void ReadBar(AbcToken& token);
    void ReadEndings(AbcToken& token);
    void ReadTuplet(AbcToken& token);
    void ReadBracketed(AbcToken& token);
    bool ReadDelimited(char close, AbcTokenKind kind, AbcToken& token, bool nameOnly);
    void ReadRest(AbcToken& token);
    void ReadRestOfLine(AbcToken& token);
    void ReadUnknown(AbcToken& token);

    std::string_view line;
    size_t pos = 0;
};
