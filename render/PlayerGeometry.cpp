#include "render/PlayerGeometry.h"

#include <algorithm>

std::vector<VoiceRole> DrawnRoles(const ScoreGeometry& score)
{
    std::vector<VoiceRole> roles{VoiceRole::kMelody};
    for (const VoiceRole role : score.voiceRoles)
        if (std::find(roles.begin(), roles.end(), role) == roles.end())
            roles.push_back(role);
    return roles;
}

ScoreGeometry ForPlayer(const ScoreGeometry& group, PlayerView view)
{
    ScoreGeometry g = group;
    const auto ours = [&](const PlacedNote& note) { return note.PluckedBy(view.role); };
    std::vector<SynchLine> synchs;
    for (const SynchLine& s : g.synchs)
        if (view.others == OthersDrawn::kFaint && (s.first == view.role || s.second == view.role))
            synchs.push_back(s);
    g.synchs = std::move(synchs);
    for (ScoreGeometry::MissingNote& m : g.missing)
        m.faint = m.role != view.role;
    if (view.others == OthersDrawn::kHidden)
        std::erase_if(g.missing, [](const ScoreGeometry::MissingNote& m) { return m.faint; });
    if (view.others == OthersDrawn::kFaint) {
        for (PlacedNote& note : g.notes)
            note.faint = !ours(note);
        for (FlowLine& flow : g.flows)
            flow.faint = flow.role != view.role;
        return g;
    }
    // Left out: the player's notes keep their order, and their flow lines follow them.
    std::vector<size_t> kept(g.notes.size(), SIZE_MAX);
    std::vector<PlacedNote> notes;
    for (size_t i = 0; i < g.notes.size(); ++i)
        if (ours(g.notes[i])) {
            kept[i] = notes.size();
            notes.push_back(g.notes[i]);
            notes.back().shared = false; // the voice it shares with is not there
        }
    std::vector<FlowLine> flows;
    for (FlowLine flow : g.flows)
        if (flow.role == view.role && kept[flow.from] != SIZE_MAX && kept[flow.to] != SIZE_MAX) {
            flow.from = kept[flow.from];
            flow.to = kept[flow.to];
            flows.push_back(flow);
        }
    g.notes = std::move(notes);
    g.flows = std::move(flows);
    return g;
}
