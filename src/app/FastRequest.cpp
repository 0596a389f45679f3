#include "app/FastRequest.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace quillet {

namespace {

using Clock = std::chrono::steady_clock;

// What is read of an answer at most.
constexpr size_t kMaxReplyBytes = 64 * 1024;

int millisLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

bool waitFor(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    for (;;) {
        const int n = ::poll(&p, 1, timeoutMs);
        if (n > 0) return true;
        if (n == 0 || errno != EINTR) return false;
    }
}

// How long a connection may wait in a full listen queue: a burst of other clients fills it for
// a moment, an instance that stopped serving for good.
constexpr int kConnectMs = 2000;

// A blocking connect waits while the instance's listen queue is full (a non-blocking one would
// fail at once); the send time-out bounds that wait.
bool connectWithin(int fd, const sockaddr_un& address, int timeoutMs) {
    const auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const int left = millisLeft(until);
        if (left <= 0) return false;
        const timeval wait{left / 1000, (left % 1000) * 1000};
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            return true;
        if (errno != EINTR) return false;
    }
}

std::string trimmed(const std::string& text) {
    const char* space = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(space);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

}  // namespace

std::optional<std::string> FastRequest::requestIn(int argc, char** argv) {
    if (argc != 2 || std::strncmp(argv[1], "--", 2) != 0) return std::nullopt;
    for (const char* request : requests)
        if (std::strcmp(argv[1] + 2, request) == 0) return std::string(request);
    return std::nullopt;
}

int FastRequest::timeoutFor(const std::string& request) {
    // Turning sync on or off waits for the keyring and the disk; the instance gives up on it
    // after half a minute and says so. An import is answered once the whole file is in (the
    // largest it takes, 64 MiB, is seconds of work).
    if (request.rfind(importPhrases, 0) == 0) return 120'000;
    return request.rfind("sync-", 0) == 0 ? 35000 : 3000;
}

bool FastRequest::answerIsOutput(const std::string& request) {
    // A pause request answers with the status line it leaves, a sync request with the sync
    // status (and the pairing code), an import or export with what it did.
    auto startsWith = [&request](const char* word) {
        return request.rfind(std::string(word) + ' ', 0) == 0;
    };
    return request == "status" || request == "pause" || request == "resume" ||
           request == "sync-off" || startsWith(pauseFor) || startsWith(syncInit) ||
           startsWith(syncJoin) || startsWith(importPhrases) || startsWith(exportPhrases);
}

std::string FastRequest::socketPath() {
    // Where QStandardPaths puts the runtime folder when the variable names a usable one; in
    // every other case (unset, someone else's, open to others) Qt's own answer is needed.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || runtime[0] != '/') return {};
    struct stat info {};
    if (::stat(runtime, &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() ||
        (info.st_mode & 0777) != 0700)
        return {};
    std::string path = runtime;
    return path + "/quillet.sock";
}

std::optional<FastRequest::Answer> FastRequest::send(const std::string& request,
                                                     const std::string& socketPath, int timeoutMs) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.empty() || socketPath.size() >= sizeof address.sun_path) return std::nullopt;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return std::nullopt;
    const auto deadline = [&] { return Clock::now() + std::chrono::milliseconds(timeoutMs); };
    if (!connectWithin(fd, address, std::min(timeoutMs, kConnectMs))) {
        ::close(fd);
        return std::nullopt;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    Answer answer;
    const std::string line = request + '\n';
    size_t written = 0;
    auto until = deadline();
    while (written < line.size()) {
        if (!waitFor(fd, POLLOUT, millisLeft(until))) {
            ::close(fd);
            return answer;
        }
        const ssize_t n = ::send(fd, line.data() + written, line.size() - written, MSG_NOSIGNAL);
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            ::close(fd);
            return answer;
        }
        if (n > 0) written += size_t(n);
    }
    // The instance closes the connection after its answer; a bounded amount is read, each
    // wait as long as the time-out.
    std::string received;
    char buffer[4096];
    while (received.size() < kMaxReplyBytes) {
        if (!waitFor(fd, POLLIN, timeoutMs)) break;
        const size_t room = std::min(sizeof buffer, kMaxReplyBytes - received.size());
        const ssize_t n = ::read(fd, buffer, room);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) break;
        received.append(buffer, size_t(n));
    }
    ::close(fd);
    const size_t end = received.find('\n');
    if (end == std::string::npos) return answer;
    answer.reply = trimmed(received.substr(0, end));
    answer.details = received.substr(end + 1);
    answer.done = answer.reply == "ok";
    return answer;
}

}  // namespace quillet
