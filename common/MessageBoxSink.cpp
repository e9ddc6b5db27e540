#include "common/MessageBoxSink.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

namespace {

void ShowBox(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::translate("CDovrelPlinvaraDlg", kMessageBoxTitle), text, QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace

void MessageBoxSink::Show(const std::string& text)
{
    const QString message = QString::fromStdString(text);
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        ShowBox(message);
        return;
    }
    QMetaObject::invokeMethod(app, [message] { ShowBox(message); }, Qt::BlockingQueuedConnection);
}

bool MessageBoxSink::Ask(const std::string& text)
{
    QMessageBox box(QMessageBox::Question, QCoreApplication::translate("CDovrelPlinvaraDlg", kMessageBoxTitle), QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.setWindowModality(Qt::ApplicationModal);
    return box.exec() == QMessageBox::Yes;
}
