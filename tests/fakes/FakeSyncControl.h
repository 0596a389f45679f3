#pragma once

#include <QStringList>

#include "sync/SyncControl.h"

namespace quillet::test {

// Records what is asked of sync and lets the test say what came of it.
class FakeSyncControl : public SyncControl {
public:
    void initialize(const QString& folder) override { calls << QStringLiteral("init ") + folder; }
    void join(const QString& folder, const QString& code) override {
        calls << QStringLiteral("join ") + folder + u' ' + code;
    }
    void turnOff() override { calls << QStringLiteral("off"); }
    QString pairingCode() const override { return code; }
    SyncStatus status() const override { return current; }
    QString statusLine() const override {
        return current.enabled ? QStringLiteral("Sync: ") + current.folder
                               : QStringLiteral("Sync: off");
    }

    // The outcomes the real engine reports.
    void becomeOn(const QString& folder, const QString& newCode) {
        current.enabled = true;
        current.folder = folder;
        code = newCode;
        emit statusChanged();
    }
    void becomeOff() {
        current = SyncStatus{};
        code.clear();
        emit statusChanged();
    }

    QStringList calls;
    SyncStatus current;
    QString code;
};

}  // namespace quillet::test
