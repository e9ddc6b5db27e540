#pragma once
// Helpers for widget tests: controls found by their numbers, modal dialogs answered from a
// timer, pixels read from pictures.

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>

template <class T = QWidget>
T* Control(QWidget* window, int id)
{
    return window->findChild<T*>(QString::number(id));
}

// Runs `answer` on the next modal dialog that opens (polling until it does, up to 5 s).
inline void WhenModalOpens(std::function<void(QWidget*)> answer)
{
    auto* timer = new QTimer;
    auto started = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, started, answer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            if (++*started > 500) {
                timer->stop();
                timer->deleteLater();
            }
            return;
        }
        timer->stop();
        timer->deleteLater();
        answer(modal);
    });
    timer->start(10);
}

inline void Press(QWidget* control, QPoint at = QPoint(20, 15))
{
    QTest::mousePress(control, Qt::LeftButton, Qt::NoModifier, at);
}

inline void Click(QWidget* control, QPoint at = QPoint(20, 15))
{
    QTest::mousePress(control, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(control, Qt::LeftButton, Qt::NoModifier, at);
}

inline bool IsBlack(QRgb c)
{
    return qRed(c) < 64 && qGreen(c) < 64 && qBlue(c) < 64;
}

inline bool IsWhite(QRgb c)
{
    return c == qRgb(255, 255, 255);
}
