#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>

#include "support/ChildProcess.h"
#include "support/Wait.h"

namespace quillet::test {

struct CommandResult {
    bool finished = false;  // false: it overran the deadline and was killed
    int exitCode = -1;
    QByteArray output;
};

// Runs a program to its end with a deadline; the Qt event loop keeps running meanwhile, so the
// program may talk to this process (read our clipboard, say).
CommandResult runCommand(const QStringList& arguments, std::chrono::milliseconds timeout,
                         const ChildProcess::Options& options);
inline CommandResult runCommand(const QStringList& arguments, std::chrono::milliseconds timeout) {
    return runCommand(arguments, timeout, ChildProcess::Options{});
}

// A private X server (Xvfb on the first free display, chosen by the server itself through
// -displayfd) with an optional window manager (openbox). Both end with the session.
class XvfbSession {
public:
    struct Options {
        bool windowManager = false;
        QString screen = QStringLiteral("1280x800x24");
        std::chrono::milliseconds startTimeout = std::chrono::seconds(15);
    };

    // Null when the server or the window manager did not come up; `error` says why.
    static std::unique_ptr<XvfbSession> start(const Options& options, QString* error = nullptr);
    ~XvfbSession();
    XvfbSession(const XvfbSession&) = delete;
    XvfbSession& operator=(const XvfbSession&) = delete;

    // ":N"
    QString display() const { return m_display; }
    // "DISPLAY=:N", for ChildProcess::Options::environment.
    QString displayVariable() const { return QStringLiteral("DISPLAY=") + m_display; }
    // Points this process at the session (call before creating the QApplication).
    void exportDisplay() const;

private:
    XvfbSession() = default;
    bool startWindowManager(std::chrono::milliseconds timeout, QString* error);

    QString m_display;
    std::unique_ptr<ChildProcess> m_server;
    std::unique_ptr<ChildProcess> m_windowManager;
};

}  // namespace quillet::test
