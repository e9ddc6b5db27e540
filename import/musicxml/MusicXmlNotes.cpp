#include "import/musicxml/MusicXmlNotes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

constexpr int kStepPitchClass[7] = {9, 11, 0, 2, 4, 5, 7}; // A..G

} // namespace

double Number(pugi::xml_node node)
{
    const char* text = node.child_value();
    const char* p = text + (*text == '-');
    int64_t whole = 0;
    while (*p >= '0' && *p <= '9' && whole < (int64_t(1) << 50))
        whole = whole * 10 + (*p++ - '0');
    if (*p == 0 && p != text + (*text == '-'))
        return *text == '-' ? -double(whole) : double(whole);
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    while (end && (*end == ' ' || *end == '\n' || *end == '\t' || *end == '\r'))
        ++end;
    return (end == text || !end || *end != 0) ? std::nan("") : v;
}

int Integer(pugi::xml_node node, int fallback)
{
    const double v = Number(node);
    return (std::isfinite(v) && std::abs(v) < 1e6) ? static_cast<int>(std::lround(v)) : fallback;
}

int WrittenPitch(pugi::xml_node pitch)
{
    const char* step = "";
    double alter = 0;
    int octave = -100;
    for (pugi::xml_node c : pitch.children()) {
        const char* n = c.name();
        if (n[0] == 's')
            step = c.child_value();
        else if (n[0] == 'a')
            alter = Number(c);
        else if (n[0] == 'o')
            octave = Integer(c, -100);
    }
    if (step[0] < 'A' || step[0] > 'G' || step[1] != 0)
        return -1;
    if (!std::isfinite(alter) || std::abs(alter) > 12 || octave < -1 || octave > 10)
        return -1;
    return (octave + 1) * 12 + kStepPitchClass[step[0] - 'A'] + static_cast<int>(std::lround(alter));
}

NoteView::NoteView(pugi::xml_node note)
{
    pugi::xml_node notations;
    for (pugi::xml_node c : note.children()) {
        const char* n = c.name();
        switch (n[0]) {
        case 'p': if (!std::strcmp(n, "pitch")) pitch = c; break;
        case 'd':
            if (!std::strcmp(n, "duration"))
                duration = c;
            else if (!std::strcmp(n, "dot"))
                ++dots;
            break;
        case 'v':
            if (!std::strcmp(n, "voice") && *c.child_value())
                voice = c.child_value(), voiceWritten = true;
            break;
        case 's':
            if (!std::strcmp(n, "staff"))
                staff = Integer(c, 1), staffWritten = true;
            break;
        case 'g': grace |= !std::strcmp(n, "grace"); break;
        case 'c': chord |= !std::strcmp(n, "chord"); cue |= !std::strcmp(n, "cue"); break;
        case 'r': rest |= !std::strcmp(n, "rest"); break;
        case 't':
            if (!std::strcmp(n, "tie"))
                Tie(c);
            else if (!std::strcmp(n, "type"))
                type = c;
            else if (!std::strcmp(n, "time-modification"))
                timeModification = c;
            break;
        case 'n': if (!std::strcmp(n, "notations")) notations = c; break;
        case 'l':
            // The first verse: number 1, or a lyric without a number.
            if (!lyric && !std::strcmp(n, "lyric") && !std::strcmp(c.attribute("number").as_string("1"), "1"))
                lyric = c;
            break;
        default: break;
        }
    }
    if (!tieStart && !tieStop)
        for (pugi::xml_node tied : notations.children("tied"))
            Tie(tied);
}

double NoteView::WrittenTicks() const
{
    static const std::pair<const char*, double> kTypes[] = {
        {"256th", 1.0 / 64}, {"128th", 1.0 / 32}, {"64th", 1.0 / 16}, {"32nd", 1.0 / 8}, {"16th", 0.25},
        {"eighth", 0.5},     {"quarter", 1},      {"half", 2},        {"whole", 4},      {"breve", 8}};
    double quarters = 0;
    for (const auto& [name, value] : kTypes)
        if (!std::strcmp(type.child_value(), name))
            quarters = value;
    if (quarters == 0 || dots > 4)
        return 0;
    quarters *= 2 - std::ldexp(1.0, -dots);
    if (timeModification) {
        const int actual = timeModification.child("actual-notes").text().as_int(0);
        const int normal = timeModification.child("normal-notes").text().as_int(0);
        if (actual < 1 || normal < 1 || actual > 64 || normal > 64)
            return 0;
        quarters = quarters * normal / actual;
    }
    return quarters * kTicksPerQuarter;
}

void NoteView::Tie(pugi::xml_node tie)
{
    const char* type = tie.attribute("type").as_string();
    tieStart |= !std::strcmp(type, "start");
    tieStop |= !std::strcmp(type, "stop");
}

void VoiceTally::Add(const NoteView& note)
{
    if (!note.Sounds())
        return;
    ++pitched;
    if (staff == 0 || note.staff < staff) {
        staff = note.staff;
        voices.clear();
    }
    if (note.staff != staff)
        return;
    auto it = std::find_if(voices.begin(), voices.end(),
                           [&](const Voice& v) { return !std::strcmp(v.name, note.voice); });
    if (it == voices.end())
        it = voices.insert(voices.end(), Voice{note.voice});
    // Written pitch: one staff's voices share a transposition.
    if (const int pitch = WrittenPitch(note.pitch); pitch >= 0) {
        ++it->pitchedNotes;
        it->pitchSum += pitch;
    }
}

MelodyVoice VoiceTally::Result() const
{
    MelodyVoice melody;
    melody.pitched = pitched;
    if (voices.empty())
        return melody;
    melody.staff = staff;
    auto best = std::find_if(voices.begin(), voices.end(), [](const Voice& v) { return !std::strcmp(v.name, "1"); });
    if (best == voices.end())
        best = std::max_element(voices.begin(), voices.end(), [](const Voice& a, const Voice& b) {
            return a.Average() < b.Average();
        }); // the first of equals
    melody.voice = best->name;
    return melody;
}
