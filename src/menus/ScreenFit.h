#pragma once

#include <QObject>
#include <QRect>
#include <QSet>

class QWidget;

namespace quillet {

// Keeps every top-level window, dialogs included, inside the available area of the screen it
// opens on, at any scale factor and however long ago it was made: each time one is shown, a
// window larger than that area is made smaller and one reaching past an edge is moved in.
// Menus and tool tips place themselves and are left alone.
class ScreenFit final : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Fits the windows among `target`'s events from now on (the application: all of them).
    void watch(QObject* target) { target->installEventFilter(this); }

    // Fits `window` now, on the screen its frame lies on most (else the primary screen).
    static void fit(QWidget* window);
    // `frame` cut to `available` where it is larger, then moved just enough to lie inside it.
    static QRect keepInside(QRect frame, const QRect& available);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Windows shown whose window-manager frame is not known yet: it is known only once the
    // manager has taken the window in (it moves the window then), and a frame that then
    // reaches past the screen is fitted again. Dropped when hidden or destroyed.
    QSet<QObject*> m_awaitingFrame;
};

}  // namespace quillet
