#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

namespace quillet {

// The last few warnings the program logged, kept where `quillet --status` can show them: the
// place a user looks first when something went wrong. Every message still goes to standard
// error as before.
class RecentWarnings {
public:
    struct Entry {
        QDateTime time;
        QString text;  // "category: message", one line, control characters replaced
    };

    static constexpr int capacity = 5;
    static constexpr int maxTextLength = 300;

    // Starts keeping warnings and critical messages of every thread; earlier handlers (the
    // default one prints to standard error) still get every message. Once per process.
    static void install();
    // Oldest first, at most `capacity`.
    static std::vector<Entry> entries();
    // One line per entry: "14:05:09 quillet.store: …" (with the date before an earlier day's).
    static QStringList lines();
    // Keeps a message as the installed handler does (for tests and for messages that do not
    // go through Qt's logging).
    static void keep(const QString& category, const QString& message, const QDateTime& time);
    static void clear();
};

}  // namespace quillet
