#pragma once
// The print command's work on a score it is handed: the legend from the song, the job on a
// chosen printer, and the same sheet as an SVG file.

#include "print/ScoreSheet.h"
#include "render/FittedScore.h"
#include "render/ScoreWords.h"

#include <QString>

class CPrintPicture;
class CSongData;

// The song's list title; when it has none, its file name without the extension.
QString SongTitle(const CSongData& song);

// The legend of measures first..last of a song already fitted to the strings.
SheetLegend LegendOf(const CSongData& song, int firstMeasure, int lastMeasure);

// Prints the score on the printer the job has chosen: traced as vector geometry where its
// picture would be stretched to, on one page or on both halves of the sheet, with the legend
// below it; when the job has a spacing, at that scale over as many pages as it takes, with the
// scale bar in the legend. Failures are reported by the job; false after one.
// The words, chords and measures chosen go over the score, and the legend names them.
bool PrintScorePicture(CPrintPicture& job, const DeviceMode& mode, const SheetLegend& legend, const FittedScore& score,
                       const WordChoices& words);

// Writes the score as the A3 sheet the print command makes, on one SVG page; with a spacing,
// the whole sheet at that scale on one page of its own size. False when the file cannot be
// written.
bool WriteScoreSvg(const QString& fileName, const SheetLegend& legend, const FittedScore& score,
                   const WordChoices& words, int spacingTenthsMm = 0);
