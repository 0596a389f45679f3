#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace quillet {

// The sync key kept in a file of its own where no keyring answers: readable by the user alone
// (0600), written whole or not at all (a temporary file renamed into place), as 64 hex digits
// and a line end.
namespace SyncKeyFile {

constexpr qsizetype keyBytes = 32;

// $XDG_CONFIG_HOME/quillet/sync-key.
QString defaultPath();

// The key; an empty array when there is no file; nullopt with `why` when the file cannot be
// read or holds no key.
std::optional<QByteArray> read(const QString& path, QString* why);
bool write(const QString& path, const QByteArray& key, QString* why);
// True also when there was no file.
bool remove(const QString& path, QString* why);

}  // namespace SyncKeyFile

}  // namespace quillet
