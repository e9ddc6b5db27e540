#include "common/QtText.h"

#include "common/Cp932.h"

#include <QFont>

QString FromCp932(std::string_view bytes)
{
    return QString::fromStdString(Cp932ToUtf8(bytes));
}

QFont DialogFont()
{
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPointSize(9);
    return font;
}
