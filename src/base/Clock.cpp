#include "base/Clock.h"

#include <QCoreApplication>
#include <QTimer>

namespace quillet {

QDateTime SystemClock::now() const {
    return QDateTime::currentDateTimeUtc();
}

void SystemClock::after(int ms, std::function<void()> work) {
    QTimer::singleShot(ms, QCoreApplication::instance(), std::move(work));
}

}  // namespace quillet
