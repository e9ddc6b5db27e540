#pragma once
// The words placed beside a laid-out score, drawn in the score's style: measure marks and
// numbers, dots, rest marks and counts, chord names, syllables and the way's signs. Only the
// score's drawing calls it, in its own order for the screen and for paper.

#include "render/ScoreGeometry.h"
#include "render/ScoreStyle.h"
#include "render/ScoreWords.h"

class QPainter;

// Measure marks (unless under the circles) and numbers, then the dots, rest marks and counts,
// the chord names, the syllables and the signs of the way.
void DrawWords(QPainter& p, const ScoreGeometry& score, const ScoreWords& words, const ScoreStyle& style);
// Paper's measure marks alone, for a style that draws them under the circles.
void DrawMeasuresUnder(QPainter& p, const ScoreGeometry& score, const ScoreWords& words, const ScoreStyle& style);

// The screen's measure marks, under the circles, or their numbers, over everything; pixel to
// pixel as the rest of the bitmap. The screen has them only when the learner asks.
void DrawBitmapMeasures(QPainter& p, const ScoreGeometry& score, const ScoreWords& words, const ScoreStyle& style,
                        bool numbers);
// The screen writes only the way's signs, small and bold as on paper, on its own pixels.
void DrawBitmapSigns(QPainter& p, const ScoreGeometry& score, const ScoreWords& words, const ScoreStyle& style);
