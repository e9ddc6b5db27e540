#pragma once
// The one place where CP932 bytes from song files become text for the screen.

#include <QString>
#include <string_view>

QString FromCp932(std::string_view bytes);

// The dialog font: IPAPGothic stands in for the 9-point proportional Gothic face.
class QFont;
QFont DialogFont();
