#include "render/ScoreGeometry.h"

#include <array>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <utility>

namespace {

// Circles stand 10 pixels below the time's line, so that the first note is not cut.
constexpr int kTopInset = 10;
// Far beyond any picture, yet far from overflowing when a circle's box is added.
constexpr int64_t kFarOff = 1 << 28;

int DrawnStrings(const ScoreFrame& frame)
{
    return std::clamp(frame.stringCount, 0, kMaxStrings);
}

} // namespace

NoteMark MarkOf(int length)
{
    if (length == kUnitsPerBeat)
        return NoteMark::kOneBeat;
    if (length < 2 * kUnitsPerBeat)
        return NoteMark::kShorter;
    if (length == 4 * kUnitsPerBeat)
        return NoteMark::kFourBeats;
    return NoteMark::kOtherLong;
}

MarkStyle StyleOf(NoteMark mark)
{
    switch (mark) {
    case NoteMark::kOneBeat: return {true, 12};
    case NoteMark::kShorter: return {true, 8};
    case NoteMark::kFourBeats: return {false, 12};
    case NoteMark::kOtherLong: break;
    }
    return {false, 8};
}

double OuterRadius(const PlacedNote& note)
{
    return (note.right - note.left) / 2.0 + (note.shared ? kSharedRingPixels : 0);
}

int StringOf(const ScoreFrame& frame, int pitch)
{
    const int n = DrawnStrings(frame);
    for (int j = 0; j < n; ++j)
        if (frame.stringPitches[static_cast<size_t>(j)] == pitch)
            return j;
    return -1;
}

int TimeToY(int height, int totalLength, int64_t time)
{
    if (totalLength <= 0)
        return kTopInset;
    // The product in 64 bits, held in range: a note list handed in may hold any time.
    const int64_t below = std::clamp<int64_t>(int64_t(height) * time / totalLength, -kFarOff, kFarOff);
    return static_cast<int>(below) + kTopInset;
}

int ScoreY(const ScoreGeometry& score, int totalLength, int64_t time)
{
    const std::vector<TimeMark>& line = score.timeline;
    if (line.empty())
        return TimeToY(score.height, totalLength, time);
    if (time <= line.front().time)
        return line.front().y;
    if (time >= line.back().time)
        return line.back().y;
    const auto after = std::upper_bound(line.begin(), line.end(), time,
                                        [](int64_t t, const TimeMark& m) { return t < m.time; });
    const TimeMark& b = *after;
    const TimeMark& a = *(after - 1);
    return a.y + static_cast<int>((int64_t(b.y - a.y) * (time - a.time)) / std::max<int64_t>(b.time - a.time, 1));
}

// Where a note without a string is marked: half a spacing beyond the outer string it passes,
// or between the strings below and above it.
int MissingX(const ScoreGeometry& g, int pitch)
{
    if (g.stringX.empty())
        return 0;
    const int half = g.stringSpacing / 2;
    if (pitch > g.stringPitch.back())
        return g.stringX.back() + half;
    for (size_t i = 0; i + 1 < g.stringPitch.size(); ++i)
        if (g.stringPitch[i] < pitch && pitch < g.stringPitch[i + 1])
            return (g.stringX[i] + g.stringX[i + 1]) / 2;
    return g.stringX.front() - half;
}

