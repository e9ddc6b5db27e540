#pragma once
// The print command's work on score picture 0: the legend from the song, the job on a chosen
// printer, and the same sheet as an SVG file.

#include "print/ScoreSheet.h"

#include <QString>

class CPrintPicture;
class CSongData;

// The song's list title; when it has none, its file name without the extension.
QString SongTitle(const CSongData& song);

// The legend of measures first..last of a song already fitted to the strings.
SheetLegend LegendOf(const CSongData& song, int firstMeasure, int lastMeasure);

// Prints score picture 0 on the printer the job has chosen: traced as vector geometry on one
// page or on both halves of the sheet, with the legend below it. Failures are reported by
// the job; false after one.
bool PrintScorePicture(CPrintPicture& job, const DeviceMode& mode, const SheetLegend& legend);

// Writes score picture 0 as the A3 sheet the print command makes, on one SVG page. False
// when the file cannot be written.
bool WriteScoreSvg(const QString& fileName, const SheetLegend& legend);
