#pragma once
// Turns a neutral melody into a song, exactly as a song file would hold it. This is the only
// importer code that knows the song grid; every reader's result goes through it.
//
// The mapping:
// - Meter. The song's beat is the counted beat of the meter in force where the first full
//   measure starts (after a pickup; see MeterBeats): 3/4 has three quarter beats, 2/2 two
//   half-note beats, and a compound meter dotted beats: 6/8 two dotted quarters, 12/8 four,
//   3/8 one, their eighths on the thirds of the beat, as the grid holds triplets. The song
//   keeps a compound meter beside the grid, so that it is counted and named in threes. The
//   grid holds at most 8 beats: a larger even numerator is counted in measures of half as many
//   beats, a larger odd numerator divisible by 3 makes the dotted unit the beat, and any other large
//   numerator is counted in measures of its largest divisor up to 8 (11/8 gives measures of
//   one eighth). Meters that are not a power-of-two unit up to 64ths count as 4/4.
// - Later meter changes keep the timeline continuous: every tick is measured in the first
//   meter's beat, so notes stay in time and later bar lines may fall inside song measures.
// - Pickup. The song starts with enough rest that the first full measure begins a song measure.
// - Onsets go to the grid position whose drawn place is nearest: a beat has six, entries
//   0, 1, 2 of its first cell and 0, 1, 2 of its second, drawn a sixth of a beat apart; on a
//   tie the earlier one wins. A sixteenth after the beat therefore lands on entry 1 (the
//   second quarter of the cell, as the file format intends) and an eighth-note triplet on
//   entries 0 and 2 of the first cell and entry 1 of the second. An onset within a 48th of a
//   beat of a quarter beat takes that quarter's entry, so a tick late tips no sixteenth over.
//   Onsets farther than a 48th of a beat from both the quarter and the sixth they stand for
//   count as moved. A note whose position an earlier note already holds is left out and
//   counted as dropped; one that would round past the song's end takes its last place, when
//   that is free.
// - Durations become continuation entries up to the quarter beat nearest the note's end (at
//   least the note's own entry), stopping where the next note starts, so that a one-beat note
//   spans four entries (a large black circle) and a four-beat note sixteen (a large white one).
//   A note in entry 2 continues from the next cell, as the grid measures entry 2. Time that
//   no note covers is rest, split at measure starts.
// - Simultaneous notes: at each onset the highest note starting there is the melody; it ends
//   a lower note still sounding, and a note starting under a higher one still sounding (by
//   more than a 48th of a beat) is left out. Onsets within a 48th of a beat of notes that
//   sound together (the earlier held past the later's start by more than that, or at most half
//   as long as the later) count as one: a lower note starting that little before a higher one
//   that lasts at least as long gives way to it; otherwise the later note is left out (counted
//   as dropped) and the earlier keeps its length. Notes that follow each other, as in a fast
//   run, each seek their own place, and those the grid has no place for are counted as
//   dropped. A lyric on another note of the same onset goes with the chosen note.
// - Key: the first key signature becomes the key table's entry of that mode and signature
//   (a signature beyond 7 by the tonic's pitch class).
// - Chord symbols become chord names on the half beat where they stand: root with "#" or
//   "b" as written (Cb is B), then the suffix, at most 7 bytes; ninths as the song reader
//   keeps them ("add9"). A later symbol on the same half beat replaces an earlier one.
// - Lyrics become the entry texts of their notes: CP932, cut on a character boundary to 7
//   bytes. Title (the melody's, else the fallback) becomes the list title, CP932, cut on a
//   character boundary to 32 bytes. Tempo becomes beats per minute of the song's beat
//   (120 quarters per minute when the melody has none); outside 40..240 the nearest of them is
//   stored and the tempo itself (within 20..960) kept beside the grid. Fame level 0.
// - Written bar lines (where the reader tells them) that fall inside a song measure, after a
//   meter change or a measure longer than its meter, are counted in the report.
// - More than 1024 beats: the song ends with the last whole measure within them; the rest is
//   left out and the report says so.

#include "import/Melody.h"
#include "song/MeterBeats.h"
#include "song/SongVoices.h"

#include <memory>
#include <string>
#include <vector>

class CSongData;

struct SongBuildReport {
    int moved = 0;          // notes placed off the time the file gives them
    int dropped = 0;        // notes left out: their grid position was taken
    bool truncated = false; // the melody ran past 1024 beats
    int skipped = 0;        // what the reader could not read and left out
    int placed = 0;         // pitched notes that stand on the grid
    int barsOffGrid = 0;    // written bar lines within the song that fall inside a song measure
};

// The song's beat and measure as the builder chooses them from a meter.
struct SongMeter {
    int beatsPerMeasure = 4;
    int64_t beatTicks = kTicksPerQuarter;
    int division = 2; // parts of a beat as counted: 3 where the beat is dotted
};

class SongBuilder {
public:
    static constexpr int kMaxBeats = 1024;
    static constexpr int kMaxGridBeats = 8;
    static constexpr int kEntryTextBytes = 7;
    static constexpr double kDefaultQuarterTempo = 120;

    static SongMeter MeterFor(int numerator, int denominator);
    static int KeyIndexFor(int fifths, bool minor);

    explicit SongBuilder(const Melody& melody) : melody(melody) {}
    // fallbackTitle (UTF-8) is used when the melody has no title.
    std::unique_ptr<CSongData> Build(const std::string& fallbackTitle);
    const SongBuildReport& Report() const { return report; }
    // Another voice's notes on the built song's timeline, each from the sixth nearest its onset
    // to the sixth nearest its end; those past the song's end are left out. `oneLine` keeps the
    // highest note at each onset and ends a note where the next starts, as one player plucks
    // one line; otherwise every note stays, as an accompaniment's chords. Call after Build.
    std::vector<VoiceNote> VoiceNotes(const std::vector<MelodyNote>& notes, bool oneLine) const;

private:
    struct Placed {
        int64_t onset, end; // ticks on the song's timeline (pickup padding included)
        int pitch;
        std::string lyric;
    };

    void ChooseGrid();
    std::vector<Placed> MelodyLine();
    // Whether a note placed before `onset` sounds with a note starting there for `duration`.
    bool SoundsWith(const Placed& earlier, int64_t onset, int64_t duration) const;
    void PlaceNotes(CSongData& song, const std::vector<Placed>& line);
    void FillRests(CSongData& song) const;
    void PlaceChords(CSongData& song) const;
    void SetSummary(CSongData& song, const std::string& fallbackTitle) const;
    void SetRepeats(CSongData& song) const;
    void CountBarsOffGrid();
    int64_t GridEnd() const;
    int64_t SlackTicks() const;
    // Whether the onset lies within the slack of a quarter beat; `sixth` is where that is drawn.
    bool NearQuarter(int64_t onset, int64_t& sixth) const;
    int64_t PlaceOf(int64_t onset) const;
    bool StandsNear(int64_t onset, int64_t sixth) const;

    const Melody& melody;
    SongBuildReport report;
    SongMeter meter;
    MeterBeats writtenMeter;
    int64_t padTicks = 0;
    int measureCount = 1;
    int beatCount = 0;
    std::vector<bool> assigned; // chain positions (quarter beats) holding a note or continuation
};
