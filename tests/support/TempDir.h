#pragma once

#include <QCoreApplication>
#include <QEventLoop>
#include <QString>
#include <QTemporaryDir>
#include <chrono>
#include <functional>

namespace quillet::test {

// A private temporary folder removed with the object.
class TempDir {
public:
    TempDir();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

// Runs queued main-loop work (loads, queued calls) until nothing is left.
void drainEvents();

// Spins the main loop until `condition` holds or the deadline passes; returns the condition.
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds deadline = std::chrono::seconds(5));

}  // namespace quillet::test
