#include "score/ScoreEvents.h"

#include <algorithm>
#include <numeric>
#include <tuple>
#include <vector>

std::string WholeNoteFraction(int64_t ticks)
{
    constexpr int64_t kWhole = 4 * kTicksPerQuarter;
    const int64_t divisor = std::gcd(ticks, kWhole);
    const int64_t top = ticks / divisor, bottom = kWhole / divisor;
    return bottom == 1 ? std::to_string(top) : std::to_string(top) + "/" + std::to_string(bottom);
}

void WriteEventLines(std::ostream& out, const Score& score, int first, int last,
                     const std::function<std::string(std::string_view)>& oneLine)
{
    const int64_t measure = score.meter.MeasureTicks();
    const int64_t from = (int64_t(std::max(first, 1)) - 1) * measure, to = int64_t(std::max(last, 0)) * measure;
    // A padded pickup is the sheet's first measure; the count starts after it.
    const int64_t zero = score.pickupTicks > 0 && score.pickupTicks < measure ? measure : 0;
    struct Line {
        int64_t onset;
        size_t voice;
        const ScoreEvent* event;
    };
    std::vector<Line> lines;
    for (size_t v = 0; v < score.voices.size(); ++v)
        for (const ScoreEvent& e : score.voices[v].events)
            if (e.DrawnOnset() >= from && e.DrawnOnset() < to)
                lines.push_back({e.onset, v, &e});
    std::stable_sort(lines.begin(), lines.end(),
                     [](const Line& a, const Line& b) { return std::tie(a.onset, a.voice) < std::tie(b.onset, b.voice); });
    for (const Line& line : lines) {
        const ScoreEvent& e = *line.event;
        std::string pitches;
        for (const int p : e.pitches)
            pitches += (pitches.empty() ? "" : ",") + std::to_string(p);
        out << WholeNoteFraction(e.onset - zero) << '\t' << WholeNoteFraction(e.length) << '\t' << pitches << '\t'
            << VoiceRoleName(score.voices[line.voice].role) << '\t' << oneLine(e.lyric) << '\n';
    }
}
