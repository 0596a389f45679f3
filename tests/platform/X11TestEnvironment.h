#pragma once

// Shared by the X11 backend tests: the session they run in and a plain xcb connection that
// plays "another client".

#include <xcb/xcb.h>

#include <QByteArray>
#include <QString>
#include <memory>
#include <ostream>

#include <QObject>
#include <chrono>
#include <optional>

#include "platform/ClipboardReader.h"
#include "support/ChildProcess.h"
#include "support/Wait.h"
#include "support/XvfbSession.h"

// Readable failure messages for QString and QStringList.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace quillet::test {

// The session main() started; alive for the whole test run.
XvfbSession& x11Session();
// The connection Qt reads its events from (the one the application's backends use).
xcb_connection_t* applicationConnection();
// Starts this test program again in one of its helper roles (see main()).
std::unique_ptr<ChildProcess> startHelper(const QString& role);

// Asks `reader` for a read and returns its answer for `ticket`, if one came in time.
inline std::optional<ClipboardSnapshot> readSnapshot(
    ClipboardReader& reader, quint64 ticket,
    std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    std::optional<ClipboardSnapshot> answer;
    QObject receiver;
    QObject::connect(&reader, &ClipboardReader::snapshotRead, &receiver,
                     [&](quint64 answered, const ClipboardSnapshot& snapshot) {
                         if (answered == ticket) answer = snapshot;
                     });
    reader.requestRead(ticket);
    waitFor([&] { return answer.has_value(); }, timeout);
    return answer;
}

class XConnection {
public:
    XConnection();
    ~XConnection();
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    xcb_connection_t* get() const { return m_connection; }
    xcb_window_t root() const { return m_root; }
    xcb_atom_t atom(const char* name);
    xcb_window_t selectionOwner(const char* selection);
    // A passive grab on the root window; false when the server refused it.
    bool grabKey(quint8 keycode, quint16 modifiers);
    // Creates and maps a top-level window with WM_CLASS "instance\0className\0" and
    // _NET_WM_PID; it lives as long as the connection.
    xcb_window_t createWindow(const QByteArray& instance, const QByteArray& className, quint32 pid);
    // An unmapped window with no properties, like the ones clipboard owners select from.
    xcb_window_t createHiddenWindow();
    // Sets a 32-bit property (a window, a cardinal) on `window`.
    void setProperty(xcb_window_t window, const char* name, xcb_atom_t type, quint32 value);
    // Modifier and lock bits of the keyboard as the server sees them now.
    quint16 modifierState();

private:
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = 0;
};

}  // namespace quillet::test
