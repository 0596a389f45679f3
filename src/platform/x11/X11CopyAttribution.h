#pragma once

#include <xcb/xcb.h>

#include <QStringList>
#include <optional>
#include <vector>

namespace quillet {

// Tells which application made a copy on an X11 server, from the clipboard owner's window:
// its WM_CLASS; else that of a top-level window of the same client (the same X client, the
// same WM_CLIENT_LEADER or the same _NET_WM_PID); else that of the active window, since a
// copy is nearly always made with the keyboard in the focused window. Owners often select
// from a hidden window of their own that names nothing (xclip, Qt, GTK).
//
// Every answer comes from the server, never from the owner, and every property read is
// bounded, so a hostile owner can make it neither wait nor allocate. Runs on the reader's
// thread, over the reader's connection.
class X11CopyAttribution {
public:
    X11CopyAttribution(xcb_connection_t* connection, xcb_window_t root);

    // The instance and class names behind `owner`; empty when no rule names anything.
    QStringList applicationOf(xcb_window_t owner);

    // More top-levels than a desktop has are not looked at.
    static constexpr quint32 maxTopLevels = 4096;
    // WM_CLASS is two short names; longer ones are cut here.
    static constexpr quint32 maxClassBytes = 512;

private:
    // What the owner's window says of its program.
    struct Client {
        xcb_window_t window;
        std::optional<quint32> leader;
        std::optional<quint32> pid;
    };

    QStringList classOf(xcb_window_t window);
    static QStringList classNames(const xcb_get_property_reply_t* reply);
    // The root's client list when it has one, else its children.
    std::vector<xcb_window_t> topLevels(const xcb_get_property_reply_t* clientList);
    QStringList sameClient(const Client& owner, const std::vector<xcb_window_t>& windows);

    xcb_connection_t* m_connection;
    xcb_window_t m_root;
    quint32 m_resourceMask;
    xcb_atom_t m_clientLeader;
    xcb_atom_t m_pid;
    xcb_atom_t m_clientList;
    xcb_atom_t m_activeWindow;
};

}  // namespace quillet
