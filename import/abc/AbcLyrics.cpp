#include "import/abc/AbcLyrics.h"

#include "import/abc/AbcLimits.h"
#include "import/abc/AbcText.h"

namespace {

class SyllableSplitter {
public:
    std::vector<AbcSyllable> Split(std::string_view line)
    {
        for (size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '\\' && i + 1 < line.size()) {
                // "\-" is a hyphen inside the syllable; other escapes stay for the text decoder
                if (line[i + 1] != '-')
                    word += c;
                word += line[++i];
                inWord = true;
            } else if (c == ' ' || c == '\t') {
                EndWord();
                afterBreak = true;
            } else if (c == '-') {
                if (!inWord && afterBreak)
                    Add(AbcSyllable::Kind::Blank);
                EndWord();
                afterBreak = true;
            } else if (c == '_' || c == '*' || c == '|') {
                EndWord();
                Add(c == '|' ? AbcSyllable::Kind::Bar : AbcSyllable::Kind::Blank);
                afterBreak = c != '_';
            } else {
                word += c == '~' ? ' ' : c;
                inWord = true;
            }
        }
        EndWord();
        return std::move(syllables);
    }

private:
    void EndWord()
    {
        if (inWord)
            syllables.push_back(AbcSyllable{AbcSyllable::Kind::Text, CutUtf8(AbcTextToUtf8(word), kMaxMelodyTextBytes)});
        word.clear();
        inWord = false;
    }
    void Add(AbcSyllable::Kind kind) { syllables.push_back(AbcSyllable{kind, {}}); }

    std::vector<AbcSyllable> syllables;
    std::string word;
    bool inWord = false;
    bool afterBreak = true; // the line start counts as a blank
};

} // namespace

std::vector<AbcSyllable> SplitAbcLyrics(std::string_view line)
{
    return SyllableSplitter().Split(line);
}

void AlignAbcLyrics(const std::vector<AbcSyllable>& syllables, const std::vector<AbcLyricSlot>& slots,
                    std::vector<AbcEvent>& events, int verse)
{
    size_t next = 0;
    for (const AbcSyllable& syllable : syllables) {
        if (next >= slots.size())
            return;
        switch (syllable.kind) {
        case AbcSyllable::Kind::Text:
            if (const size_t at = slots[next++].event; at < events.size()) {
                if (verse <= 1)
                    events[at].lyric = syllable.text;
                else
                    events[at].laterLyrics.emplace_back(verse, syllable.text);
            }
            break;
        case AbcSyllable::Kind::Blank:
            ++next;
            break;
        case AbcSyllable::Kind::Bar:
            // Only moves when the bar still has notes without a syllable.
            if (next > 0 && slots[next].bar == slots[next - 1].bar)
                for (const int bar = slots[next - 1].bar; next < slots.size() && slots[next].bar == bar;)
                    ++next;
            break;
        }
    }
}

std::string AbcVerseText(std::string_view line)
{
    std::string raw;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\\' && i + 1 < line.size()) {
            if (line[i + 1] != '-')
                raw += c;
            raw += line[++i];
        } else if (c == '~') {
            raw += ' ';
        } else if (c == ' ' || c == '\t') {
            if (!raw.empty() && raw.back() != ' ')
                raw += ' ';
        } else if (c != '-' && c != '_' && c != '*' && c != '|') {
            raw += c;
        }
    }
    std::string text = AbcTextToUtf8(raw);
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return CutUtf8(text, kAbcMaxVerseBytes);
}
