#pragma once

// What the UI benchmarks wait for and look at: the event loop run until something holds, and
// which widgets have painted.

#include <QCoreApplication>
#include <QEvent>
#include <QHash>
#include <QObject>
#include <QWidget>

#include "StoreGenerator.h"

namespace quillet::bench {

// Runs the event loop until `done` holds, without sleeping; false after `deadlineNs` (two
// minutes unless said).
template <typename Done>
bool processUntil(Done done, qint64 deadlineNs = 120'000'000'000LL) {
    const qint64 deadline = nowNs() + deadlineNs;
    while (!done()) {
        if (nowNs() > deadline) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return true;
}

// Counts paint events per widget, for every widget of the application: a menu is created
// inside showMenu(), so there is nothing to install a filter on before it exists.
class PaintWatch : public QObject {
public:
    PaintWatch() { qApp->installEventFilter(this); }
    ~PaintWatch() override { qApp->removeEventFilter(this); }

    void clear() { m_paints.clear(); }
    bool painted(const QObject* widget) const { return m_paints.value(widget) > 0; }
    // On screen and painted since the last clear(): what a user would see.
    bool shown(const QWidget* widget) const {
        return widget && widget->isVisible() && painted(widget);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++m_paints[watched];
        return false;
    }

private:
    QHash<const QObject*, int> m_paints;
};

}  // namespace quillet::bench
