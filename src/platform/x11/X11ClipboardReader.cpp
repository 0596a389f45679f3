#include "platform/x11/X11ClipboardReader.h"

#include <malloc.h>
#include <poll.h>
#include <unistd.h>
#include <xcb/xfixes.h>

#include <QHash>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/Logging.h"
#include "platform/MimeTypes.h"
#include "platform/Pasteboard.h"
#include "platform/x11/X11CopyAttribution.h"
#include "platform/x11/X11SelectionConversion.h"
#include "platform/x11/XcbSupport.h"

namespace quillet {

namespace {

using SteadyClock = std::chrono::steady_clock;

template <typename T>
using XcbPtr = xcb::Ptr<T>;

// Owners offer a few dozen formats; a list far longer only costs time and memory to name.
constexpr qsizetype kMaxTargets = 4096;
// A password manager's hint is a word or two.
constexpr qsizetype kMaxHintBytes = 1024;
// Names of atoms kept for the next reads; more is forgotten (an owner can make new ones forever).
constexpr qsizetype kMaxCachedAtomNames = 4 * kMaxTargets;

// Idle this long after a large transfer, the copies of it elsewhere are gone too.
constexpr int kTrimDelayMs = 1000;

// Text targets in order of preference, with whether they carry UTF-8 (else Latin-1).
struct TextTarget {
    const char* name;
    bool utf8;
};
constexpr std::array kTextTargets{
    TextTarget{"UTF8_STRING", true},
    TextTarget{"text/plain;charset=utf-8", true},
    TextTarget{"text/plain", true},
    TextTarget{"STRING", false},
};

}  // namespace

// The reading thread's own connection, hidden window and atoms.
class X11ClipboardReader::Session {
public:
    // `ignored` tells whether a copy from the named application is to be left unread.
    Session(const QByteArray& displayName, X11Selection selection, int wakeFd,
            std::chrono::milliseconds timeout, std::function<bool(const QStringList&)> ignored)
        : m_wakeFd(wakeFd), m_ignored(std::move(ignored)) {
        int screenNumber = 0;
        m_connection =
            xcb_connect(displayName.isEmpty() ? nullptr : displayName.constData(), &screenNumber);
        if (xcb_connection_has_error(m_connection)) return;
        const xcb_window_t root = xcb::rootWindow(m_connection, screenNumber);
        if (root == XCB_WINDOW_NONE) return;

        m_window = xcb_generate_id(m_connection);
        const quint32 eventMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                          &eventMask);
        m_selectionAtom = intern(selectionAtomName(selection));
        m_targets = intern("TARGETS");
        m_conversion.emplace(m_connection, m_window, m_selectionAtom, wakeFd, timeout,
                             [this](const xcb_generic_event_t* event) { noteOwnerChange(event); });
        m_usable = m_selectionAtom != XCB_ATOM_NONE && !xcb_connection_has_error(m_connection);
        if (m_usable && selection == X11Selection::clipboard) {
            watchOwner();
            m_attribution.emplace(m_connection, root);
        }
    }

    ~Session() { xcb_disconnect(m_connection); }

    bool watchesOwner() const { return m_xfixesEvent != 0; }

    // Whether a read since the last call moved a large value; clears the mark.
    bool takeLargeTransfer() { return m_conversion && m_conversion->takeLargeTransfer(); }

    // Whether the owner changed since the last read began; clears the mark.
    bool takeOwnerChange() { return std::exchange(m_ownerChanged, false); }

