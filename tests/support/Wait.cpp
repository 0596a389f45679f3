#include "support/Wait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTest>
#include <thread>

namespace quillet::test {

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    // Qt's own wait also runs deferred deletions, which a nested event loop would not.
    if (QCoreApplication::instance())
        return QTest::qWaitFor(condition, static_cast<int>(timeout.count()));
    // Before the application exists (a session starting up), without an event loop.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void drainEvents() {
    for (int i = 0; i < 10; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace quillet::test
