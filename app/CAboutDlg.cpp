#include "app/CAboutDlg.h"

#include "common/QtText.h"
#include "controls/DialogUnits.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QString::number(kResourceId));
    setWindowTitle(QStringLiteral("DovrelPlinvaraのﾊﾞｰｼﾞｮﾝ情報"));
    setFont(DialogFont());
    setFixedSize(DluToPixels(235), DluToPixels(55));

    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/128.png")).pixmap(32, 32));
    icon->setGeometry(DluToPixels(11), DluToPixels(17), 32, 32);

    auto* text = new QLabel(QStringLiteral("DovrelPlinvara  ハープ用図形楽譜  Version %1").arg(QStringLiteral(DP_VERSION)), this);
    text->setGeometry(DluToPixels(40), DluToPixels(17), DluToPixels(130), DluToPixels(10));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    ok->setGeometry(DluRect(178, 7, 50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
