#include "platform/xdg/XdgAutostartItem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "base/DurableFile.h"

namespace quillet {

namespace {

// A desktop entry is a few hundred bytes; anything bigger is not ours to read in full.
constexpr qint64 maxEntrySize = 64 * 1024;

// "<path>: <the system's message>", so the user knows which file to look at.
QString systemMessage(const QString& path, int error) {
    return path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
}

QString configHome() {
    const QByteArray home = qgetenv("XDG_CONFIG_HOME");
    if (!home.isEmpty() && QDir::isAbsolutePath(QString::fromLocal8Bit(home)))
        return QString::fromLocal8Bit(home);
    return QDir::homePath() + QStringLiteral("/.config");
}

QStringList configDirs() {
    QStringList dirs;
    for (const QString& dir :
         QString::fromLocal8Bit(qgetenv("XDG_CONFIG_DIRS")).split(u':', Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(dir)) dirs << dir;
    if (dirs.isEmpty()) dirs << QStringLiteral("/etc/xdg");
    return dirs;
}

// The value of a string key with its escapes (\s \n \t \r \\) resolved.
QString unescapeValue(QStringView value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i].unicode()) {
            case 's':
                out += u' ';
                break;
            case 'n':
                out += u'\n';
                break;
            case 't':
                out += u'\t';
                break;
            case 'r':
                out += u'\r';
                break;
            default:
                out += value[i];
                break;
        }
    }
    return out;
}

// Keys of the [Desktop Entry] group; later groups (actions) are not read.
QHash<QString, QString> readEntry(const QString& path) {
    QHash<QString, QString> keys;
    // A FIFO in its place would block the open for good.
    if (!QFileInfo(path).isFile()) return keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return keys;
    const QList<QByteArray> lines = file.read(maxEntrySize).split('\n');
    bool inMainGroup = false;
    for (const QByteArray& raw : lines) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        if (line.startsWith(u'[')) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inMainGroup || equals <= 0) continue;
        keys.insert(line.left(equals).trimmed(), unescapeValue(line.mid(equals + 1).trimmed()));
    }
    return keys;
}

// The program of an Exec line: its first argument, quoted or not.
QString execProgram(const QString& exec) {
    QString program;
    qsizetype i = 0;
    while (i < exec.size() && exec[i].isSpace()) ++i;
    if (i < exec.size() && exec[i] == u'"') {
        for (++i; i < exec.size() && exec[i] != u'"'; ++i) {
            if (exec[i] == u'\\' && i + 1 < exec.size()) ++i;
            program += exec[i];
        }
        return program;
    }
    while (i < exec.size() && !exec[i].isSpace()) program += exec[i++];
    return program;
}

bool programExists(const QString& program) {
    if (program.isEmpty()) return false;
    if (!QDir::isAbsolutePath(program)) return !QStandardPaths::findExecutable(program).isEmpty();
    const QFileInfo info(program);
    return info.isFile() && info.isExecutable();
}

// `program` as one Exec argument, then escaped as a string value.
QString execValue(const QString& program) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString argument = program;
    if (std::any_of(program.begin(), program.end(), [](QChar c) { return reserved.contains(c); })) {
        argument.clear();
        for (QChar c : program) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') argument += u'\\';
            argument += c;
        }
        argument = u'"' + argument + u'"';
    }
    argument.replace(u'%', QStringLiteral("%%"));
    argument.replace(u'\\', QStringLiteral("\\\\"));
    argument.replace(u'\n', QStringLiteral("\\n"));
    return argument;
}

// mkdir -p, reporting the first failure with the system's message.
bool makePath(const QString& path, QString* error) {
    QString partial;
    for (const QString& part : path.split(u'/', Qt::SkipEmptyParts)) {
        partial += u'/' + part;
        const QByteArray native = QFile::encodeName(partial);
        if (::mkdir(native.constData(), 0700) == 0 || errno == EEXIST) continue;
        if (error) *error = systemMessage(partial, errno);
        return false;
    }
    return true;
}

}  // namespace

XdgAutostartItem::XdgAutostartItem(QString fileName, QString program)
    : m_fileName(std::move(fileName)), m_program(std::move(program)) {}

QString XdgAutostartItem::userEntryPath() const {
    return configHome() + QStringLiteral("/autostart/") + m_fileName;
}

QString XdgAutostartItem::systemEntryPath() const {
    for (const QString& dir : configDirs()) {
        const QString path = dir + QStringLiteral("/autostart/") + m_fileName;
        if (QFileInfo::exists(path)) return path;
    }
    return {};
}

LoginItem::Status XdgAutostartItem::status() const {
    // The user's entry hides a system-wide one of the same name.
    QString path = userEntryPath();
    if (!QFileInfo::exists(path)) path = systemEntryPath();
    if (path.isEmpty()) return Status::notRegistered;
    const QHash<QString, QString> entry = readEntry(path);
    if (entry.value(QStringLiteral("Hidden")) == QLatin1String("true") ||
        entry.value(QStringLiteral("X-GNOME-Autostart-enabled")) == QLatin1String("false"))
        return Status::notRegistered;
    return programExists(execProgram(entry.value(QStringLiteral("Exec")))) ? Status::enabled
                                                                           : Status::notFound;
}

bool XdgAutostartItem::setEnabled(bool enabled, QString* error) {
    if (enabled) return writeEntry(false, error);
    // A system-wide entry would start us anyway: only a hidden entry of ours turns it off.
    if (!systemEntryPath().isEmpty()) return writeEntry(true, error);
    const QByteArray path = QFile::encodeName(userEntryPath());
    if (::unlink(path.constData()) == 0 || errno == ENOENT) return true;
    if (error) *error = systemMessage(userEntryPath(), errno);
    return false;
}

bool XdgAutostartItem::writeEntry(bool hidden, QString* error) {
    const QString folder = configHome() + QStringLiteral("/autostart");
    if (!makePath(folder, error)) return false;

    QString text = QStringLiteral(
                       "[Desktop Entry]\nType=Application\nName=Quillet\n"
                       "Comment=Clipboard history and phrases\nExec=%1\nIcon=quillet\n"
                       "Terminal=false\n")
                       .arg(execValue(m_program));
    text += hidden ? QStringLiteral("Hidden=true\nX-GNOME-Autostart-enabled=false\n")
                   : QStringLiteral("X-GNOME-Autostart-enabled=true\n");
    const QByteArray bytes = text.toUtf8();

    // Written beside the entry and renamed over it, so a session never reads half a file.
    const QByteArray target = QFile::encodeName(userEntryPath());
    const QByteArray temporary = target + ".tmp";
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    // Failures name the entry, not the temporary file the user never sees.
    if (fd < 0) {
        if (error) *error = systemMessage(userEntryPath(), errno);
        return false;
    }
    int failure = 0;
    errno = 0;
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0)
        failure = errno ? errno : EIO;
    if (::close(fd) != 0 && failure == 0) failure = errno;
    if (failure == 0 && ::rename(temporary.constData(), target.constData()) != 0) failure = errno;
    if (failure == 0) return true;
    ::unlink(temporary.constData());
    if (error) *error = systemMessage(userEntryPath(), failure);
    return false;
}

}  // namespace quillet
