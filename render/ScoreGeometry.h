#pragma once
// Where everything of a score picture stands, in picture pixels. The bitmap on the screen
// and the vector page on paper both draw from this one computation, so they cannot drift.

#include "render/ScoreLayout.h"
#include "settings/ConfigRecord.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the drawing reads from a score picture.
struct ScoreFrame {
    int width = 0;
    int height = 0;
    int stringSpacing = 0;
    int leftOffset = 0;
    int stringCount = 0; // held within 0..kMaxStrings when used
    std::array<int32_t, kMaxStrings> stringPitches{};
    int totalLength = 0; // time units the height stands for
};

// The four circle kinds a note's length chooses.
enum class NoteMark : uint8_t {
    kOneBeat,   // exactly one beat: large black
    kShorter,   // below two beats, other than one: small black
    kFourBeats, // exactly four beats: large white
    kOtherLong, // two beats or more, other than four: small white
};

// Picture pixels a shared circle's ring stands outside the circle: its outer edge, the edge that
// keeps clear of every other circle and ring.
constexpr int kSharedRingPixels = 2;

// The picture pixels a drawn note covers from its centre: its circle, or its ring when shared.
struct PlacedNote;
double OuterRadius(const PlacedNote& note);

struct MarkStyle {
    bool black;
    int diameter; // picture pixels
};

NoteMark MarkOf(int length);
MarkStyle StyleOf(NoteMark mark);

struct PlacedNote {
    int x, y; // the circle's centre: its string's x, its time's y
    NoteMark mark;
    int left, top, right, bottom; // the circle's box; a bitmap paints left..right-1 x top..bottom-1
    int source = -1;              // the melody's layout note it draws; -1 for another voice's
    int voice = -1;               // the layout voice it draws (an index into its voices), -1: the melody
    int voiceSource = -1;         // that voice's note
    bool shared = false;          // another drawn voice plucks the same string at the same time
    uint8_t roles = 0;            // a bit (1 << role) for each role that plucks it
    bool faint = false;           // on a player's sheet, a note only the others pluck
    int string = -1;              // the string it stands on, lowest 0
    int32_t time = 0;             // the layout's time units, where it is drawn

    bool PluckedBy(VoiceRole role) const { return (roles >> static_cast<int>(role)) & 1; }
};

// What joins two drawn notes, a player's way from one pluck to the next: solid for the melody
// and a third voice, dotted for the second and fourth.
enum class FlowKind : uint8_t { kSolid, kDotted };

struct FlowLine {
    size_t from = 0, to = 0; // indices into the geometry's notes
    FlowKind kind = FlowKind::kSolid;
    // The voice it joins: a line into a shared circle is still its own voice's, whoever owns the circle.
    VoiceRole role = VoiceRole::kMelody;
    bool faint = false; // on a player's sheet, another voice's way
    bool operator==(const FlowLine&) const = default;
};

// A dashed line between two voices' notes that start together (indices into the notes), so
// that a player sees which plucks fall at once.
struct SynchLine {
    size_t from = 0, to = 0;
    VoiceRole first = VoiceRole::kMelody, second = VoiceRole::kSecond; // the pair it joins
    bool operator==(const SynchLine&) const = default;
};

// Where a time stands on a sheet that gives time its own room (the sheet at the harp's scale).
struct TimeMark {
    int32_t time;
    int y;
    bool operator==(const TimeMark&) const = default;
};

// A jump line in picture pixels: straight pieces through `points`, the last ending in an
// arrowhead into its note unless that end lies beyond the picture's range.
struct JumpLine {
    struct Point {
        int x, y;
        bool operator==(const Point&) const = default;
    };
    std::vector<Point> points;
    bool arrow = true;
    // A line cut at the range's edge names the measure at its other end beside its open end
    // (the first point when it comes from there, else the last); UTF-8, empty for a whole line.
    std::string label;
};

struct ScoreGeometry {
    int width = 0, height = 0;
    int stringSpacing = 0;        // picture pixels between neighbouring strings
    std::vector<int> stringX;     // one per drawn string, lowest string first
    std::vector<int> stringPitch; // the same strings' note numbers
    std::vector<PlacedNote> notes; // notes that sound on a string, in list order
    std::vector<FlowLine> flows;   // in the order of the notes they leave
    std::vector<TimeMark> timeline; // rising; empty where time runs evenly down the height
    std::vector<JumpLine> jumps;    // of a written score drawn once
    std::vector<SynchLine> synchs;  // between voices 1-2, 3-4 and the melody and accompaniment
    // A drawn voice's note without a string, marked where it would stand: at the harp's edge
    // beyond the strings, between its neighbours where the tuning lacks it.
    struct MissingNote {
        int x, y;
        int pitch;
        VoiceRole role = VoiceRole::kMelody;
        bool faint = false; // on a player's sheet, another's
    };
    std::vector<MissingNote> missing;
    // The circle (an index into notes) that draws each laid-out note, its own or one it shares,
    // recorded where it is placed: the melody's notes, then each layout voice's; -1 for a note
    // without a string. The drawing, the ring and the sound all take a note's circle from here.
    std::vector<int> melodyCircles;
    std::vector<std::vector<int>> voiceCircles;
    int CircleOf(int voice, size_t note) const; // voice -1: the melody
    // The role of the voice a drawn note belongs to: the melody's, or its layout voice's.
    VoiceRole RoleOf(const PlacedNote& note) const;
    std::vector<VoiceRole> voiceRoles; // one per layout voice
};

// The first string whose pitch is the note's, or -1.
int StringOf(const ScoreFrame& frame, int pitch);

// Where a time stands on a picture `height` high that shows `totalLength` time units.
int TimeToY(int height, int totalLength, int64_t time);

// String i stands at (i + 1) x spacing - left offset; a note at time t stands at
// height x t / total length + 10, the product taken first. Notes without a string are left
// out, so the flow line runs on from the last drawn note. A frame of no length places no note.
// With a `timeline`, times stand where it puts them instead.
ScoreGeometry ComputeScoreGeometry(const ScoreFrame& frame, const std::vector<ScoreNote>& notes,
                                   std::vector<TimeMark> timeline = {});

// Places the layout's other voices after the melody's notes: a voice's note on a string and
// time a drawn note already holds shares that circle; each voice's notes are joined by its
// flow lines in time order; notes of paired voices that start together get a synch line.
void AddVoices(ScoreGeometry& score, const ScoreFrame& frame, const ScoreLayout& layout);

// The time of a drawn note of any voice, in the layout it was placed from; none for a note
// the layout does not hold.
std::optional<int32_t> DrawnTime(const ScoreLayout& layout, const PlacedNote& note);

// Each drawn note's flow lines: the one that leaves it and the one that enters it; none at a
// voice's ends.
struct FlowEnds {
    std::optional<FlowLine> out, in;
};
std::vector<FlowEnds> FlowEndsByNote(const ScoreGeometry& score);

// Where a time stands on the score: on its timeline, between two marks in proportion, held at
// its ends; else as TimeToY.
int ScoreY(const ScoreGeometry& score, int totalLength, int64_t time);
