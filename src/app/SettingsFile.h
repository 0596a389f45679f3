#pragma once

#include <QSettings>
#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace quillet {

// The settings file, quillet/quillet.ini in the user's configuration folder. QSettings reads it
// as soon as it is made, and a FIFO there (or a socket, a device, a folder) would block that
// read for good or make no sense: anything but a regular file is left alone, named in a
// warning, and the program runs on default settings kept in a scratch file for this run.
class SettingsFile {
public:
    // `path` empty: the usual place.
    explicit SettingsFile(const QString& path = QString());

    QSettings& settings() { return *m_settings; }
    // The file read and written; differs from the usual place when that one was unusable.
    QString fileName() const { return m_settings->fileName(); }
    bool usesDefaults() const { return m_scratch != nullptr; }

    static QString defaultPath();

private:
    std::unique_ptr<QTemporaryDir> m_scratch;
    std::unique_ptr<QSettings> m_settings;
};

}  // namespace quillet
