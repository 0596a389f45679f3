#pragma once

#include <QString>
#include <optional>

namespace quillet {

// A handle on another program's top-level window, enough to bring it back to the front.
struct RunningApplication {
    quint64 window = 0;
    qint64 pid = 0;
    std::optional<QString> bundleIdentifier;

    bool operator==(const RunningApplication&) const = default;
};

class Workspace {
public:
    Workspace() = default;
    virtual ~Workspace() = default;
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // The application that currently receives keyboard input, if any is known.
    virtual std::optional<RunningApplication> frontmostApplication() = 0;
    // This program's own identifier, compared with the frontmost one.
    virtual std::optional<QString> ownBundleIdentifier() const = 0;
    // Asks the window manager to make the application frontmost again; the result is not awaited.
    virtual void activate(const RunningApplication& app) = 0;
};

}  // namespace quillet
