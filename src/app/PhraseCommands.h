#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>

#include "app/InstanceChannel.h"

namespace quillet {

class PhraseImport;
class StorageContext;

// The command socket's phrase file requests, from `quillet --import-phrases FILE [--category
// NAME]` and `quillet --export-phrases FILE`. Paths arrive absolute and, like the category,
// percent-encoded, so that a request stays one line whatever they hold:
//   import-phrases <path> [<category>]
//   export-phrases <path>
// An import is read off the GUI thread and answered when it ends (one at a time); a category
// made for it goes again when the file is refused, so a refused file leaves nothing behind.
class PhraseCommands : public QObject {
    Q_OBJECT
public:
    explicit PhraseCommands(StorageContext& context, QObject* parent = nullptr);

    // An export, answered at once; nullopt for a request that is not one.
    std::optional<InstanceChannel::Reply> handle(const QString& command);
    // An import, answered through `respond` when it ends: the milliseconds that may take, or
    // 0 for a request that is not one.
    int handleLater(const QString& command, const InstanceChannel::Respond& respond);

    // The longest an import of the largest file taken (64 MiB, seconds of work) may take.
    static constexpr int importTimeoutMs = 115'000;

    // The request line for an import or export of `path` (made absolute) into `category`.
    static QString importRequest(const QString& path, const QString& category);
    static QString exportRequest(const QString& path);

private:
    struct Request {
        QString kind, path, category;
    };
    static std::optional<Request> parse(const QString& command);
    void import(const QString& path, QString category, const InstanceChannel::Respond& respond);
    InstanceChannel::Reply exportLibrary(const QString& path);

    StorageContext& m_context;
    QPointer<PhraseImport> m_import;  // the import under way
};

}  // namespace quillet
