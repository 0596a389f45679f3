#include "app/PhraseCommands.h"

#include <QDir>
#include <QFileInfo>

#include "base/Logging.h"
#include "phrases/PhraseImport.h"
#include "phrases/PhraseJsonFile.h"
#include "phrases/PhraseLibrary.h"
#include "store/PhraseCategory.h"
#include "store/PhraseItem.h"
#include "store/StorageContext.h"

namespace quillet {

namespace {

const QLatin1String kImport("import-phrases");
const QLatin1String kExport("export-phrases");

}  // namespace

PhraseCommands::PhraseCommands(StorageContext& context, QObject* parent)
    : QObject(parent), m_context(context) {}

QString PhraseCommands::importRequest(const QString& path, const QString& category) {
    QString request =
        kImport + u' ' + InstanceChannel::encodedValue(QFileInfo(path).absoluteFilePath());
    if (!category.isEmpty()) request += u' ' + InstanceChannel::encodedValue(category);
    return request;
}

QString PhraseCommands::exportRequest(const QString& path) {
    return kExport + u' ' + InstanceChannel::encodedValue(QFileInfo(path).absoluteFilePath());
}

std::optional<PhraseCommands::Request> PhraseCommands::parse(const QString& command) {
    const QStringList parts = command.split(u' ', Qt::SkipEmptyParts);
    if (parts.size() < 2) return std::nullopt;
    const QString path = InstanceChannel::decodedValue(parts[1]);
    if (!QDir::isAbsolutePath(path)) return std::nullopt;
    if (parts[0] == kImport && parts.size() <= 3)
        return Request{kImport, path,
                       parts.size() == 3 ? InstanceChannel::decodedValue(parts[2]) : QString()};
    if (parts[0] == kExport && parts.size() == 2) return Request{kExport, path, {}};
    return std::nullopt;
}

std::optional<InstanceChannel::Reply> PhraseCommands::handle(const QString& command) {
    const std::optional<Request> request = parse(command);
    if (!request || request->kind != kExport) return std::nullopt;
    return exportLibrary(request->path);
}

int PhraseCommands::handleLater(const QString& command, const InstanceChannel::Respond& respond) {
    const std::optional<Request> request = parse(command);
    if (!request || request->kind != kImport) return 0;
    import(request->path, request->category, respond);
    return importTimeoutMs;
}

void PhraseCommands::import(const QString& path, QString category,
                            const InstanceChannel::Respond& answer) {
    if (m_import) {
        //% "Another phrase import is under way; try again once it has finished."
        answer({qtTrId("PHRASE_IMPORT_BUSY"), true});
        return;
    }
    if (category.trimmed().isEmpty()) category = QFileInfo(path).completeBaseName();
    PhraseLibrary library(m_context);
    std::shared_ptr<PhraseCategory> target;
    for (const auto& existing : library.categories())
        if (existing->name() == category) target = existing;
    const bool made = !target;
    if (made) target = library.createCategory(category);
    auto* import = new PhraseImport(m_context, target, path, {}, this);
    m_import = import;
    connect(import, &PhraseImport::failed, this,
            [this, import, target, made, answer](const QString& message) {
                if (made && target->items().empty()) {
                    m_context.remove(target);
                    m_context.save();
                }
                import->deleteLater();
                answer({message + u'\n', true});
            });
    connect(import, &PhraseImport::finished, this, [import, category, answer](qsizetype count) {
        QString details;
        for (const QString& warning : import->warnings()) details += warning + u'\n';
        // A fixed line, the same in every language, for scripts to read.
        details += QStringLiteral("Imported %1 phrases into %2\n").arg(count).arg(category);
        import->deleteLater();
        answer({details, false});
    });
    qCInfo(lcPhrases) << "importing" << path << "into" << category;
    import->start();
}

InstanceChannel::Reply PhraseCommands::exportLibrary(const QString& path) {
    PhraseLibrary library(m_context);
    std::vector<PhraseJsonFile::Category> categories;
    qsizetype count = 0;
    for (const auto& category : library.categories()) {
        categories.push_back(PhraseJsonFile::of(*category));
        count += qsizetype(categories.back().phrases.size());
    }
    const QString reason =
        PhraseCSVFile::write(path, QString::fromUtf8(PhraseJsonFile::write(categories)));
    if (!reason.isEmpty()) {
        const QString message =
            qtTrId("PHRASE_CSV_WRITE_FAILED").arg(QDir::toNativeSeparators(path), reason);
        qCWarning(lcPhrases).noquote() << message;
        return {message, true};
    }
    //% "Exported %1 phrases in %2 categories to %3"
    return {qtTrId("PHRASE_EXPORTED")
                .arg(count)
                .arg(categories.size())
                .arg(QDir::toNativeSeparators(path))};
}

}  // namespace quillet