ScoreGeometry ComputeScoreGeometry(const ScoreFrame& frame, const std::vector<ScoreNote>& notes,
                                   std::vector<TimeMark> timeline)
{
    ScoreGeometry g;
    g.timeline = std::move(timeline);
    g.width = frame.width;
    g.height = frame.height;
    g.stringSpacing = frame.stringSpacing;
    const int n = DrawnStrings(frame);
    const int S = frame.stringSpacing, L = frame.leftOffset, H = frame.height, T = frame.totalLength;
    for (int i = 0; i < n; ++i) {
        g.stringX.push_back((i + 1) * S - L);
        g.stringPitch.push_back(frame.stringPitches[static_cast<size_t>(i)]);
    }
    if (T <= 0)
        return g;
    g.notes.reserve(notes.size());
    g.melodyCircles.assign(notes.size(), -1);
    for (size_t i = 0; i < notes.size(); ++i) {
        const ScoreNote& note = notes[i];
        const int j = StringOf(frame, note.pitch);
        if (j < 0) {
            const int y = g.timeline.empty() ? TimeToY(H, T, note.time) : ScoreY(g, T, note.time);
            g.missing.push_back({MissingX(g, note.pitch), y, note.pitch, VoiceRole::kMelody});
            continue;
        }
        const NoteMark mark = MarkOf(note.length);
        const int d = StyleOf(mark).diameter;
        const int x = g.stringX[static_cast<size_t>(j)];
        const int y = g.timeline.empty() ? TimeToY(H, T, note.time) : ScoreY(g, T, note.time);
        const int left = x - d / 2, top = y - d / 2;
        g.melodyCircles[i] = static_cast<int>(g.notes.size());
        g.notes.push_back({x, y, mark, left, top, left + d, top + d, static_cast<int>(i)});
        g.notes.back().roles = 1u << static_cast<int>(VoiceRole::kMelody);
        g.notes.back().string = j;
        g.notes.back().time = note.time;
    }
    // The melody is played in list order, so each drawn note leads to the next one drawn.
    g.flows.reserve(g.notes.empty() ? 0 : g.notes.size() - 1);
    for (size_t i = 1; i < g.notes.size(); ++i)
        g.flows.push_back({i - 1, i, FlowKind::kSolid});
    return g;
}

int ScoreGeometry::CircleOf(int voice, size_t note) const
{
    const std::vector<int>* circles = voice < 0 ? &melodyCircles
                                      : static_cast<size_t>(voice) < voiceCircles.size() ? &voiceCircles[static_cast<size_t>(voice)]
                                                                                         : nullptr;
    return circles && note < circles->size() ? (*circles)[note] : -1;
}

VoiceRole ScoreGeometry::RoleOf(const PlacedNote& note) const
{
    if (note.voice < 0 || static_cast<size_t>(note.voice) >= voiceRoles.size())
        return VoiceRole::kMelody;
    return voiceRoles[static_cast<size_t>(note.voice)];
}

std::optional<int32_t> DrawnTime(const ScoreLayout& layout, const PlacedNote& note)
{
    if (note.source >= 0)
        return static_cast<size_t>(note.source) < layout.notes.size()
                   ? std::optional(layout.notes[static_cast<size_t>(note.source)].time)
                   : std::nullopt;
    if (note.voice < 0 || static_cast<size_t>(note.voice) >= layout.voices.size())
        return std::nullopt;
    const std::vector<ScoreNote>& notes = layout.voices[static_cast<size_t>(note.voice)].notes;
    if (note.voiceSource < 0 || static_cast<size_t>(note.voiceSource) >= notes.size())
        return std::nullopt;
    return notes[static_cast<size_t>(note.voiceSource)].time;
}

