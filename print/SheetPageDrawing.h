#pragma once
// The one drawing of a sheet's page: the printer, the print preview, the PDF and the SVG all
// draw the pages of a plan through it.

#include "print/ScoreSheet.h"
#include "print/SheetPlan.h"

class QPainter;
class QPaintDevice;

// Measures the sheet's texts in the faces they are drawn in on `device`.
SheetTextMeasure MeasureSheetText(const QPaintDevice* device, int dotsPerInch);

// Page `index` of the plan onto a painter whose origin is the page's corner: the score, its
// words and the legend where they reach the page, its glue bands and its label.
void DrawSheetPage(QPainter& painter, const SheetPlan& plan, size_t index);
