#include "sync/SegmentFolder.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>

#include "base/DurableFile.h"
#include "base/Logging.h"

namespace quillet {

namespace {

constexpr int kSequenceDigits = 12;
const QString kTemporaryPrefix = QStringLiteral(".tmp-");

QString errnoText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

}  // namespace

SegmentFolder::SegmentFolder(QString folder) : m_folder(std::move(folder)) {}

bool SegmentFolder::isDeviceId(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("^[0-9a-f]{16}$"));
    return pattern.match(name).hasMatch();
}

std::optional<qint64> SegmentFolder::sequenceOf(const QString& fileName) {
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{12})\\.seg$"));
    const auto match = pattern.match(fileName);
    if (!match.hasMatch()) return std::nullopt;
    const qint64 sequence = match.captured(1).toLongLong();
    if (sequence <= 0) return std::nullopt;
    return sequence;
}

QString SegmentFolder::fileName(qint64 sequence) {
    return QStringLiteral("%1.seg").arg(sequence, kSequenceDigits, 10, QLatin1Char('0'));
}

QString SegmentFolder::root() const {
    return m_folder + QStringLiteral("/Quillet");
}

QString SegmentFolder::deviceFolder(const QString& device) const {
    return root() + QLatin1Char('/') + device;
}

QString SegmentFolder::segmentPath(const QString& device, qint64 sequence) const {
    return deviceFolder(device) + QLatin1Char('/') + fileName(sequence);
}

QStringList SegmentFolder::devices(const QString& except) const {
    QStringList found;
    const auto names = QDir(root()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names)
        if (name != except && isDeviceId(name)) found << name;
    return found;
}

std::map<qint64, QString> SegmentFolder::segments(const QString& device) const {
    std::map<qint64, QString> found;
    const QDir folder(deviceFolder(device));
    for (const QFileInfo& entry : folder.entryInfoList(QDir::Files | QDir::Hidden)) {
        if (auto sequence = sequenceOf(entry.fileName()); sequence && !entry.isSymLink())
            found.emplace(*sequence, entry.filePath());
    }
    return found;
}

bool SegmentFolder::write(const QString& device, qint64 sequence, const QByteArray& bytes,
                          QString* why) const {
    const QString folder = deviceFolder(device);
    if (!QDir().mkpath(folder)) {
        *why = QStringLiteral("cannot create %1").arg(folder);
        return false;
    }
    const QString target = segmentPath(device, sequence);
    const QString temporary =
        folder + QLatin1Char('/') + kTemporaryPrefix + fileName(sequence) + QLatin1Char('-') +
        QString::number(QRandomGenerator::system()->generate64(), 16);
    const QByteArray temporaryName = QFile::encodeName(temporary);
    const int fd = ::open(temporaryName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        *why = QStringLiteral("cannot create %1: %2").arg(temporary, errnoText());
        return false;
    }
    const bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    const QString writeError = written ? QString() : errnoText();
    ::close(fd);
    // link() fails where the name is taken, so a segment written before is never replaced;
    // file systems without hard links get a rename after a look.
    const QByteArray targetName = QFile::encodeName(target);
    bool named = written && ::link(temporaryName.constData(), targetName.constData()) == 0;
    if (written && !named && (errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS) &&
        !QFileInfo::exists(target))
        named = ::rename(temporaryName.constData(), targetName.constData()) == 0;
    if (!named) {
        *why = written ? QStringLiteral("cannot name %1: %2").arg(target, errnoText())
                       : QStringLiteral("cannot write %1: %2").arg(temporary, writeError);
        ::unlink(temporaryName.constData());
        return false;
    }
    ::unlink(temporaryName.constData());
    if (!syncFolder(folder)) qCWarning(lcSync) << "flushing" << folder << "failed:" << errnoText();
    return true;
}

std::optional<QByteArray> SegmentFolder::read(const QString& path, qint64 maxBytes, QString* why) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *why = file.errorString();
        return std::nullopt;
    }
    if (file.size() > maxBytes) {
        *why = QStringLiteral("%1 is larger than %2 bytes").arg(path, QString::number(maxBytes));
        return std::nullopt;
    }
    QByteArray bytes = file.read(maxBytes + 1);
    if (bytes.size() > maxBytes) {
        *why = QStringLiteral("%1 grew past %2 bytes").arg(path, QString::number(maxBytes));
        return std::nullopt;
    }
    return bytes;
}

void SegmentFolder::removeLeftovers(const QString& device) const {
    const QDir folder(deviceFolder(device));
    for (const QString& name : folder.entryList({kTemporaryPrefix + QLatin1Char('*')},
                                                QDir::Files | QDir::Hidden)) {
        if (!QFile::remove(folder.filePath(name)))
            qCWarning(lcSync) << "cannot remove the unfinished segment" << folder.filePath(name);
    }
}

}  // namespace quillet
