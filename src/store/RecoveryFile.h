#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quillet {

class StorageContext;

// A small file beside the store that keeps the changes a save could not write, one JSON
// object a line: a header, then every pending insert (categories before their phrases),
// change and delete, each with the record's whole content.
class RecoveryFile {
public:
    // Bounds on a file read back: it lives in the user's folder, but anything may have
    // written or truncated it.
    static constexpr qint64 maxBytes = 256LL * 1024 * 1024;
    static constexpr int maxEntries = 200'000;

    // The context's pending changes, encoded; empty when there are none.
    static QByteArray encode(const StorageContext& context);
    // Writes `data` to `path` (mode 0600) through a temporary name, synced before and after
    // the rename, so the file is either the old one or the whole new one.
    static bool write(const QString& path, const QByteArray& data, QString* error);

    struct Replay {
        int applied = 0;          // entries that changed something
        int alreadyThere = 0;     // entries the store held already (an earlier replay)
        QStringList problems;     // entries that could not be used, and why
        bool unreadable = false;  // too large, or not this kind of file: nothing was used
    };
    // Applies the file's changes to the context as pending changes (the caller saves):
    // a record already stored is not inserted again, a clip's later timestamp wins, and a
    // change to a record that is gone is dropped. Damaged lines are skipped and listed.
    static Replay replay(const QString& path, StorageContext& context);
};

}  // namespace quillet
