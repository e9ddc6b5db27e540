#pragma once
// Dialog templates are laid out in dialog units; with the 9-point dialog font one unit is
// one and a half pixels on both axes.

#include <QRect>

inline int DluToPixels(int units)
{
    return units * 3 / 2;
}

inline QRect DluRect(int x, int y, int width, int height)
{
    return QRect(DluToPixels(x), DluToPixels(y), DluToPixels(width), DluToPixels(height));
}
