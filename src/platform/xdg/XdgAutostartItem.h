#pragma once

#include <QString>

#include "platform/LoginItem.h"

namespace quillet {

// The login item of a freedesktop session: a desktop entry in
// $XDG_CONFIG_HOME/autostart/, which overrides an entry of the same name in $XDG_CONFIG_DIRS.
// The folders are read from the environment at every call, so a changed home is honoured.
class XdgAutostartItem final : public LoginItem {
public:
    // `fileName` is the entry's name ("quillet.desktop"); `program` is what Exec runs: an
    // absolute path, or a name found on PATH.
    XdgAutostartItem(QString fileName, QString program);

    Status status() const override;
    bool setEnabled(bool enabled, QString* error) override;

    QString userEntryPath() const;
    // The first system-wide entry of our name, or empty.
    QString systemEntryPath() const;

private:
    bool writeEntry(bool hidden, QString* error);

    QString m_fileName;
    QString m_program;
};

}  // namespace quillet
