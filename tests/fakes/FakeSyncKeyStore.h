#pragma once

#include <QMetaObject>

#include "sync/SyncKeyStore.h"

namespace quillet::test {

// A key store in memory that answers on the next turn of the event loop, as a keyring does;
// `failWith` makes the next calls fail with that sentence.
class FakeSyncKeyStore final : public SyncKeyStore {
public:
    void load() override {
        answer([this] { emit loaded(key); });
    }
    void save(const QByteArray& newKey) override {
        answer([this, newKey] {
            key = newKey;
            emit saved();
        });
    }
    void remove() override {
        answer([this] {
            key.clear();
            emit removed();
        });
    }
    bool keptInFile() const override { return inFile; }

    QByteArray key;
    bool inFile = false;
    QString failWith;

private:
    template <class F>
    void answer(F work) {
        QMetaObject::invokeMethod(
            this,
            [this, work] {
                if (failWith.isEmpty())
                    work();
                else
                    emit failed(failWith);
            },
            Qt::QueuedConnection);
    }
};

}  // namespace quillet::test
