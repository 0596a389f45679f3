#pragma once

#include <QString>
#include <memory>

namespace quillet::test {

// A remote desktop session of Mutter's own (org.gnome.Mutter.RemoteDesktop on the
// compositor's session bus): keys sent through it reach the seat as a keyboard's would. The
// rig presses keys with one; the fake RemoteDesktop portal forwards the keys it is sent
// through another, as the real portal hands them to Mutter.
class MutterRemoteKeyboard {
public:
    // Null when Mutter's interface did not answer; `error` says why.
    static std::unique_ptr<MutterRemoteKeyboard> open(const QString& busAddress,
                                                      QString* error = nullptr);
    ~MutterRemoteKeyboard();
    MutterRemoteKeyboard(const MutterRemoteKeyboard&) = delete;
    MutterRemoteKeyboard& operator=(const MutterRemoteKeyboard&) = delete;

    // An evdev code pressed or released; false when Mutter refused it.
    bool key(quint32 evdevCode, bool pressed);
    bool tap(quint32 evdevCode) { return key(evdevCode, true) && key(evdevCode, false); }

private:
    MutterRemoteKeyboard() = default;

    QString m_connectionName;
    QString m_session;  // object path of the session
};

}  // namespace quillet::test
