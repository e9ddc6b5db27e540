#pragma once
// Bounds on hostile ABC input. The tokenizer, the tune finder and the readers enforce them;
// what lies beyond a bound is skipped and counted, never read.

#include <cstddef>

constexpr size_t kAbcMaxLineBytes = 64 * 1024;  // a longer line is skipped whole
constexpr int kAbcMaxTunes = 10000;              // tunes offered per file; later ones are not
constexpr size_t kAbcMaxTitleBytes = 256;        // a longer title is cut at a character
constexpr size_t kAbcMaxLyricBlockBytes = 1 << 20; // a w: line with its +: lines; later +: skipped
constexpr int kAbcMaxVerses = 64;                // w: lines of one block, W: lines of a tune
constexpr size_t kAbcMaxVerseBytes = 2000;       // a verse's line of text
constexpr int kAbcMaxEvents = 100000;            // notes, rests and bar lines one tune may write
// Events the voices beside the melody write together: room for the 400,000 notes a file's
// voices may hold with a bar line to every two or three, and no more, for each costs memory.
constexpr size_t kAbcMaxVoiceEvents = 600000;
constexpr int kAbcMaxPlayedNotes = 200000;       // notes, and chord names, once repeats are played out
constexpr int kAbcMaxLengthTerm = 1024;          // numerator or denominator of a length or L:
constexpr int kAbcMaxNoteWholes = 1024;          // longest note or rest, in whole notes
constexpr int kAbcMaxMeterTerm = 64;             // numerator and denominator of M:
constexpr int kAbcMaxTupletTerm = 16;            // p and q of (p:q:r
constexpr int kAbcMaxTupletNotes = 64;           // r of (p:q:r
constexpr int kAbcMaxBrokenRhythm = 3;           // > >> >>>
constexpr int kAbcMaxEndingNumber = 31;          // [1 .. [31
constexpr size_t kAbcMaxDecorationBytes = 40;    // !name! and +name+
constexpr int kAbcMaxOctaveShift = 4;            // octave= and clef octave marks together
constexpr double kAbcMaxTempo = 2000;            // quarter notes per minute
