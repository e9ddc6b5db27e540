#pragma once
// What every drawing on paper shares: the sheet's fonts at the device's resolution and its boxes
// as Qt's rectangles.

#include "print/SheetPlan.h"
#include "render/ScoreDrawing.h"

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <algorithm>

// The font installed for the sheet's Japanese and Latin text, at a height on paper.
inline QFont PageFont(double millimetres, int dotsPerInch, bool bold = false)
{
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(std::max(1, static_cast<int>(Dots(millimetres, dotsPerInch) + 0.5)));
    font.setBold(bold);
    return font;
}

// Each face of the sheet's texts: syllables small enough to sit in a string's gap.
inline QFont SheetFontOf(SheetFont face, int dotsPerInch)
{
    switch (face) {
    case SheetFont::kWord: return PageFont(2.8, dotsPerInch);
    case SheetFont::kChord: return PageFont(3.0, dotsPerInch, true);
    case SheetFont::kMeasureNumber: return PageFont(2.4, dotsPerInch);
    case SheetFont::kStringName: return PageFont(2.5, dotsPerInch);
    case SheetFont::kTitle: return PageFont(5.0, dotsPerInch, true);
    case SheetFont::kCount: return PageFont(2.2, dotsPerInch);
    case SheetFont::kSign: return PageFont(3.0, dotsPerInch, true);
    case SheetFont::kText: break;
    }
    return PageFont(3.2, dotsPerInch);
}

inline QRectF Rect(const SheetBox& box)
{
    return QRectF(box.left, box.top, box.width, box.height);
}
