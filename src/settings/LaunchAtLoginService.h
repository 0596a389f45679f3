#pragma once

#include <QString>

namespace quillet {

class LoginItem;

// Starts this program at login, or stops doing so, through the system's login item. Nothing
// is kept here: every answer comes from the system.
class LaunchAtLoginService {
public:
    // `item` must outlive the service.
    explicit LaunchAtLoginService(LoginItem& item) : m_item(item) {}

    // True only while the system reports the item enabled (waiting for approval, missing
    // program or not registered all read as off).
    bool isEnabled() const;
    // False when the system refuses; `error` then holds its message.
    bool setEnabled(bool enabled, QString* error);

private:
    LoginItem& m_item;
};

}  // namespace quillet
