#pragma once
// The sheet's texts as the plan holds them: their faces, how they are measured, and the boxes
// they stand in, in device pixels.

#include "render/ScoreWords.h"

#include <functional>
#include <string>
#include <utility>

// The faces of the sheet's texts; the Qt side knows their fonts.
enum class SheetFont { kWord, kChord, kMeasureNumber, kStringName, kTitle, kText, kCount, kSign };

// The face a text beside the circles is written in.
SheetFont SheetFontOfText(TextKind kind);

// Width and height of a UTF-8 text in a face, in device pixels at the paper's resolution; the
// height is the face's line height, whatever the text.
using SheetTextMeasure = std::function<std::pair<double, double>(SheetFont font, const std::string& utf8)>;

// Device pixels of the sheet, or of a page where said.
struct SheetBox {
    double left = 0, top = 0, width = 0, height = 0;
    double Right() const { return left + width; }
    double Bottom() const { return top + height; }
};

struct SheetLabel {
    std::string text; // UTF-8
    SheetBox box;
};
