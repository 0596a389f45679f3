#pragma once

#include <QString>
#include <functional>

namespace quillet {

// The desktop's notification service: a passing message outside any window of ours, for a
// session without a tray to show one.
class Notifications {
public:
    // `shown(true)` once the desktop took the message; false when it refused or did not
    // answer in time (no service, a hung one).
    using Done = std::function<void(bool shown)>;

    Notifications() = default;
    virtual ~Notifications() = default;
    Notifications(const Notifications&) = delete;
    Notifications& operator=(const Notifications&) = delete;

    virtual void notify(const QString& title, const QString& body, Done done) = 0;
};

}  // namespace quillet
