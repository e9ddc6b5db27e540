#pragma once
#include <QColor>
#include <QWidget>

// The background the pill bitmaps are drawn on, so that their rounded ends blend in.
inline void UsePillBackground(QWidget* window)
{
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, QColor(194, 194, 200));
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}
