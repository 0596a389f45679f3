#include "support/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QString>
#include <string>

#include "support/XvfbSession.h"

extern char** environ;

namespace quillet::test {

namespace {

std::vector<std::string> mergedEnvironment(const QStringList& overrides) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry; ++entry) {
        const std::string line(*entry);
        const std::string name = line.substr(0, line.find('='));
        bool replaced = false;
        for (const QString& o : overrides)
            replaced = replaced || o.section(QLatin1Char('='), 0, 0).toStdString() == name;
        if (!replaced) result.push_back(line);
    }
    for (const QString& o : overrides) result.push_back(o.toStdString());
    return result;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (std::string& s : strings) result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}

}  // namespace

ChildProcess::~ChildProcess() {
    stop();
}

bool ChildProcess::start(const QStringList& arguments, const Options& options) {
    if (m_pid > 0 || arguments.isEmpty()) return false;
    std::vector<std::string> argv;
    for (const QString& a : arguments) argv.push_back(a.toStdString());
    std::vector<std::string> env = mergedEnvironment(options.environment);
    std::vector<char*> argvPointers = pointers(argv);
    std::vector<char*> envPointers = pointers(env);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int inputFd = -1;
    if (options.input.isEmpty()) {
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    } else {
        // A memory file holds any amount of input without a writer that could block.
        inputFd = ::memfd_create("child-input", MFD_CLOEXEC);
        const QByteArray& in = options.input;
        for (qsizetype written = 0; inputFd >= 0 && written < in.size();) {
            const ssize_t n = ::write(inputFd, in.constData() + written,
                                      static_cast<size_t>(in.size() - written));
            if (n <= 0) break;
            written += n;
        }
        ::lseek(inputFd, 0, SEEK_SET);
        posix_spawn_file_actions_adddup2(&actions, inputFd, 0);
    }
    int outputPipe[2] = {-1, -1};
    const bool captured = options.captureOutput && ::pipe2(outputPipe, O_CLOEXEC) == 0;
    if (captured) {
        posix_spawn_file_actions_adddup2(&actions, outputPipe[1], 1);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    }
    if (captured && options.keepErrors)
        posix_spawn_file_actions_adddup2(&actions, outputPipe[1], 2);
    else if (!options.showErrors)
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    for (const auto& [ours, theirs] : options.passFds)
        posix_spawn_file_actions_adddup2(&actions, ours, theirs);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Its own process group, so a test's keyboard interrupt reaches us first and we clean up.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);

    const int rc = ::posix_spawnp(&m_pid, argv[0].c_str(), &actions, &attributes,
                                  argvPointers.data(), envPointers.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (inputFd >= 0) ::close(inputFd);
    if (outputPipe[1] >= 0) ::close(outputPipe[1]);
    if (rc != 0) {
        m_pid = -1;
        if (outputPipe[0] >= 0) ::close(outputPipe[0]);
        return false;
    }
    m_outputFd = outputPipe[0];
    if (m_outputFd >= 0) ::fcntl(m_outputFd, F_SETFL, O_NONBLOCK);
    m_output.clear();
    m_exitCode.reset();
    return true;
}

bool ChildProcess::isRunning() {
    reap(false);
    return m_pid > 0;
}

QByteArray ChildProcess::output() {
    char buffer[65536];
    while (m_outputFd >= 0) {
        const ssize_t n = ::read(m_outputFd, buffer, sizeof buffer);
        if (n > 0) {
            m_output.append(buffer, n);
        } else {
            if (n == 0) {
                ::close(m_outputFd);
                m_outputFd = -1;
            }
            break;
        }
    }
    return m_output;
}

std::optional<int> ChildProcess::exitCode() {
    reap(false);
    return m_exitCode;
}

bool ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
    // Keep draining standard output so a chatty program can't block on a full pipe.
    return waitFor(
        [this] {
            output();
            return !isRunning();
        },
        timeout);
}

void ChildProcess::sendSignal(int signal) {
    if (m_pid > 0) ::kill(m_pid, signal);
}

void ChildProcess::stop(std::chrono::milliseconds grace) {
    if (m_pid > 0) {
        ::kill(m_pid, SIGCONT);  // a stopped process can't act on SIGTERM
        ::kill(m_pid, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + grace;
        while (isRunning() && std::chrono::steady_clock::now() < deadline) ::usleep(5000);
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            reap(true);
        }
    }
    output();
    if (m_outputFd >= 0) {
        ::close(m_outputFd);
        m_outputFd = -1;
    }
}

void ChildProcess::reap(bool block) {
    if (m_pid <= 0) return;
    int status = 0;
    const pid_t result = ::waitpid(m_pid, &status, block ? 0 : WNOHANG);
    if (result == m_pid) {
        m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        m_pid = -1;
    } else if (result < 0) {
        m_pid = -1;
    }
}

}  // namespace quillet::test
