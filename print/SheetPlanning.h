#pragma once
// Planning a print: a fitted score to the sheets and pages it goes on, fitted to the paper or
// at the harp's own scale.

#include "print/SheetPlan.h"
#include "print/SongFacts.h"

#include <optional>

// Plans the sheet of a fitted score on the paper: fitted to it (one page, or the two A4 halves
// of an A3 sheet) or at the settings' spacing over as many pages as it takes. With `facts`, the
// legend has the song's title and facts lines.
SheetPlan PlanSheet(const FittedScore& score, const SheetSettings& sheet, const SheetPaper& paper,
                    const SheetTextMeasure& measure, const std::optional<SongFacts>& facts);

// The print of a fitted score: fitted to the paper, one sheet as PlanSheet makes it; at scale,
// the range on as many sheets as the harp's strings (`sheet.harpHeightMm`) take, each on one
// page where its strings fit the paper's width, else on columns of pages glued together.
SheetSet PlanSheets(const FittedScore& score, const SheetSettings& sheet, const SheetPaper& paper,
                    const SheetTextMeasure& measure, const std::optional<SongFacts>& facts);

// Whether a sheet at scale of `stringCount` strings wants the paper turned: its strings fit the
// paper's width only when it lies across.
bool SuitsLandscape(int stringCount, const SheetSettings& sheet, double paperWidthMm, double paperLengthMm);

// The whole sheet on one page of its own size, as the SVG holds it: fitted to A3, or at the
// settings' spacing.
SheetSet PlanWholeSheet(const FittedScore& score, const SheetSettings& sheet, int dotsPerInch,
                        const SheetTextMeasure& measure, const std::optional<SongFacts>& facts);
