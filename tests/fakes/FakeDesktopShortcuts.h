#pragma once

#include <map>

#include "platform/DesktopShortcuts.h"

namespace quillet::test {

// The desktop's command shortcuts as a map by id; the desktop may lack them or refuse writes.
class FakeDesktopShortcuts final : public DesktopShortcuts {
public:
    bool isAvailable() const override { return available; }
    bool contains(const QStringList& ids) const override {
        for (const QString& id : ids)
            if (!held.count(id)) return false;
        return available && !ids.isEmpty();
    }
    bool write(const std::vector<Shortcut>& shortcuts, QString* error) override {
        ++writes;
        if (!refusal.isEmpty()) {
            if (error) *error = refusal;
            return false;
        }
        for (const Shortcut& shortcut : shortcuts) held[shortcut.id] = shortcut;
        return true;
    }
    bool remove(const QStringList& ids, QString* error) override {
        if (!refusal.isEmpty()) {
            if (error) *error = refusal;
            return false;
        }
        for (const QString& id : ids) held.erase(id);
        return true;
    }

    bool available = false;
    QString refusal;  // the desktop's reason when it refuses; empty to accept
    std::map<QString, Shortcut> held;
    int writes = 0;
};

}  // namespace quillet::test
