#pragma once
// Where the legend's parts stand on a sheet.

#include "print/SheetText.h"
#include "render/ScoreGeometry.h"

#include <string>
#include <vector>

// Below the score: each string's name, the song's facts and the four circle kinds, and at the
// harp's scale a 100 mm bar. Drawn whole or not at all.
struct LegendPlace {
    bool drawn = false;
    bool onWhite = false; // it stands among the strings, on paper cleared for it
    SheetBox bounds;   // what it covers, with the score's width
    double bottom = 0; // its lowest edge
    std::vector<SheetLabel> stringNames;
    bool songFacts = false;
    SheetBox title, facts;
    // The song's texts, written once the sheet knows its place among the others: the title
    // with who wrote it at its right, the facts and what the switches show item by item (a
    // narrow sheet wraps between them), after the facts or on a line of their own.
    std::string titleText, creditText;
    std::vector<std::string> factsItems, shownItems;
    std::string textGap; // between two items on one line
    bool shownOnItsOwnLine = false;
    struct Kind {
        NoteMark mark;
        double centreX, centreY;
        SheetLabel caption;
    };
    std::vector<Kind> kinds;
    // What tells the drawn voices apart, after the circle kinds: each voice's line between two
    // circles with its part, role, stroke (and colour) and notes without a string; the synch
    // line; the shared circle's ring. None for the melody alone.
    enum class KeySample : uint8_t { kVoice, kSynch, kShared };
    struct Key {
        KeySample sample = KeySample::kVoice;
        VoiceRole role = VoiceRole::kMelody;
        double left = 0, centreY = 0, width = 0; // the sample
        SheetLabel caption;
        int lines = 1; // a caption too wide for the column wraps over rows of its own
    };
    std::vector<Key> keys;
    SheetBox keysArea; // where the keys flow, a row high: a player's sheet flows its own again
    bool scaleBar = false;
    SheetBox bar;
    SheetLabel barCaption;
    std::vector<SheetLabel> verses; // further verses, on a sheet's last page
    int versesLeftOut = 0;          // verse lines that found no room there (a last line says so)
};