void AddVoices(ScoreGeometry& g, const ScoreFrame& frame, const ScoreLayout& layout)
{
    g.voiceRoles.clear();
    for (const LaidVoice& voice : layout.voices)
        g.voiceRoles.push_back(voice.role);
    if (layout.voices.empty() || frame.totalLength <= 0)
        return;
    // Drawn notes by time and role, for the shared circles and the synch lines.
    std::map<std::pair<int, int>, size_t> byPlace; // (x, time) of every drawn note
    std::array<std::map<int32_t, std::vector<size_t>>, kVoiceRoleCount> byTime;
    for (size_t i = 0; i < g.notes.size(); ++i) {
        const PlacedNote& n = g.notes[i];
        if (n.source < 0 || static_cast<size_t>(n.source) >= layout.notes.size())
            continue;
        const int32_t time = layout.notes[static_cast<size_t>(n.source)].time;
        byPlace.try_emplace({n.x, time}, i);
        byTime[size_t(VoiceRole::kMelody)][time].push_back(i);
    }
    g.voiceCircles.assign(layout.voices.size(), {});
    for (size_t v = 0; v < layout.voices.size(); ++v) {
        const LaidVoice& voice = layout.voices[v];
        g.voiceCircles[v].assign(voice.notes.size(), -1);
        const VoiceFlow flow = FlowOf(voice.role);
        const FlowKind kind = flow == VoiceFlow::kDotted ? FlowKind::kDotted : FlowKind::kSolid;
        std::optional<size_t> before;
        for (size_t k = 0; k < voice.notes.size(); ++k) {
            const ScoreNote& note = voice.notes[k];
            const int j = StringOf(frame, note.pitch);
            if (j < 0) {
                const int y = g.timeline.empty() ? TimeToY(g.height, frame.totalLength, note.time)
                                                 : ScoreY(g, frame.totalLength, note.time);
                g.missing.push_back({MissingX(g, note.pitch), y, note.pitch, voice.role});
                continue;
            }
            const int x = g.stringX[static_cast<size_t>(j)];
            size_t at = g.notes.size();
            if (const auto found = byPlace.find({x, note.time}); found != byPlace.end()) {
                at = found->second;
                g.notes[at].shared = true;
                g.notes[at].roles |= static_cast<uint8_t>(1u << static_cast<int>(voice.role));
            } else {
                const NoteMark mark = MarkOf(note.length);
                const int d = StyleOf(mark).diameter;
                const int y = g.timeline.empty() ? TimeToY(g.height, frame.totalLength, note.time)
                                                 : ScoreY(g, frame.totalLength, note.time);
                const int left = x - d / 2, top = y - d / 2;
                PlacedNote placed{x, y, mark, left, top, left + d, top + d, -1};
                placed.voice = static_cast<int>(v);
                placed.voiceSource = static_cast<int>(k);
                placed.roles = static_cast<uint8_t>(1u << static_cast<int>(voice.role));
                placed.string = j;
                placed.time = note.time;
                g.notes.push_back(placed);
                byPlace.emplace(std::make_pair(x, note.time), at);
            }
            g.voiceCircles[v][k] = static_cast<int>(at);
            auto& atTime = byTime[size_t(voice.role)][note.time];
            if (std::find(atTime.begin(), atTime.end(), at) == atTime.end())
                atTime.push_back(at);
            if (flow != VoiceFlow::kNone && before && *before != at)
                g.flows.push_back({*before, at, kind, voice.role});
            before = at;
        }
    }
    // One synch line at each onset two paired voices share, between their nearest notes; none
    // where they share the circle.
    constexpr std::pair<VoiceRole, VoiceRole> kPairs[] = {{VoiceRole::kMelody, VoiceRole::kSecond},
                                                          {VoiceRole::kThird, VoiceRole::kFourth},
                                                          {VoiceRole::kMelody, VoiceRole::kAccompaniment}};
    for (const auto& [a, b] : kPairs) {
        const auto& first = byTime[size_t(a)];
        const auto& second = byTime[size_t(b)];
        for (const auto& [time, ours] : first) {
            const auto theirs = second.find(time);
            if (theirs == second.end())
                continue;
            std::optional<SynchLine> nearest;
            int distance = 0;
            bool together = false;
            for (const size_t i : ours)
                for (const size_t k : theirs->second) {
                    together = together || i == k;
                    const int d = std::abs(g.notes[i].x - g.notes[k].x);
                    if (!nearest || d < distance) {
                        nearest = SynchLine{i, k, a, b};
                        distance = d;
                    }
                }
            if (nearest && !together)
                g.synchs.push_back(*nearest);
        }
    }
}

std::vector<FlowEnds> FlowEndsByNote(const ScoreGeometry& score)
{
    std::vector<FlowEnds> ends(score.notes.size());
    for (const FlowLine& f : score.flows) {
        if (f.from < ends.size())
            ends[f.from].out = f;
        if (f.to < ends.size())
            ends[f.to].in = f;
    }
    return ends;
}