    // Sleeps until the owner changes, `requestFd` is signalled (and is then reset), the reader
    // is being destroyed or `timeoutMs` passed (-1: no limit); false in the last case.
    bool waitIdle(int requestFd, int timeoutMs) {
        while (XcbPtr<xcb_generic_event_t> event{pollEvent()}) noteOwnerChange(event.get());
        if (m_ownerChanged) return true;
        const bool connected = m_usable && !xcb_connection_has_error(m_connection);
        std::array<pollfd, 3> fds{
            pollfd{requestFd, POLLIN, 0}, pollfd{m_wakeFd, POLLIN, 0},
            pollfd{connected ? xcb_get_file_descriptor(m_connection) : -1, POLLIN, 0}};
        const int ready = ::poll(fds.data(), fds.size(), timeoutMs);
        if (ready == 0) return false;
        if (ready < 0) return true;
        if (fds[0].revents & POLLIN) {
            quint64 count = 0;
            if (::read(requestFd, &count, sizeof count) < 0) {
                // Already reset by an earlier wake-up: nothing to do.
            }
        }
        while (XcbPtr<xcb_generic_event_t> event{pollEvent()}) noteOwnerChange(event.get());
        return true;
    }

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    ClipboardSnapshot read() {
        if (!m_usable || xcb_connection_has_error(m_connection)) return {};
        // Whatever happened so far is covered by this read; later changes mark another one.
        while (XcbPtr<xcb_generic_event_t> stale{xcb_poll_for_event(m_connection)}) {
        }
        m_ownerChanged = false;
        XcbPtr<xcb_get_selection_owner_reply_t> owner{xcb_get_selection_owner_reply(
            m_connection, xcb_get_selection_owner(m_connection, m_selectionAtom), nullptr)};
        if (!owner || owner->owner == XCB_WINDOW_NONE) return {};
        // Attributed to the owner whose contents are read, which is the latest one.
        ClipboardSnapshot snapshot;
        if (m_attribution) {
            snapshot.application = m_attribution->applicationOf(owner->owner);
            // Not even its list of formats is asked for.
            if (m_ignored(snapshot.application)) return snapshot;
        }

        const Transfer targets = m_conversion->convert(m_targets, kMaxTargets * 4);
        if (targets.outcome == Outcome::tooLarge) {
            qCWarning(lcClipboard) << "the clipboard owner offers more than" << kMaxTargets
                                   << "formats; this copy is not recorded";
            return {};
        }
        if (targets.outcome != Outcome::delivered || targets.format != 32) {
            if (targets.outcome == Outcome::timedOut) abandoned("its list of formats");
            return {};
        }
        std::vector<xcb_atom_t> atoms(static_cast<std::size_t>(targets.data.size()) / 4);
        std::memcpy(atoms.data(), targets.data.constData(), atoms.size() * 4);
        const QStringList formats = atomNames(atoms);
        auto atomOf = [&](const char* name) -> xcb_atom_t {
            const qsizetype index = formats.indexOf(QLatin1String(name));
            return index < 0 ? xcb::noAtom : atoms[static_cast<std::size_t>(index)];
        };

        QByteArray uriList;
        QByteArray passwordHint;
        for (const char* name : {"text/uri-list", "x-special/gnome-copied-files"}) {
            if (const xcb_atom_t atom = atomOf(name)) {
                const Transfer list =
                    m_conversion->convert(atom, X11ClipboardReader::maxTransferBytes);
                if (list.outcome == Outcome::timedOut || list.outcome == Outcome::tooLarge)
                    return abandoned(name);
                uriList = list.data;
                break;
            }
        }
        if (const xcb_atom_t atom = atomOf("x-kde-passwordManagerHint")) {
            const Transfer hint = m_conversion->convert(atom, kMaxHintBytes);
            if (hint.outcome == Outcome::timedOut || hint.outcome == Outcome::tooLarge)
                return abandoned("its password-manager hint");
            passwordHint = hint.data;
        }

        snapshot.types = mapClipboardFormats(formats, uriList, passwordHint);
        if (PasteboardType::withholdsText(snapshot.types) ||
            !snapshot.types.contains(PasteboardType::string))
            return snapshot;
        for (const TextTarget& target : kTextTargets) {
            const xcb_atom_t atom = atomOf(target.name);
            if (atom == XCB_ATOM_NONE) continue;
            const Transfer text = m_conversion->convert(atom, X11ClipboardReader::maxTransferBytes);
            if (text.outcome == Outcome::timedOut) return abandoned(target.name);
            if (text.outcome == Outcome::tooLarge) {
                qCWarning(lcClipboard).nospace()
                    << "the copied text is larger than "
                    << X11ClipboardReader::maxTransferBytes / (1024 * 1024)
                    << " MiB; it is not recorded";
                return {};
            }
            if (text.outcome == Outcome::refused) continue;
            snapshot.text =
                target.utf8 ? QString::fromUtf8(text.data) : QString::fromLatin1(text.data);
            break;
        }
        return snapshot;
    }

private:
    // Asks the server to tell this connection about every new CLIPBOARD owner.
    void watchOwner() {
        const xcb_query_extension_reply_t* extension =
            xcb_get_extension_data(m_connection, &xcb_xfixes_id);
        if (extension == nullptr || !extension->present) return;
        XcbPtr<xcb_xfixes_query_version_reply_t> version{xcb_xfixes_query_version_reply(
            m_connection,
            xcb_xfixes_query_version(m_connection, XCB_XFIXES_MAJOR_VERSION,
                                     XCB_XFIXES_MINOR_VERSION),
            nullptr)};
        if (!version || version->major_version < 1) return;
        const xcb_void_cookie_t cookie = xcb_xfixes_select_selection_input_checked(
            m_connection, m_window, m_selectionAtom,
            XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER);
        if (XcbPtr<xcb_generic_error_t> error{xcb_request_check(m_connection, cookie)}) return;
        m_xfixesEvent = extension->first_event + XCB_XFIXES_SELECTION_NOTIFY;
    }

