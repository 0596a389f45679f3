#include "sync/SyncKeyFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace quillet {

namespace SyncKeyFile {

namespace {

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

}  // namespace

QString defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/quillet/sync-key");
}

std::optional<QByteArray> read(const QString& path, QString* why) {
    const QFileInfo info(path);
    if (!info.exists()) return QByteArray();
    // Anything but a small regular file could block the read or is not ours.
    if (!info.isFile() || info.size() > 1024) {
        *why = QStringLiteral("%1 is not a key file").arg(path);
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *why = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    const QByteArray hex = file.read(1024).trimmed();
    const QByteArray key = QByteArray::fromHex(hex);
    if (hex.size() != 2 * keyBytes || key.size() != keyBytes || key.toHex() != hex.toLower()) {
        *why = QStringLiteral("%1 holds no key").arg(path);
        return std::nullopt;
    }
    return key;
}

bool write(const QString& path, const QByteArray& key, QString* why) {
    if (key.size() != keyBytes) {
        *why = QStringLiteral("a key has %1 bytes, not %2").arg(keyBytes).arg(key.size());
        return false;
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        *why = QStringLiteral("cannot create %1").arg(folder);
        return false;
    }
    QSaveFile file(path);
    // The temporary file is private before the key is in it.
    if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(kOwnerOnly) ||
        file.write(key.toHex() + '\n') != 2 * keyBytes + 1 || !file.commit()) {
        *why = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}

bool remove(const QString& path, QString* why) {
    QFile file(path);
    if (!file.exists() || file.remove()) return true;
    *why = QStringLiteral("cannot remove %1: %2").arg(path, file.errorString());
    return false;
}

}  // namespace SyncKeyFile

}  // namespace quillet
