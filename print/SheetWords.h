#pragma once
// What the sheet's legend says its switches show.

#include "render/ScoreWords.h"

#include <QStringList>

// The names of what the choices show, as the legend lists them.
QStringList ShownOnSheet(const WordChoices& choices);
