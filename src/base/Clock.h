#pragma once

#include <QDateTime>
#include <functional>

namespace quillet {

// Wall-clock time and delayed work on the main loop, so tests can drive time by hand.
class Clock {
public:
    Clock() = default;
    virtual ~Clock() = default;
    Clock(const Clock&) = delete;
    Clock& operator=(const Clock&) = delete;

    virtual QDateTime now() const = 0;
    // Runs `work` on the main loop after `ms` milliseconds.
    virtual void after(int ms, std::function<void()> work) = 0;
};

// The real clock: QDateTime and QTimer.
class SystemClock final : public Clock {
public:
    QDateTime now() const override;
    void after(int ms, std::function<void()> work) override;
};

}  // namespace quillet
