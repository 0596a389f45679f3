#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "platform/KeyboardEvents.h"

class QDBusMessage;

namespace quillet {

class PortalRegistration;
class PortalRequests;

// Where the restore token of the RemoteDesktop portal is kept between runs (the settings
// file), so that a desktop that can remember the user's approval asks only once.
struct RestoreTokenStore {
    std::function<QString()> load;
    std::function<void(const QString&)> save;
};

// Paste through the desktop's RemoteDesktop portal, for compositors that offer no virtual
// keyboard (GNOME's Mutter). The desktop asks the user to allow it, so one session, keyboard
// only, is opened at start and kept for the program's life; where the portal can persist the
// approval (version 2), the restore token is kept and given back on the next start. Until the
// user has answered, isTrusted() is false and a chosen text stays on the clipboard. Keys go
// as evdev codes (NotifyKeyboardKeycode), sent without waiting; the bus keeps their order.
class PortalRemoteKeyboard final : public QObject, public KeyboardEvents {
    Q_OBJECT
public:
    struct Timeouts {
        int callMs = 5000;        // a method's reply
        int stepMs = 10000;       // CreateSession's and SelectDevices' answers
        int approvalMs = 120000;  // Start's answer: the user reads a dialog first
    };

    enum class State {
        probing,       // asking for the portal and its version
        opening,       // creating the session, choosing the keyboard
        awaitingUser,  // the desktop asks the user to allow it
        unanswered,    // no answer within the approval time; a late one is still taken
        ready,         // keys can be sent
        refused,       // the user (or the desktop) said no
        ended,         // the desktop closed the session, or the portal went away
        unavailable,   // no RemoteDesktop portal, or one that offers no keyboard
    };

    // Portal bits and options this uses.
    static constexpr uint keyboardDevice = 1;
    static constexpr uint persistUntilRevoked = 2;
    static constexpr uint persistingVersion = 2;
    static constexpr int maxTokenLength = 512;

    PortalRemoteKeyboard(QDBusConnection bus, std::shared_ptr<PortalRegistration> registration,
                         RestoreTokenStore tokens, Timeouts timeouts, QObject* parent = nullptr);
    ~PortalRemoteKeyboard() override;

    bool isTrusted() override { return m_state == State::ready; }
    // Key down presses the flags' modifiers first; key up releases them afterwards.
    void postKey(quint16 virtualKeyCode, bool keyDown, quint64 flags) override;
    // The portal never says which keys are down.
    bool anyKeyHeld() override { return false; }
    bool canQueryHeldKeys() const override { return false; }

    State state() const { return m_state; }
    // This backend and its state, in words for `quillet --status`.
    QString statusText() const;

private slots:
    void onSessionClosed(const QDBusMessage& message);

private:
    void probe();
    void createSession();
    void selectDevices();
    void start();
    void fail(State state, const QString& why);
    void setState(State state);
    void sendKeycode(quint32 evdevCode, bool down);
    void closeSession();

    QDBusConnection m_bus;
    std::shared_ptr<PortalRegistration> m_registration;
    std::unique_ptr<PortalRequests> m_requests;
    RestoreTokenStore m_tokens;
    Timeouts m_timeouts;
    State m_state = State::probing;
    uint m_version = 0;
    QString m_session;
    bool m_sendFailed = false;  // said once
};

}  // namespace quillet
