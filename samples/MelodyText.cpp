#include "samples/MelodyText.h"

#include "common/Cp932.h"
#include "song/ChordNaming.h"

#include <cmath>
#include <map>
#include <set>
#include <sstream>
#include <vector>

namespace {

struct Token {
    enum Kind { Note, Rest, Tie, Bar, Chord } kind = Note;
    int pitch = 0;
    int quarters = 0;
    std::string lyric;
    std::string chord;
    int line = 0;
};

const std::set<std::string> kHeaderWords = {"title", "fame", "tempo", "beats", "key", "text"};

std::string Trim(const std::string& s)
{
    const size_t a = s.find_first_not_of(" \t\r");
    const size_t b = s.find_last_not_of(" \t\r");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

// "C4", "F#5", "Bb3": note name and octave, C4 = 60.
bool ParsePitch(const std::string& text, int& pitch)
{
    size_t i = 1;
    if (text.size() >= 2 && (text[1] == '#' || text[1] == 'b'))
        i = 2;
    const int pc = FindNoteName(text.substr(0, i));
    if (pc < 0 || i >= text.size())
        return false;
    int octave = 0;
    try {
        size_t used = 0;
        octave = std::stoi(text.substr(i), &used);
        if (used != text.size() - i)
            return false;
    } catch (...) {
        return false;
    }
    pitch = (octave + 1) * 12 + pc;
    return pitch >= 0 && pitch <= 127;
}

// Lengths are in beats (0.25 steps); the grid's unit is the quarter beat.
bool ParseLength(const std::string& text, int& quarters)
{
    try {
        size_t used = 0;
        const double beats = std::stod(text, &used);
        const double q = beats * 4;
        if (used != text.size() || q < 1 || std::fabs(q - std::round(q)) > 1e-9)
            return false;
        quarters = static_cast<int>(std::round(q));
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace

MelodyParseResult ParseMelodyText(const std::string& text)
{
    MelodyParseResult result;
    std::map<std::string, std::string> header;
    std::vector<Token> tokens;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    auto fail = [&](int n, const std::string& what) {
        result.error = "line " + std::to_string(n) + ": " + what;
        result.song.reset();
        return std::move(result);
    };
    while (std::getline(in, line)) {
        ++lineNo;
        if (const size_t hash = line.find('#'); hash != std::string::npos && (hash == 0 || line[hash - 1] == ' '))
            line = line.substr(0, hash);
        line = Trim(line);
        if (line.empty())
            continue;
        if (const size_t colon = line.find(':'); colon != std::string::npos && tokens.empty() &&
                                                 kHeaderWords.count(line.substr(0, colon))) {
            header[line.substr(0, colon)] = Trim(line.substr(colon + 1));
            continue;
        }
        std::istringstream words(line);
        std::string word;
        while (words >> word) {
            Token t;
            t.kind = Token::Note;
            t.line = lineNo;
            if (word == "|") {
                t.kind = Token::Bar;
            } else if (word.front() == '[' && word.back() == ']') {
                t.kind = Token::Chord;
                t.chord = word.substr(1, word.size() - 2);
            } else {
                std::string body = word;
                if (const size_t eq = body.find('='); eq != std::string::npos) {
                    t.lyric = body.substr(eq + 1);
                    body = body.substr(0, eq);
                }
                std::string length = "1";
                if (const size_t colon = body.find(':'); colon != std::string::npos) {
                    length = body.substr(colon + 1);
                    body = body.substr(0, colon);
                }
                if (!ParseLength(length, t.quarters))
                    return fail(lineNo, "bad length in '" + word + "'");
                if (body == "r")
                    t.kind = Token::Rest;
                else if (body == "_")
                    t.kind = Token::Tie;
                else if (!ParsePitch(body, t.pitch))
                    return fail(lineNo, "bad pitch in '" + word + "'");
            }
            tokens.push_back(t);
        }
    }

    const int beats = header.count("beats") ? std::atoi(header["beats"].c_str()) : 4;
    if (beats < 1 || beats > 8)
        return fail(0, "beats must be 1 to 8");
    int key = -1;
    const std::string keyName = header.count("key") ? header["key"] : "C";
    for (int i = 0; i < kKeyCount; ++i)
        if (keyName == kKeyTable[i].name)
            key = i;
    if (key < 0)
        return fail(0, "unknown key '" + keyName + "'");

    // First pass: the length of the song, checked bar by bar.
    const int quartersPerMeasure = 4 * beats;
    int position = 0, barStart = 0;
    for (const Token& t : tokens) {
        if (t.kind == Token::Bar) {
            if (position - barStart != quartersPerMeasure)
                return fail(t.line, "measure holds " + std::to_string(position - barStart) + " quarter beats, not " +
                                        std::to_string(quartersPerMeasure));
            barStart = position;
        } else if (t.kind != Token::Chord) {
            position += t.quarters;
        }
    }
    if (position % quartersPerMeasure != 0)
        return fail(lineNo, "the last measure is incomplete");
    result.measures = position / quartersPerMeasure;
    if (result.measures < 1 || result.measures * beats > CSongData::kBeatCapacity)
        return fail(lineNo, "the song must hold 1 to 1024 beats");

    auto song = std::make_unique<CSongFileWriter>(result.measures, beats, key);
    position = 0;
    for (const Token& t : tokens) {
        switch (t.kind) {
        case Token::Bar: break;
        case Token::Chord: song->SetChord(position / 4, t.chord); break;
        case Token::Note: song->AddNote(position, t.pitch, t.quarters, Utf8ToCp932(t.lyric)); break;
        case Token::Rest: song->AddRest(position, t.quarters); break;
        case Token::Tie:
            for (int q = 0; q < t.quarters; ++q)
                song->SetEntry((position + q) / 2, (position + q) % 2, NoteEntry::kContinuation);
            break;
        }
        if (t.kind != Token::Bar && t.kind != Token::Chord)
            position += t.quarters;
    }
    if (header.count("title"))
        song->SetTitleUtf8(header["title"]);
    if (header.count("fame"))
        song->SetFame(std::atoi(header["fame"].c_str()));
    if (header.count("tempo"))
        song->SetTempo(std::atoi(header["tempo"].c_str()));
    if (header.count("text"))
        song->SetSongText(Utf8ToCp932(header["text"]));
    result.song = std::move(song);
    return result;
}
