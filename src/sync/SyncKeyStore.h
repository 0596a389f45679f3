#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace quillet {

// Where this machine keeps the sync key: the desktop's keyring, or a private file where there
// is none. Every call returns at once and answers with one signal, on the thread the store
// lives on (the GUI thread). Failures are sentences from the catalogues.
class SyncKeyStore : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Reads the key: `loaded` with the key, or with an empty array when none is kept.
    virtual void load() = 0;
    // Keeps `key` (32 bytes), replacing any kept before: `saved`.
    virtual void save(const QByteArray& key) = 0;
    // Forgets the key: `removed` (also when none was kept).
    virtual void remove() = 0;
    // True when the key lives in a 0600 file because no keyring answered.
    virtual bool keptInFile() const = 0;

signals:
    void loaded(const QByteArray& key);
    void saved();
    void removed();
    void failed(const QString& reason);
};

}  // namespace quillet
