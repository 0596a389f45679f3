#include "platform/x11/X11Workspace.h"

#include <QByteArray>
#include <QList>
#include <utility>

#include "platform/x11/XcbSupport.h"

namespace quillet {

namespace {

// A property of `window`, or null when it is missing or the window is gone.
xcb::Ptr<xcb_get_property_reply_t> property(xcb_connection_t* connection, xcb_window_t window,
                                            xcb_atom_t name, xcb_atom_t type, uint32_t units) {
    xcb::Ptr<xcb_get_property_reply_t> reply{xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, name, type, 0, units), nullptr)};
    if (!reply || reply->type == XCB_ATOM_NONE || xcb_get_property_value_length(reply.get()) <= 0)
        return nullptr;
    return reply;
}

std::optional<quint32> cardinal(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t name,
                                xcb_atom_t type) {
    const auto reply = property(connection, window, name, type, 1);
    if (!reply || reply->format != 32) return std::nullopt;
    return *static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
}

}  // namespace

X11Workspace::X11Workspace(xcb_connection_t* connection, QString ownBundleIdentifier,
                           quint32 rootWindow)
    : m_connection(connection), m_ownBundleIdentifier(std::move(ownBundleIdentifier)) {
    if (!m_connection || xcb_connection_has_error(m_connection)) return;
    m_root = rootWindow != 0 ? rootWindow : xcb::rootWindow(m_connection);
    m_netActiveWindow = xcb::internAtom(m_connection, "_NET_ACTIVE_WINDOW");
    m_netWmPid = xcb::internAtom(m_connection, "_NET_WM_PID");
}

std::optional<RunningApplication> X11Workspace::frontmostApplication() {
    if (m_root == 0 || m_netActiveWindow == XCB_ATOM_NONE) return std::nullopt;
    const std::optional<quint32> window =
        cardinal(m_connection, m_root, m_netActiveWindow, XCB_ATOM_WINDOW);
    if (!window || *window == XCB_WINDOW_NONE) return std::nullopt;

    RunningApplication app;
    app.window = *window;
    if (m_netWmPid != XCB_ATOM_NONE)
        app.pid = cardinal(m_connection, *window, m_netWmPid, XCB_ATOM_CARDINAL).value_or(0);
    // WM_CLASS is "instance\0class\0"; the class names the program.
    if (const auto wmClass =
            property(m_connection, *window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 256)) {
        const QByteArray value(static_cast<const char*>(xcb_get_property_value(wmClass.get())),
                               xcb_get_property_value_length(wmClass.get()));
        const QList<QByteArray> parts = value.split('\0');
        if (parts.size() >= 2 && !parts[1].isEmpty())
            app.bundleIdentifier = QString::fromUtf8(parts[1]);
    }
    return app;
}

std::optional<QString> X11Workspace::ownBundleIdentifier() const {
    if (m_ownBundleIdentifier.isEmpty()) return std::nullopt;
    return m_ownBundleIdentifier;
}

void X11Workspace::activate(const RunningApplication& app) {
    if (m_root == 0 || m_netActiveWindow == XCB_ATOM_NONE || app.window == 0) return;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = static_cast<xcb_window_t>(app.window);
    message.type = m_netActiveWindow;
    message.data.data32[0] = 2;  // source indication: a pager, so the request is honoured
    message.data.data32[1] = XCB_CURRENT_TIME;
    message.data.data32[2] = XCB_WINDOW_NONE;
    xcb_send_event(m_connection, 0, m_root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(m_connection);
}

}  // namespace quillet
