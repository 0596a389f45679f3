#include "support/XvfbSession.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>

namespace quillet::test {

namespace {

using SteadyClock = std::chrono::steady_clock;

void setError(QString* error, const QString& message) {
    if (error) *error = message;
}

// Reads the display number Xvfb writes to its -displayfd once it accepts connections.
std::optional<int> readDisplayNumber(int fd, ChildProcess& server,
                                     std::chrono::milliseconds timeout) {
    QByteArray text;
    const auto deadline = SteadyClock::now() + timeout;
    while (!text.contains('\n')) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
        if (left.count() <= 0 || !server.isRunning()) return std::nullopt;
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(std::min<long long>(left.count(), 100))) <= 0)
            continue;
        char buffer[32];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) return std::nullopt;
        text.append(buffer, n);
    }
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(number) : std::nullopt;
}

}  // namespace

CommandResult runCommand(const QStringList& arguments, std::chrono::milliseconds timeout,
                         const ChildProcess::Options& options) {
    CommandResult result;
    ChildProcess process;
    if (!process.start(arguments, options)) return result;
    result.finished = process.waitForExit(timeout);
    if (!result.finished) process.stop(std::chrono::milliseconds(0));
    result.exitCode = process.exitCode().value_or(-1);
    result.output = process.output();
    return result;
}

std::unique_ptr<XvfbSession> XvfbSession::start(const Options& options, QString* error) {
    std::unique_ptr<XvfbSession> session(new XvfbSession);
    int displayPipe[2];
    if (::pipe2(displayPipe, O_CLOEXEC) != 0) {
        setError(error, QStringLiteral("pipe failed"));
        return nullptr;
    }
    session->m_server = std::make_unique<ChildProcess>();
    ChildProcess::Options serverOptions;
    serverOptions.captureOutput = false;
    serverOptions.showErrors = false;  // keymap compiler chatter
    serverOptions.passFds = {{displayPipe[1], 3}};
    const bool started = session->m_server->start(
        {QStringLiteral("Xvfb"), QStringLiteral("-displayfd"), QStringLiteral("3"),
         QStringLiteral("-screen"), QStringLiteral("0"), options.screen,
         QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset")},
        serverOptions);
    ::close(displayPipe[1]);
    const std::optional<int> number =
        started ? readDisplayNumber(displayPipe[0], *session->m_server, options.startTimeout)
                : std::nullopt;
    ::close(displayPipe[0]);
    if (!number) {
        setError(error, started ? QStringLiteral("Xvfb did not report a display")
                                : QStringLiteral("Xvfb could not be started"));
        return nullptr;
    }
    session->m_display = QStringLiteral(":%1").arg(*number);
    if (options.windowManager && !session->startWindowManager(options.startTimeout, error))
        return nullptr;
    return session;
}

XvfbSession::~XvfbSession() {
    if (m_windowManager) m_windowManager->stop();
    if (m_server) m_server->stop();
}

void XvfbSession::exportDisplay() const {
    qputenv("DISPLAY", m_display.toLocal8Bit());
}

bool XvfbSession::startWindowManager(std::chrono::milliseconds timeout, QString* error) {
    const ChildProcess::Options options = ChildProcess::silent({displayVariable()});
    m_windowManager = std::make_unique<ChildProcess>();
    if (!m_windowManager->start({QStringLiteral("openbox"), QStringLiteral("--sm-disable")},
                                options)) {
        setError(error, QStringLiteral("openbox could not be started"));
        return false;
    }
    // openbox announces itself on the root window while it is still starting, and a window
    // that appears then is managed but never focused. It is ready once a fresh window gets the
    // focus, so probe with small windows until one does.
    ChildProcess::Options query = options;
    query.captureOutput = true;
    int attempt = 0;
    const bool ready = waitFor(
        [&] {
            const QString title = QStringLiteral("quillet-wm-probe-%1").arg(++attempt);
            ChildProcess probe;
            if (!probe.start({QStringLiteral("xmessage"), QStringLiteral("-title"), title,
                              QStringLiteral("ready")},
                             options))
                return false;
            return waitFor(
                [&] {
                    const CommandResult active =
                        runCommand({QStringLiteral("xdotool"), QStringLiteral("getactivewindow"),
                                    QStringLiteral("getwindowname")},
                                   std::chrono::seconds(2), query);
                    return active.output.trimmed() == title.toUtf8();
                },
                std::chrono::seconds(1));
        },
        timeout);
    if (!ready) setError(error, QStringLiteral("openbox did not take over the display"));
    return ready;
}

}  // namespace quillet::test
