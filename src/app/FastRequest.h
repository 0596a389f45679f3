#pragma once

#include <optional>
#include <string>

namespace quillet {

// `quillet --history-menu` and the other single requests, sent before Qt is set up: a key
// bound to a request should open its menu at once, and a Qt application object, its
// catalogues and its command-line parser cost more than the request itself. Speaks the
// socket's protocol as InstanceChannel::send does (one line; "ok" or a refusal, then detail
// lines until the instance closes), with the same bounds.
class FastRequest {
public:
    struct Answer {
        bool done = false;  // the instance answered "ok"
        std::string reply;  // its first line; empty when no whole line came
        std::string details;
    };

    // The request named by a command line of exactly one known option ("--status"), else
    // nullopt: everything else goes through the full parser.
    static std::optional<std::string> requestIn(int argc, char** argv);
    // Sends `request` to the instance on `socketPath`. Nullopt when no instance listens there
    // (or the path cannot be used here): the caller takes the full path, which tells "not
    // running" from "running but not answering".
    static std::optional<Answer> send(const std::string& request, const std::string& socketPath,
                                      int timeoutMs);
    // The socket path the running instance uses, when it follows from the environment alone
    // (XDG_RUNTIME_DIR set to a private folder of ours); else empty.
    static std::string socketPath();
};

}  // namespace quillet
