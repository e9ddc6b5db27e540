#include "app/CAboutDlg.h"

#include "common/QtText.h"
#include "controls/DialogUnits.h"

#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QString::number(kResourceId));
    setWindowTitle(tr("DovrelPlinvaraのﾊﾞｰｼﾞｮﾝ情報"));
    setFont(DialogFont());
    setFixedSize(DluToPixels(235), DluToPixels(55));

    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/128.png")).pixmap(32, 32));
    icon->setGeometry(DluToPixels(11), DluToPixels(17), 32, 32);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    ok->setGeometry(DluRect(178, 7, 50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    // The template's 130 units were measured with another font: the text takes the room up to
    // the OK button, and goes on a second line from "Version" when one line is too long for it.
    const int left = DluToPixels(40), top = DluToPixels(17);
    const int room = ok->geometry().left() - DluToPixels(7) - left;
    const QString name = tr("DovrelPlinvara  ハープ用図形楽譜");
    const QString version = QStringLiteral("Version %1").arg(QStringLiteral(DP_VERSION));
    const QFontMetrics metrics(font());
    QString shown = name + QStringLiteral("  ") + version;
    if (metrics.horizontalAdvance(shown) > room)
        shown = name + QLatin1Char('\n') + version;
    auto* text = new QLabel(shown, this);
    text->setObjectName(QStringLiteral("text"));
    text->setWordWrap(true); // a font larger still wraps instead of cutting
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const QRect needed = metrics.boundingRect(QRect(0, 0, room, height()), Qt::TextWordWrap, shown);
    text->setGeometry(left, top, room, std::min(needed.height(), height() - top));
}
