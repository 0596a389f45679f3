#pragma once

#include <QString>
#include <QUuid>
#include <vector>

namespace quillet {

// One change that travels between machines. Clips merge without versions (a clip's time only
// moves forward, a forgotten clip stays forgotten); categories and phrases carry the version
// that made them, last writer wins: the higher hybrid clock, then the higher device id.
struct SyncOperation {
    enum class Kind {
        ClipAdded,        // id, text, time
        ClipUsed,         // id, time
        ClipForgotten,    // id
        CategoryPut,      // id, text (name), sortOrder, version
        CategoryDeleted,  // id, version
        PhrasePut,        // id, title, text (body), sortOrder, category, version
        PhraseDeleted,    // id, version
    };
    Kind kind = Kind::ClipAdded;
    QUuid id;
    QString text;
    QString title;
    QUuid category;
    qint64 sortOrder = 0;
    qint64 time = 0;    // ms since the epoch, UTC
    qint64 clock = 0;   // the hybrid clock of the version
    QString origin;     // the device that made the version

    bool isVersioned() const { return kind >= Kind::CategoryPut; }

    static SyncOperation clip(Kind kind, const QUuid& id, qint64 time = 0, QString text = {}) {
        SyncOperation op;
        op.kind = kind;
        op.id = id;
        op.time = time;
        op.text = std::move(text);
        return op;
    }
    static SyncOperation categoryPut(const QUuid& id, QString name, qint64 sortOrder) {
        SyncOperation op;
        op.kind = Kind::CategoryPut;
        op.id = id;
        op.text = std::move(name);
        op.sortOrder = sortOrder;
        return op;
    }
    static SyncOperation phrasePut(const QUuid& id, QString title, QString body, qint64 sortOrder,
                                const QUuid& category) {
        SyncOperation op;
        op.kind = Kind::PhrasePut;
        op.id = id;
        op.title = std::move(title);
        op.text = std::move(body);
        op.sortOrder = sortOrder;
        op.category = category;
        return op;
    }
    static SyncOperation deletion(Kind kind, const QUuid& id) {
        SyncOperation op;
        op.kind = kind;
        op.id = id;
        return op;
    }
    bool operator==(const SyncOperation&) const = default;
};

// A batch of operations as one device wrote it, numbered from 1 in the order written. A
// checkpoint holds the writer's whole state and stands for every earlier segment of its own.
struct SyncSegment {
    QString device;
    qint64 sequence = 0;
    bool checkpoint = false;
    std::vector<SyncOperation> operations;
};

}  // namespace quillet
