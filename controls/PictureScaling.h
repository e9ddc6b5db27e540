#pragma once

#include <QImage>

// The picture as the screen shows it at the zoom: trunc(zoom x size). Shrinking keeps dark
// pixels (each target pixel takes, per channel, the minimum of the source pixels it covers),
// so a one-pixel string line stays visible at half size; enlarging repeats pixels.
QImage ScaleForShow(const QImage& source, double zoom);
// The part `target` of that picture (clipped to it), made without the rest of it.
QImage ScaleForShow(const QImage& source, double zoom, const QRect& target);
