#include "menus/ScreenFit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace quillet {

namespace {

QScreen* screenOf(const QRect& frame, QWidget* window) {
    if (QScreen* screen = QGuiApplication::screenAt(frame.center())) return screen;
    if (QScreen* screen = window->screen()) return screen;
    return QGuiApplication::primaryScreen();
}

}  // namespace

void ScreenFit::fit(QWidget* window) {
    const QRect frame = window->frameGeometry();
    QScreen* screen = screenOf(frame, window);
    if (!screen) return;
    QRect available = screen->availableGeometry();
    // Scaled, the frame's margins come rounded to whole logical pixels (an odd 5-pixel
    // border is 2 at scale 2): a pixel to spare on each side keeps the real frame inside.
    if (screen->devicePixelRatio() > 1) available.adjust(1, 1, -1, -1);
    const QRect fitted = keepInside(frame, available);
    if (fitted == frame) return;
    if (fitted.size() != frame.size()) {
        // A minimum larger than the screen would undo the resize: the screen wins.
        const QSize room = available.size() - (frame.size() - window->size());
        window->setMinimumSize(window->minimumSize().boundedTo(room));
        window->resize(window->size() - (frame.size() - fitted.size()));
    }
    window->move(fitted.topLeft());
}

QRect ScreenFit::keepInside(QRect frame, const QRect& available) {
    frame.setSize(frame.size().boundedTo(available.size()));
    if (frame.right() > available.right()) frame.moveRight(available.right());
    if (frame.bottom() > available.bottom()) frame.moveBottom(available.bottom());
    if (frame.left() < available.left()) frame.moveLeft(available.left());
    if (frame.top() < available.top()) frame.moveTop(available.top());
    return frame;
}

bool ScreenFit::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Show: {
            // Show reaches a window before it is mapped, so it appears where it fits.
            if (!watched->isWidgetType()) break;
            auto* widget = static_cast<QWidget*>(watched);
            const Qt::WindowType type = widget->windowType();
            if (!widget->isWindow() || type == Qt::Popup || type == Qt::ToolTip ||
                type == Qt::SplashScreen || (widget->windowFlags() & Qt::BypassWindowManagerHint))
                break;
            fit(widget);
            if (widget->frameGeometry() == widget->geometry() &&
                !(widget->windowFlags() & Qt::FramelessWindowHint) &&
                !m_awaitingFrame.contains(widget)) {
                m_awaitingFrame.insert(widget);
                connect(widget, &QObject::destroyed, this,
                        [this, widget] { m_awaitingFrame.remove(widget); });
            }
            break;
        }
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::WindowActivate:
            if (m_awaitingFrame.contains(watched)) {
                auto* widget = static_cast<QWidget*>(watched);
                if (widget->frameGeometry() != widget->geometry()) {
                    m_awaitingFrame.remove(watched);
                    fit(widget);
                }
            }
            break;
        case QEvent::Hide:
            m_awaitingFrame.remove(watched);
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quillet
