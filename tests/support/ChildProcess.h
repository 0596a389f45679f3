#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <QStringList>
#include <chrono>
#include <optional>
#include <utility>
#include <vector>

namespace quillet::test {

// A program started by a test and stopped when the handle goes away. Works before a
// QCoreApplication exists (the X server is started before the application), so it sits on
// posix_spawn rather than QProcess.
class ChildProcess {
public:
    struct Options {
        QStringList environment;    // "NAME=value" entries added to (or replacing) ours
        QByteArray input;           // the whole standard input; empty gives /dev/null
        bool captureOutput = true;  // standard output kept for output(); else discarded
        bool showErrors = true;     // standard error shared with ours; else discarded
        bool keepErrors = false;    // standard error kept with the output instead
        std::vector<std::pair<int, int>> passFds;  // our descriptor -> the child's number
    };
    // A helper whose output and errors nobody reads.
    static Options silent(QStringList environment) {
        Options options;
        options.environment = std::move(environment);
        options.captureOutput = options.showErrors = false;
        return options;
    }

    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // `arguments[0]` is looked up in PATH. False when the program could not be started.
    bool start(const QStringList& arguments, const Options& options);

    pid_t pid() const { return m_pid; }
    bool isRunning();
    // Standard output received so far (captureOutput).
    QByteArray output();
    // The exit status once the program has ended: its exit code, or 128 + signal.
    std::optional<int> exitCode();
    // Waits for the program to end on its own, processing Qt events meanwhile.
    bool waitForExit(std::chrono::milliseconds timeout);
    void sendSignal(int signal);
    // SIGTERM, then SIGKILL after `grace`; always reaps the process.
    void stop(std::chrono::milliseconds grace = std::chrono::seconds(2));

private:
    void reap(bool block);

    pid_t m_pid = -1;
    int m_outputFd = -1;
    QByteArray m_output;
    std::optional<int> m_exitCode;
};

}  // namespace quillet::test
