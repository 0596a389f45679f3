#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QCoreApplication;

namespace quillet {

// What the command line asks for: nothing (start the tray program), a request for the running
// instance, or an immediate exit (help, version, a mistake) with its status.
struct CommandLine {
    QString request;              // "history-menu", "status"... empty: start the tray program
    std::optional<int> exitCode;  // set: print nothing more, exit with it

    // Parses the application's arguments; prints help, the version or what is wrong.
    static CommandLine read(const QCoreApplication& app);
    // The option closest to a mistyped argument, if one is close enough to suggest.
    static std::optional<QString> nearestOption(const QString& argument);
};

}  // namespace quillet
