#pragma once
// One player's sheet drawn from the group's geometry: nothing moves, only what is drawn of the
// voices the player does not play changes, so that every measure stands at the same height on
// every player's sheet.

#include "render/ScoreGeometry.h"
#include "settings/SheetSettings.h"

#include <vector>

// The roles the geometry draws: the melody, then its other voices in their order.
std::vector<VoiceRole> DrawnRoles(const ScoreGeometry& score);

// The group's geometry for one player: the notes the player's voice plucks as they are (a circle
// it shares with another voice included), the others' notes and flow lines faint or left out;
// only the synch lines of the player's pair stay, and none where the others are left out.
ScoreGeometry ForPlayer(const ScoreGeometry& group, PlayerView view);
