#pragma once

#include <QByteArray>
#include <QString>

namespace quillet {

// Helpers for files that must survive a crash or a power cut: written whole, flushed, and
// their folder flushed after a rename so that the new name lasts too.

// Writes all of `bytes` to `fd`, through short writes and interruptions; false (errno set)
// when the system refuses.
bool writeAll(int fd, const QByteArray& bytes);

// Flushes the folder `path` itself (the names in it); false (errno set) when it cannot.
bool syncFolder(const QString& path);

}  // namespace quillet
