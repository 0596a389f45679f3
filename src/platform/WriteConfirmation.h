#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

namespace quillet {

// Tracks whether our latest clipboard write has reached the system clipboard: a backend calls
// `expect` when it writes, `observe` with every text it reads back or sees announced, and
// `refuse` when the platform turned the write down. Waiters hear once, at the first of a
// matching read, a refusal or the deadline; a later write takes over the waiters of an earlier
// one, since the clipboard can only show the newest.
class WriteConfirmation final : public QObject {
    Q_OBJECT
public:
    explicit WriteConfirmation(int timeoutMs, QObject* parent = nullptr);

    void expect(const QString& text);
    void observe(const std::optional<QString>& text);
    // `why` is logged once: the platform said no, so no waiting is needed.
    void refuse(const char* why);
    void wait(std::function<void(bool)> done);

private:
    enum class State { none, pending, confirmed, failed };
    void resolve(bool ok);

    QTimer m_deadline;
    std::optional<QString> m_expected;
    State m_state = State::none;
    std::vector<std::function<void(bool)>> m_waiters;
};

}  // namespace quillet
