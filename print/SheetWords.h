#pragma once
// The words, chord names and measures of a score on paper: placed at the printed text size,
// drawn over the traced score in the same rectangle.

#include "print/PageArithmetic.h"
#include "render/ScoreWords.h"

#include <QStringList>

class QPainter;

// The names of what the choices show, as the legend lists them.
QStringList ShownOnSheet(const WordChoices& choices);

// Places what the player chose for a score traced into `target` at `dotsPerInch`: the texts'
// printed size decides where they find room.
ScoreWords PlaceSheetWords(const ScoreGeometry& score, const ScoreLayout& layout, const WordChoices& choices,
                           const DeviceRect& target, int dotsPerInch);

// Measure marks across the strings and their numbers, then the chord names and the syllables.
void DrawSheetWords(QPainter& painter, const ScoreGeometry& score, const ScoreWords& words, const DeviceRect& target,
                    int dotsPerInch);