    xcb_generic_event_t* pollEvent() {
        return m_usable ? xcb_poll_for_event(m_connection) : nullptr;
    }

    // Marks a new owner of CLIPBOARD; an owner of none (it went away) leaves nothing to read.
    void noteOwnerChange(const xcb_generic_event_t* event) {
        if (m_xfixesEvent == 0 || (event->response_type & 0x7f) != m_xfixesEvent) return;
        const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
        if (notify->selection == m_selectionAtom && notify->owner != XCB_WINDOW_NONE)
            m_ownerChanged = true;
    }

    ClipboardSnapshot abandoned(const char* what) {
        if (!m_conversion->woken())
            qCWarning(lcClipboard) << "the clipboard owner did not deliver" << what
                                   << "in time; this copy is not recorded";
        return {};
    }

    using Outcome = X11SelectionConversion::Outcome;
    using Transfer = X11SelectionConversion::Transfer;

    xcb_atom_t intern(const char* name) { return xcb::internAtom(m_connection, name); }

    QStringList atomNames(const std::vector<xcb_atom_t>& atoms) {
        // Atoms are never freed by the server, so their names stay valid; the cache is bounded.
        if (m_atomNames.size() > kMaxCachedAtomNames) m_atomNames.clear();
        std::vector<std::pair<xcb_atom_t, xcb_get_atom_name_cookie_t>> pending;
        for (xcb_atom_t atom : atoms) {
            if (!m_atomNames.contains(atom))
                pending.emplace_back(atom, xcb_get_atom_name(m_connection, atom));
        }
        for (const auto& [atom, cookie] : pending) {
            XcbPtr<xcb_get_atom_name_reply_t> reply{
                xcb_get_atom_name_reply(m_connection, cookie, nullptr)};
            if (!reply) continue;
            m_atomNames.insert(atom,
                               QString::fromLatin1(xcb_get_atom_name_name(reply.get()),
                                                   xcb_get_atom_name_name_length(reply.get())));
        }
        QStringList names;
        names.reserve(static_cast<qsizetype>(atoms.size()));
        for (xcb_atom_t atom : atoms) names.append(m_atomNames.value(atom));
        return names;
    }

    const int m_wakeFd;
    const std::function<bool(const QStringList&)> m_ignored;
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_window = XCB_WINDOW_NONE;
    xcb_atom_t m_selectionAtom = XCB_ATOM_NONE;
    xcb_atom_t m_targets = XCB_ATOM_NONE;
    std::optional<X11SelectionConversion> m_conversion;  // once the window exists
    QHash<xcb_atom_t, QString> m_atomNames;
    bool m_usable = false;
    std::optional<X11CopyAttribution> m_attribution;  // CLIPBOARD only
    quint8 m_xfixesEvent = 0;  // response type of XFixes selection notices; 0 without XFixes
    bool m_ownerChanged = false;
};

X11ClipboardReader::X11ClipboardReader(const QByteArray& displayName,
                                       std::chrono::milliseconds ownerTimeout, QObject* parent,
                                       X11Selection selection)
    : ThreadedClipboardReader(parent),
      m_displayName(displayName),
      m_ownerTimeout(ownerTimeout),
      m_selection(selection) {
    start("quillet-clip", [this] { run(); });
}

X11ClipboardReader::~X11ClipboardReader() {
    stop();
}

bool X11ClipboardReader::canConnect(const QByteArray& displayName) {
    if (displayName.isEmpty()) return false;
    xcb_connection_t* connection = xcb_connect(displayName.constData(), nullptr);
    const bool ok = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return ok;
}

void X11ClipboardReader::run() {
    Session session(m_displayName, m_selection, stopFd(), m_ownerTimeout,
                    [this](const QStringList& application) { return isIgnored(application); });
    m_watchesOwner = session.watchesOwner();
    if (m_watchesOwner) emit startedWatching();

    bool trimPending = false;
    for (;;) {
        if (stopping()) return;
        const std::optional<quint64> ticket = takeTicket();
        // A new owner noticed while paused goes unread; a request is still answered.
        const bool ownerChanged = session.takeOwnerChange() && !isPaused();
        if (!ticket && !ownerChanged) {
            // The buffers of a large transfer are freed, but glibc keeps the pages: once the
            // text was stored and dropped, they go back to the system.
            if (!session.waitIdle(requestFd(), trimPending ? kTrimDelayMs : -1)) {
                ::malloc_trim(0);
                trimPending = false;
            }
            continue;
        }
        const ClipboardSnapshot snapshot = session.read();
        if (stopping()) return;
        deliver(ticket, snapshot);
        trimPending = trimPending || session.takeLargeTransfer();
    }
}

}  // namespace quillet
