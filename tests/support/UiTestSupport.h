#pragma once
// Helpers for widget tests: controls found by their numbers, modal dialogs answered from a
// timer, states waited for, pixels read from pictures.

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
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

// How long a test waits for a state before it fails: a bound for a test that would hang, far
// beyond what any state takes on a loaded machine.
constexpr int kStateLimitMs = 30000;

// Processes events until `done` holds; false when the limit passed first.
inline bool WaitForState(const std::function<bool()>& done)
{
    return QTest::qWaitFor(done, kStateLimitMs);
}

// Whatever a test left waiting goes with it (UiTestMain), so that it never answers the next one's.
inline QObject& PendingAnswers()
{
    static QObject* pending = new QObject;
    return *pending;
}

// Polls for the widget `find` gives, then runs `answer` on it once `ready` holds for it; past the
// limit it is answered all the same, so that it closes.
inline void WhenWidgetAppears(std::function<QWidget*()> find, std::function<bool(QWidget*)> ready,
                              std::function<void(QWidget*)> answer)
{
    auto* timer = new QTimer(&PendingAnswers());
    auto since = std::make_shared<QElapsedTimer>();
    since->start();
    QObject::connect(timer, &QTimer::timeout, [timer, since, find, ready, answer] {
        QWidget* widget = find();
        if (!(widget && ready(widget)) && since->elapsed() < kStateLimitMs)
            return;
        timer->stop();
        timer->deleteLater();
        if (widget)
            answer(widget);
    });
    timer->start(10);
}

// Runs `answer` on the next modal dialog that opens, once it is the active window: before the
// window system's activation arrives, focus cannot move inside it and typed text is not taken.
inline void WhenModalOpens(std::function<void(QWidget*)> answer)
{
    WhenWidgetAppears([] { return QApplication::activeModalWidget(); },
                      [](QWidget* modal) { return QApplication::activeWindow() == modal; }, std::move(answer));
}

// Runs `answer` on the next popup menu that opens (a context menu: open before the answer).
inline void WhenPopupOpens(std::function<void(QWidget*)> answer)
{
    WhenWidgetAppears([] { return QApplication::activePopupWidget(); }, [](QWidget*) { return true; },
                      std::move(answer));
}

// Gives `widget` the keyboard focus in its active window, as a click or Tab would.
inline bool GiveFocus(QWidget* widget)
{
    QWidget* window = widget->window();
    if (!WaitForState([&] { return QApplication::activeWindow() == window; }))
        return false;
    widget->setFocus(Qt::OtherFocusReason);
    return WaitForState([&] { return widget->hasFocus(); });
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
