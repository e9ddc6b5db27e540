#pragma once
// The one drawing of a laid-out score: its strings, flow lines, circles and jump lines, then
// what the words placed beside them (measure marks and numbers, dots, rests, counts, chords,
// syllables, the way's signs). The screen's picture, the renderer's PNG, every page on paper,
// the print preview and the SVG all draw through it; what differs between them is its style.

#include "render/ScoreGeometry.h"
#include "render/ScoreStyle.h"
#include "render/ScoreWords.h"

#include <QColor>
#include <QPen>
#include <QPointF>

class QPainter;

// The colour a voice is drawn in when voices are told apart by colour; the melody's is black.
QColor VoiceColour(VoiceRole role);
// The others' voices on a player's sheet: light enough to read past, dark enough to follow.
constexpr int kFaintGrey = 175;

// The line that joins a voice's notes on paper, `pen` the thin line's width: each voice its
// own stroke (melody thin, second dashed, third thick, fourth dotted), so that paper without
// colour tells them apart. The screen keeps its solid and dotted lines.
QPen VoiceFlowPen(VoiceRole role, double pen, const QColor& ink);
// The dashed line between two voices' notes that start together, on paper.
QPen SynchPen(double pen, bool colour);

// The score and its words in the style.
void DrawScore(QPainter& painter, const ScoreGeometry& score, const ScoreWords& words, const ScoreStyle& style);

// One circle of the kind at the stretched size, its pen's outer edge the circle's edge.
void DrawCircleMark(QPainter& painter, QPointF centre, NoteMark mark, const Stretch& stretch, double pen,
                    const QColor& ink = Qt::black);
// The ring round a circle two voices share, its pen's outer edge the ring's edge.
void DrawSharedRing(QPainter& painter, QPointF centre, NoteMark mark, const Stretch& stretch, double pen,
                    const QColor& ink = Qt::black);
