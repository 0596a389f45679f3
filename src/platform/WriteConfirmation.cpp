#include "platform/WriteConfirmation.h"

#include <utility>

#include "base/Logging.h"

namespace quillet {

WriteConfirmation::WriteConfirmation(int timeoutMs, QObject* parent) : QObject(parent) {
    m_deadline.setSingleShot(true);
    m_deadline.setInterval(timeoutMs);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        if (m_state != State::pending) return;
        qCWarning(lcClipboard).nospace()
            << "our text did not appear on the clipboard within " << m_deadline.interval()
            << " ms; the desktop did not take it";
        resolve(false);
    });
}

void WriteConfirmation::expect(const QString& text) {
    m_expected = text;
    m_state = State::pending;
    m_deadline.start();
}

void WriteConfirmation::observe(const std::optional<QString>& text) {
    // Seen late is still seen: a write that timed out may yet arrive.
    if (!m_expected || m_state == State::confirmed || text != m_expected) return;
    m_state = State::confirmed;
    resolve(true);
}

void WriteConfirmation::refuse(const char* why) {
    if (m_state != State::pending) return;
    qCWarning(lcClipboard) << "our text could not be put on the clipboard:" << why;
    resolve(false);
}

void WriteConfirmation::wait(std::function<void(bool)> done) {
    switch (m_state) {
        case State::none:  // nothing written yet: nothing of ours can be there
        case State::failed:
            done(false);
            return;
        case State::confirmed:
            done(true);
            return;
        case State::pending:
            m_waiters.push_back(std::move(done));
            return;
    }
}

void WriteConfirmation::resolve(bool ok) {
    m_deadline.stop();
    if (m_state == State::pending) m_state = ok ? State::confirmed : State::failed;
    // A waiter may write again (and wait again) from its callback: hand over a copy first.
    const auto waiters = std::exchange(m_waiters, {});
    for (const auto& done : waiters) done(ok);
}

}  // namespace quillet
