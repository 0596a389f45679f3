#pragma once

#include <optional>
#include <string>

namespace quillet {

// The client side of the command socket (see InstanceChannel): one request line; "ok" or a
// refusal, then detail lines until the instance closes. It needs no Qt, so the launcher sends
// `quillet --history-menu` and the other single requests with it before Qt is set up (a key
// bound to a request should open its menu at once); the program proper uses it too.
class FastRequest {
public:
    struct Answer {
        bool done = false;  // the instance answered "ok"
        std::string reply;  // its first line; empty when no whole line came
        std::string details;
    };

    // The requests a running instance answers, in the order --help lists them.
    static constexpr const char* requests[] = {
        "history-menu", "phrase-menu", "search",   "search-phrases", "manage-phrases",
        "settings",     "status",      "pause",    "resume",         "quit",
        "sync-off"};
    // The one request that takes a value, sent as "pause-for 30". The launcher leaves it to
    // the full parser, which checks the value.
    static constexpr const char* pauseFor = "pause-for";
    // Requests that take a folder (and a code), sent percent-encoded by the full parser.
    static constexpr const char* syncInit = "sync-init";
    static constexpr const char* syncJoin = "sync-join";
    // The requests that take a file, also left to the full parser.
    static constexpr const char* importPhrases = "import-phrases";
    static constexpr const char* exportPhrases = "export-phrases";

    // How long to wait for the answer to `request`, in milliseconds.
    static int timeoutFor(const std::string& request);
    // Whether the lines of the answer to `request` are what the user asked to read (standard
    // output) rather than remarks (standard error).
    static bool answerIsOutput(const std::string& request);

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
