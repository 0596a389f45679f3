#include "platform/x11/X11CopyAttribution.h"

#include <cstring>
#include <utility>

#include "base/Logging.h"
#include "platform/x11/XcbSupport.h"

namespace quillet {

namespace {

using xcb::Ptr;

// The window a window property names, if it holds exactly one.
std::optional<quint32> singleValue(const xcb_get_property_reply_t* reply, xcb_atom_t type) {
    if (reply == nullptr || reply->type != type || reply->format != 32 ||
        xcb_get_property_value_length(reply) != 4)
        return std::nullopt;
    quint32 value = 0;
    std::memcpy(&value, xcb_get_property_value(reply), 4);
    return value;
}

xcb_get_property_cookie_t askProperty(xcb_connection_t* c, xcb_window_t window,
                                      xcb_atom_t property, xcb_atom_t type, quint32 units) {
    return xcb_get_property(c, 0, window, property, type, 0, units);
}

}  // namespace

X11CopyAttribution::X11CopyAttribution(xcb_connection_t* connection, xcb_window_t root)
    : m_connection(connection),
      m_root(root),
      // Every client's windows share the bits outside this mask: they tell the client.
      m_resourceMask(xcb_get_setup(connection)->resource_id_mask),
      m_clientLeader(xcb::internAtom(connection, "WM_CLIENT_LEADER")),
      m_pid(xcb::internAtom(connection, "_NET_WM_PID")),
      m_clientList(xcb::internAtom(connection, "_NET_CLIENT_LIST")),
      m_activeWindow(xcb::internAtom(connection, "_NET_ACTIVE_WINDOW")) {}

QStringList X11CopyAttribution::applicationOf(xcb_window_t owner) {
    // Whatever the rules may need is asked at once: the owner's successor may be waiting.
    auto ask = [&](xcb_window_t window, xcb_atom_t property, xcb_atom_t type, quint32 units) {
        return askProperty(m_connection, window, property, type, units);
    };
    const auto classCookie = ask(owner, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, maxClassBytes / 4);
    const auto leaderCookie = ask(owner, m_clientLeader, XCB_ATOM_WINDOW, 1);
    const auto pidCookie = ask(owner, m_pid, XCB_ATOM_CARDINAL, 1);
    const auto listCookie = ask(m_root, m_clientList, XCB_ATOM_WINDOW, maxTopLevels);
    const auto activeCookie = ask(m_root, m_activeWindow, XCB_ATOM_WINDOW, 1);
    auto reply = [&](xcb_get_property_cookie_t cookie) {
        return Ptr<xcb_get_property_reply_t>{
            xcb_get_property_reply(m_connection, cookie, nullptr)};
    };
    const auto classReply = reply(classCookie);
    const auto leaderReply = reply(leaderCookie);
    const auto pidReply = reply(pidCookie);
    const auto listReply = reply(listCookie);
    const auto activeReply = reply(activeCookie);

    if (QStringList names = classNames(classReply.get()); !names.isEmpty()) {
        qCDebug(lcClipboard) << "copy made by" << names << "(the owner's window)";
        return names;
    }
    const Client client{owner, singleValue(leaderReply.get(), XCB_ATOM_WINDOW),
                        singleValue(pidReply.get(), XCB_ATOM_CARDINAL)};
    if (QStringList names = sameClient(client, topLevels(listReply.get())); !names.isEmpty()) {
        qCDebug(lcClipboard) << "copy made by" << names << "(a window of the owner's client)";
        return names;
    }
    const std::optional<quint32> active = singleValue(activeReply.get(), XCB_ATOM_WINDOW);
    if (active && *active != XCB_WINDOW_NONE) {
        if (QStringList names = classOf(*active); !names.isEmpty()) {
            qCDebug(lcClipboard) << "copy made by" << names << "(the active window)";
            return names;
        }
    }
    qCDebug(lcClipboard) << "the application that copied is unknown";
    return {};
}

QStringList X11CopyAttribution::classOf(xcb_window_t window) {
    Ptr<xcb_get_property_reply_t> reply{xcb_get_property_reply(
        m_connection,
        askProperty(m_connection, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, maxClassBytes / 4),
        nullptr)};
    return classNames(reply.get());
}

QStringList X11CopyAttribution::classNames(const xcb_get_property_reply_t* reply) {
    if (reply == nullptr || reply->format != 8) return {};
    const auto* data = static_cast<const char*>(xcb_get_property_value(reply));
    const int length = xcb_get_property_value_length(reply);
    // "instance\0class\0"; a value without the NULs is one name.
    QStringList names;
    for (const QByteArray& part : QByteArray(data, length).split('\0')) {
        const QString name = QString::fromLatin1(part).trimmed();
        if (!name.isEmpty() && !names.contains(name)) names.append(name);
    }
    return names;
}

std::vector<xcb_window_t> X11CopyAttribution::topLevels(const xcb_get_property_reply_t* list) {
    std::vector<xcb_window_t> windows;
    // The window manager's list names the clients' own windows, not its frames.
    if (list != nullptr && list->type == XCB_ATOM_WINDOW && list->format == 32 &&
        xcb_get_property_value_length(list) > 0) {
        const auto count = std::size_t(xcb_get_property_value_length(list)) / 4;
        windows.resize(count);
        std::memcpy(windows.data(), xcb_get_property_value(list), count * 4);
        return windows;
    }
    // Without a window manager the top-levels are the root's children.
    Ptr<xcb_query_tree_reply_t> tree{
        xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr)};
    if (!tree) return windows;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = std::min<int>(xcb_query_tree_children_length(tree.get()), maxTopLevels);
    windows.assign(children, children + count);
    return windows;
}

QStringList X11CopyAttribution::sameClient(const Client& owner,
                                           const std::vector<xcb_window_t>& windows) {
    const quint32 client = owner.window & ~m_resourceMask;
    const std::optional<quint32>& leader = owner.leader;
    const std::optional<quint32>& pid = owner.pid;

    // The same X client first: it needs no further request.
    for (xcb_window_t window : windows) {
        if (window == owner.window || (window & ~m_resourceMask) != client) continue;
        if (QStringList names = classOf(window); !names.isEmpty()) return names;
    }
    if (leader && *leader != XCB_WINDOW_NONE) {
        if (QStringList names = classOf(*leader); !names.isEmpty()) return names;
    }
    if (!leader && !pid) return {};
    // A program with several connections shares its leader or its process id: asked of every
    // top-level at once, then answered in order.
    std::vector<std::pair<xcb_get_property_cookie_t, xcb_get_property_cookie_t>> asked;
    asked.reserve(windows.size());
    for (xcb_window_t window : windows)
        asked.emplace_back(askProperty(m_connection, window, m_clientLeader, XCB_ATOM_WINDOW, 1),
                           askProperty(m_connection, window, m_pid, XCB_ATOM_CARDINAL, 1));
    std::optional<xcb_window_t> match;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        Ptr<xcb_get_property_reply_t> leaderReply{
            xcb_get_property_reply(m_connection, asked[i].first, nullptr)};
        Ptr<xcb_get_property_reply_t> pidReply{
            xcb_get_property_reply(m_connection, asked[i].second, nullptr)};
        if (match) continue;  // every reply is still collected
        const bool sameLeader = leader && singleValue(leaderReply.get(), XCB_ATOM_WINDOW) == leader;
        const bool samePid = pid && singleValue(pidReply.get(), XCB_ATOM_CARDINAL) == pid;
        if (sameLeader || samePid) match = windows[i];
    }
    return match ? classOf(*match) : QStringList{};
}

}  // namespace quillet
