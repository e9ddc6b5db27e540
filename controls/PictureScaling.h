#pragma once

#include <QImage>

// The picture as the screen shows it at the zoom: trunc(zoom x size). Shrinking keeps dark
// pixels (each target pixel takes, per channel, the minimum of the source pixels it covers),
// so a one-pixel string line stays visible at half size; enlarging repeats pixels.
QImage ScaleForShow(const QImage& source, double zoom);
