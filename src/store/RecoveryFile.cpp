#include "store/RecoveryFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "base/DurableFile.h"
#include "store/ClipItem.h"
#include "store/PhraseCategory.h"
#include "store/PhraseItem.h"
#include "store/StorageContext.h"

namespace quillet {

namespace {

constexpr char kHeaderKey[] = "quilletHeldChanges";
constexpr int kVersion = 1;

QString uuidText(const QUuid& id) {
    return id.toString(QUuid::WithoutBraces);
}

const char* kindName(Record::Entity entity) {
    switch (entity) {
        case Record::Entity::Clip:
            return "clip";
        case Record::Entity::Category:
            return "category";
        case Record::Entity::Phrase:
            break;
    }
    return "phrase";
}

std::optional<Record::Entity> kindOf(const QString& name) {
    for (auto entity : {Record::Entity::Clip, Record::Entity::Category, Record::Entity::Phrase})
        if (name == QLatin1String(kindName(entity))) return entity;
    return std::nullopt;
}

QByteArray line(const char* op, const Record& record) {
    QJsonObject entry{
        {"op", op}, {"kind", kindName(record.entity())}, {"id", uuidText(record.id())}};
    if (std::strcmp(op, "delete") != 0) {
        switch (record.entity()) {
            case Record::Entity::Clip: {
                const auto& clip = static_cast<const ClipItem&>(record);
                entry.insert("content", clip.content());
                entry.insert("timestamp", clip.timestamp().toMSecsSinceEpoch());
                break;
            }
            case Record::Entity::Category: {
                const auto& category = static_cast<const PhraseCategory&>(record);
                entry.insert("name", category.name());
                entry.insert("sortOrder", category.sortOrder());
                break;
            }
            case Record::Entity::Phrase: {
                const auto& phrase = static_cast<const PhraseItem&>(record);
                entry.insert("title", phrase.title());
                entry.insert("body", phrase.body());
                entry.insert("sortOrder", phrase.sortOrder());
                if (!phrase.abbreviation().isEmpty())
                    entry.insert("abbreviation", phrase.abbreviation());
                if (!phrase.categoryId().isNull())
                    entry.insert("category", uuidText(phrase.categoryId()));
                break;
            }
        }
    }
    return QJsonDocument(entry).toJson(QJsonDocument::Compact) + '\n';
}

// A whole number from the file, or nullopt for anything else (text, fractions, out of range).
std::optional<qint64> integer(const QJsonObject& entry, const char* key) {
    const QJsonValue value = entry.value(QLatin1String(key));
    if (!value.isDouble()) return std::nullopt;
    const qint64 number = value.toInteger(LLONG_MIN);
    if (number == LLONG_MIN) return std::nullopt;
    return number;
}

std::optional<QString> text(const QJsonObject& entry, const char* key) {
    const QJsonValue value = entry.value(QLatin1String(key));
    if (!value.isString()) return std::nullopt;
    return value.toString();
}

// Applies one entry; returns why it could not be used, else empty.
QString apply(const QJsonObject& entry, StorageContext& context, RecoveryFile::Replay& result) {
    const QString op = entry.value("op").toString();
    const auto entity = kindOf(entry.value("kind").toString());
    const QUuid id(entry.value("id").toString());
    if (!entity || id.isNull()) return QStringLiteral("no valid kind or id");
    if (op != QLatin1String("insert") && op != QLatin1String("change") &&
        op != QLatin1String("delete"))
        return QStringLiteral("unknown operation");
    const bool isInsert = op == QLatin1String("insert");
    std::shared_ptr<Record> live = context.recordWithId(*entity, id);
    auto counted = [&result](bool changed) { ++(changed ? result.applied : result.alreadyThere); };

    if (op == QLatin1String("delete")) {
        if (live) context.remove(live);
        counted(live != nullptr);
        return {};
    }
    switch (*entity) {
        case Record::Entity::Clip: {
            const auto content = text(entry, "content");
            const auto stamp = integer(entry, "timestamp");
            if (!content || !stamp) return QStringLiteral("clip without content or timestamp");
            const QDateTime timestamp = QDateTime::fromMSecsSinceEpoch(*stamp, Qt::UTC);
            if (auto clip = std::static_pointer_cast<ClipItem>(live)) {
                // Used again since: only a later use moves it.
                const bool later = timestamp > clip->timestamp();
                if (later) clip->setTimestamp(timestamp);
                counted(later);
            } else if (isInsert) {
                context.insert(std::make_shared<ClipItem>(id, *content, timestamp));
                counted(true);
            } else {
                counted(false);  // deleted since: the deletion stands
            }
            return {};
        }
        case Record::Entity::Category: {
            const auto name = text(entry, "name");
            const auto sortOrder = integer(entry, "sortOrder");
            if (!name || !sortOrder) return QStringLiteral("category without name or order");
            if (auto category = std::static_pointer_cast<PhraseCategory>(live)) {
                const bool differs =
                    category->name() != *name || category->sortOrder() != *sortOrder;
                category->setName(*name);
                category->setSortOrder(*sortOrder);
                counted(differs);
            } else if (isInsert) {
                context.insert(std::make_shared<PhraseCategory>(id, *name, *sortOrder));
                counted(true);
            } else {
                counted(false);
            }
            return {};
        }
        case Record::Entity::Phrase:
            break;
    }
    const auto title = text(entry, "title");
    const auto body = text(entry, "body");
    const auto sortOrder = integer(entry, "sortOrder");
    if (!title || !body || !sortOrder) return QStringLiteral("phrase without title, body or order");
    // Files from before abbreviations have none.
    const QString abbreviation = entry.value("abbreviation").toString();
    if (auto phrase = std::static_pointer_cast<PhraseItem>(live)) {
        const bool differs = phrase->title() != *title || phrase->body() != *body ||
                             phrase->sortOrder() != *sortOrder ||
                             phrase->abbreviation() != abbreviation;
        phrase->setTitle(*title);
        phrase->setBody(*body);
        phrase->setAbbreviation(abbreviation);
        phrase->setSortOrder(*sortOrder);
        counted(differs);
        return {};
    }
    if (!isInsert) {
        counted(false);
        return {};
    }
    auto phrase = std::make_shared<PhraseItem>(id, *title, *body, *sortOrder);
    phrase->setAbbreviation(abbreviation);
    if (entry.contains("category")) {
        const QUuid categoryId(entry.value("category").toString());
        auto category = std::static_pointer_cast<PhraseCategory>(
            context.recordWithId(Record::Entity::Category, categoryId));
        if (!category) return QStringLiteral("phrase whose category is gone");
        phrase->setCategory(category);
    }
    context.insert(phrase);
    counted(true);
    return {};
}

}  // namespace

QByteArray RecoveryFile::encode(const StorageContext& context) {
    if (context.pendingCount() == 0) return {};
    QByteArray out =
        QJsonDocument(QJsonObject{{kHeaderKey, kVersion}}).toJson(QJsonDocument::Compact);
    out += '\n';
    // Categories first, so a replay finds the category of each new phrase.
    std::vector<std::shared_ptr<Record>> inserts = context.pendingInserts();
    std::stable_sort(inserts.begin(), inserts.end(), [](const auto& a, const auto& b) {
        return a->entity() == Record::Entity::Category && b->entity() != Record::Entity::Category;
    });
    for (const auto& record : inserts) out += line("insert", *record);
    for (const auto& record : context.pendingChanges()) out += line("change", *record);
    for (const auto& record : context.pendingDeletes()) out += line("delete", *record);
    return out;
}

bool RecoveryFile::write(const QString& path, const QByteArray& data, QString* error) {
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temporary = target + ".new";
    auto fail = [&](const char* step, int fd) {
        const int code = errno;
        if (fd >= 0) ::close(fd);
        ::unlink(temporary.constData());
        if (error)
            *error = QStringLiteral("%1: %2").arg(step, QString::fromLocal8Bit(strerror(code)));
        return false;
    };
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return fail("create", -1);
    // A leftover temporary file may have other permissions: the clips are the user's alone.
    if (::fchmod(fd, 0600) != 0) return fail("chmod", fd);
    if (!writeAll(fd, data)) return fail("write", fd);
    if (::fsync(fd) != 0) return fail("sync", fd);
    if (::close(fd) != 0) return fail("close", -1);
    if (::rename(temporary.constData(), target.constData()) != 0) return fail("rename", -1);
    // The rename lasts only once the folder is synced too.
    syncFolder(QFileInfo(path).absolutePath());
    return true;
}

RecoveryFile::Replay RecoveryFile::replay(const QString& path, StorageContext& context) {
    Replay result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.unreadable = true;
        result.problems << file.errorString();
        return result;
    }
    // Checked again on what is read: a file may grow, or not be a regular file.
    const QByteArray data = file.size() > maxBytes ? QByteArray() : file.read(maxBytes + 1);
    if (file.size() > maxBytes || data.size() > maxBytes) {
        result.unreadable = true;
        result.problems << QStringLiteral("larger than %1 bytes").arg(maxBytes);
        return result;
    }
    const QList<QByteArray> lines = data.split('\n');
    const QJsonObject header = QJsonDocument::fromJson(lines.value(0)).object();
    if (header.value(kHeaderKey).toInt() != kVersion) {
        result.unreadable = true;
        result.problems << QStringLiteral("not a file of held changes of this version");
        return result;
    }
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i].trimmed().isEmpty()) continue;
        if (i > maxEntries) {
            result.problems
                << QStringLiteral("more than %1 entries; the rest was not read").arg(maxEntries);
            break;
        }
        QJsonParseError parseError;
        const QJsonDocument document = QJsonDocument::fromJson(lines[i], &parseError);
        const QString problem =
            document.isObject()
                ? apply(document.object(), context, result)
                : QStringLiteral("not a JSON object: %1").arg(parseError.errorString());
        if (!problem.isEmpty())
            result.problems << QStringLiteral("line %1: %2").arg(i + 1).arg(problem);
    }
    return result;
}

}  // namespace quillet
