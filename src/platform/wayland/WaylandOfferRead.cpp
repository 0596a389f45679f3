#include "platform/wayland/WaylandOfferRead.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "base/Logging.h"
#include "platform/MimeTypes.h"
#include "platform/Pasteboard.h"
#include "platform/wayland/DataControl.h"

namespace quillet::wayland {

namespace {

constexpr const char* kPasswordHint = "x-kde-passwordManagerHint";
constexpr std::array kFileListTypes{"text/uri-list", "x-special/gnome-copied-files"};

}  // namespace

WaylandOfferRead::WaylandOfferRead(wl_display* display, const Offer& offer,
                                   QStringList application, std::chrono::milliseconds timeout)
    : m_display(display),
      m_offer(offer),
      m_application(std::move(application)),
      m_timeout(timeout) {}

WaylandOfferRead::~WaylandOfferRead() {
    closePipe();
}

void WaylandOfferRead::closePipe() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

ClipboardSnapshot WaylandOfferRead::withoutContents() const {
    ClipboardSnapshot snapshot;
    snapshot.types = mapClipboardFormats(m_offer.types, {}, {});
    snapshot.application = m_application;
    return snapshot;
}

std::optional<ClipboardSnapshot> WaylandOfferRead::next() {
    while (m_step != Step::done) {
        const Step step = m_step;
        m_step = static_cast<Step>(static_cast<int>(step) + 1);
        if (step == Step::fileList) {
            for (const char* type : kFileListTypes)
                if (offers(type)) return fetch(type);
        } else if (step == Step::hint) {
            if (offers(kPasswordHint)) return fetch(kPasswordHint);
        } else if (step == Step::text) {
            const QStringList types = mapClipboardFormats(m_offer.types, m_fileList, m_hint);
            // Files, images and secrets are never recorded: their text is not asked for.
            if (types.contains(PasteboardType::string) && !PasteboardType::withholdsText(types)) {
                for (const char* type : kTextTypes)
                    if (offers(type)) return fetch(type);
            }
        }
    }
    ClipboardSnapshot snapshot;
    snapshot.types = mapClipboardFormats(m_offer.types, m_fileList, m_hint);
    if (m_text) snapshot.text = QString::fromUtf8(*m_text);
    snapshot.application = m_application;
    return snapshot;
}

std::optional<ClipboardSnapshot> WaylandOfferRead::fetch(const char* type) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        qCWarning(lcClipboard) << "cannot make a pipe for the clipboard:" << std::strerror(errno);
        return abandon();
    }
    wl_proxy_marshal_flags(m_offer.proxy, ZWLR_DATA_CONTROL_OFFER_V1_RECEIVE, nullptr,
                           wl_proxy_get_version(m_offer.proxy), 0, type, fds[1]);
    wl_display_flush(m_display);  // the request holds its own copy of the write end
    ::close(fds[1]);
    m_fd = fds[0];
    m_type = QString::fromLatin1(type);
    m_data.clear();
    const auto now = Clock::now();
    m_deadline = now + m_timeout;
    m_transferDeadline = now + transferLimit * m_timeout;
    return std::nullopt;
}

std::optional<ClipboardSnapshot> WaylandOfferRead::receive() {
    if (m_fd < 0) return std::nullopt;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            if (m_data.size() + n > maxTransferBytes) {
                qCWarning(lcClipboard).nospace()
                    << "the copied text is larger than " << maxTransferBytes / (1024 * 1024)
                    << " MiB; it is not recorded";
                return abandon();
            }
            m_data.append(buffer, n);
            m_deadline = std::min(Clock::now() + m_timeout, m_transferDeadline);
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return std::nullopt;
        break;  // the owner closed its end (or the pipe failed): the transfer is complete
    }
    closePipe();
    if (m_type == QLatin1String(kPasswordHint))
        m_hint = m_data;
    else if (m_step == Step::hint)
        m_fileList = m_data;
    else
        m_text = m_data;
    m_data.clear();
    return next();
}

std::optional<ClipboardSnapshot> WaylandOfferRead::expire(Clock::time_point now) {
    if (m_fd < 0 || now < m_deadline) return std::nullopt;
    qCWarning(lcClipboard) << "the clipboard owner did not deliver" << m_type
                           << "in time; this copy is not recorded";
    return abandon();
}

std::optional<WaylandOfferRead::Clock::time_point> WaylandOfferRead::deadline() const {
    if (m_fd < 0) return std::nullopt;
    return m_deadline;
}

std::optional<ClipboardSnapshot> WaylandOfferRead::abandon() {
    closePipe();
    m_step = Step::done;
    return ClipboardSnapshot{};
}

}  // namespace quillet::wayland
