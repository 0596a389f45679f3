#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>

namespace quillet {

// The files sync keeps in the folder the user chose: `Quillet/<device id>/<number>.seg`, the
// number zero-padded to twelve digits. A segment is written once under a temporary name
// (`.tmp-…`), flushed to disk and renamed; it never changes after. Anything else in the folder
// (temporary files, conflict copies a sync tool made, foreign files) is not a segment.
class SegmentFolder {
public:
    explicit SegmentFolder(QString folder);

    static bool isDeviceId(const QString& name);
    // The number a segment file name stands for; none for any other name.
    static std::optional<qint64> sequenceOf(const QString& fileName);
    static QString fileName(qint64 sequence);

    QString root() const;  // <folder>/Quillet
    QString deviceFolder(const QString& device) const;
    QString segmentPath(const QString& device, qint64 sequence) const;
    // Other devices' folders by name (this device's own left out).
    QStringList devices(const QString& except) const;
    // A device's segments: number to file path.
    std::map<qint64, QString> segments(const QString& device) const;

    // Writes `bytes` as the segment `sequence` of `device`: temporary file, fsync, rename,
    // fsync of the folder. An existing segment of that number is never replaced.
    bool write(const QString& device, qint64 sequence, const QByteArray& bytes,
               QString* why) const;
    // Reads a file of at most `maxBytes`; none when it cannot be read or is larger.
    static std::optional<QByteArray> read(const QString& path, qint64 maxBytes, QString* why);
    // Removes temporary files left in `device`'s folder by a writer that stopped midway.
    void removeLeftovers(const QString& device) const;

private:
    QString m_folder;
};

}  // namespace quillet
