#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <thread>

struct sqlite3;

namespace quillet {

// Checks a store file for damage (SQLite's quick_check, then a walk of the search index) on a
// thread and connection of its
// own, so a large history never holds up the program; `finished` arrives on this object's
// thread. Destroying the object interrupts a check that is still running.
class StoreCheck : public QObject {
    Q_OBJECT
public:
    explicit StoreCheck(QString path, QObject* parent = nullptr);
    ~StoreCheck() override;

    void start();

signals:
    // `problems` is empty when the file is sound; otherwise SQLite's first findings.
    void finished(bool sound, const QString& problems);
    // The file is sound but its search index is not (`problem` says how it failed); the
    // index can be rebuilt from the clips. Comes before `finished`.
    void indexDamaged(const QString& problem);

private:
    void run();
    QString checkIndex(sqlite3* db);

    const QString m_path;
    std::atomic<sqlite3*> m_db = nullptr;  // while the check runs, for interruption
    std::atomic<bool> m_stopping = false;
    std::thread m_thread;
};

}  // namespace quillet
