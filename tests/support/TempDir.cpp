#include "support/TempDir.h"

#include <QDeadlineTimer>
#include <QThread>

namespace quillet::test {

TempDir::TempDir() : m_dir(QDir::tempPath() + QStringLiteral("/quillet-test-XXXXXX")) {}

void drainEvents() {
    for (int i = 0; i < 10; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
    QDeadlineTimer timer(deadline);
    while (!condition()) {
        if (timer.hasExpired()) return condition();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

}  // namespace quillet::test
