#pragma once
// What a text placed beside the circles must keep off, sorted into cells of the picture.

#include "render/ScoreWords.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

// Boxes and line pieces sorted into cells of the picture, so that a test looks only at what
// stands near it: a dense song has thousands of circles and texts, a place's neighbours few.
class TextObstacles {
public:
    TextObstacles(double width, double height)
        : columns(Cells(width, kCellWidth)), rows(Cells(height, kCellHeight)), boxCells(columns * rows),
          lineCells(columns * rows)
    {
    }

    void AddBox(const TextBox& box)
    {
        const size_t index = boxes.size();
        boxes.push_back(box);
        ForCells(box.left, box.top, box.right, box.bottom, [&](size_t cell) { boxCells[cell].push_back(index); });
    }

    void AddLine(double x1, double y1, double x2, double y2)
    {
        const size_t index = lines.size();
        lines.push_back({x1, y1, x2, y2});
        ForCells(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2),
                 [&](size_t cell) { lineCells[cell].push_back(index); });
    }

    bool HitsBox(const TextBox& box) const
    {
        bool hit = false;
        ForCells(box.left, box.top, box.right, box.bottom, [&](size_t cell) {
            for (size_t i : boxCells[cell])
                hit = hit || boxes[i].Overlaps(box);
        });
        return hit;
    }

    bool HitsLine(const TextBox& box) const
    {
        bool hit = false;
        ForCells(box.left, box.top, box.right, box.bottom, [&](size_t cell) {
            for (size_t i : lineCells[cell])
                hit = hit || Crosses(lines[i], box);
        });
        return hit;
    }

private:
    struct Line {
        double x1, y1, x2, y2;
    };
    static constexpr double kCellWidth = 16, kCellHeight = 8;
    // Pictures are at most a few thousand pixels across; anything beyond shares the edge cells.
    static constexpr size_t kMaxCellsAcross = 1024;

    static size_t Cells(double length, double cell)
    {
        return static_cast<size_t>(std::clamp(std::ceil(length / cell), 1.0, double(kMaxCellsAcross)));
    }

    static size_t Cell(double at, double cell, size_t count)
    {
        return static_cast<size_t>(std::clamp(std::floor(at / cell), 0.0, double(count - 1)));
    }

    template <class F>
    void ForCells(double left, double top, double right, double bottom, F f) const
    {
        for (size_t r = Cell(top, kCellHeight, rows); r <= Cell(bottom, kCellHeight, rows); ++r)
            for (size_t c = Cell(left, kCellWidth, columns); c <= Cell(right, kCellWidth, columns); ++c)
                f(r * columns + c);
    }

    // Whether the segment passes through the box: clipped to the box's rows, its x range
    // meets the box's columns.
    static bool Crosses(const Line& l, const TextBox& box)
    {
        double ya = l.y1, yb = l.y2, xa = l.x1, xb = l.x2;
        if (ya > yb) {
            std::swap(ya, yb);
            std::swap(xa, xb);
        }
        const double top = std::max(ya, box.top), bottom = std::min(yb, box.bottom);
        if (top > bottom)
            return false;
        auto xAt = [&](double y) { return yb == ya ? xa : xa + (xb - xa) * (y - ya) / (yb - ya); };
        const double x1 = xAt(top), x2 = xAt(bottom);
        return std::max(x1, x2) > box.left && std::min(x1, x2) < box.right;
    }

    size_t columns, rows;
    std::vector<TextBox> boxes;
    std::vector<Line> lines;
    std::vector<std::vector<size_t>> boxCells, lineCells;
};
