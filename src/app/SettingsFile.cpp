#include "app/SettingsFile.h"

#include <sys/stat.h>

#include <QFile>
#include <QStandardPaths>

#include "base/Logging.h"

namespace quillet {

namespace {

// What is in the way at `path`, when something other than a regular file is; else empty.
QString obstacleAt(const QString& path) {
    struct stat info {};
    // Follows links: a settings file linked from a dotfiles folder is fine.
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || S_ISREG(info.st_mode))
        return {};
    if (S_ISFIFO(info.st_mode)) return QStringLiteral("FIFO");
    if (S_ISSOCK(info.st_mode)) return QStringLiteral("socket");
    if (S_ISDIR(info.st_mode)) return QStringLiteral("folder");
    return QStringLiteral("device");
}

}  // namespace

QString SettingsFile::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/quillet/quillet.ini");
}

SettingsFile::SettingsFile(const QString& path) {
    const QString file = path.isEmpty() ? defaultPath() : path;
    const QString obstacle = obstacleAt(file);
    if (obstacle.isEmpty()) {
        m_settings = std::make_unique<QSettings>(file, QSettings::IniFormat);
        return;
    }
    m_scratch = std::make_unique<QTemporaryDir>();
    m_settings = std::make_unique<QSettings>(
        m_scratch->isValid() ? m_scratch->filePath(QStringLiteral("quillet.ini")) : QString(),
        QSettings::IniFormat);
    //% "The settings file %1 is not a regular file (%2): Quillet runs with default settings "
    //% "and keeps no changes to them. Remove it to have settings saved again."
    qCWarning(lcApp).noquote() << qtTrId("SETTINGS_NOT_A_FILE").arg(file, obstacle);
}

}  // namespace quillet
