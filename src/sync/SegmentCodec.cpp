#include "sync/SegmentCodec.h"

#include <QCborArray>
#include <QCborMap>
#include <QCborValue>

namespace quillet {

namespace {

constexpr qint64 kFormatVersion = 1;

// Keys of a segment and of an operation: small integers keep the encoding compact.
enum SegmentKey : qint64 { kVersion = 0, kDevice = 1, kSequence = 2, kCheckpoint = 3, kOps = 4 };
enum OperationKey : qint64 {
    kKind = 0,
    kId = 1,
    kText = 2,
    kTitle = 3,
    kCategory = 4,
    kSortOrder = 5,
    kTime = 6,
    kClock = 7,
    kOrigin = 8,
};

constexpr qint64 kLastKind = qint64(SyncOperation::Kind::PhraseDeleted);

// Numbers are written as integers; anything else (a float, NaN included, whose conversion
// would be undefined) reads as `fallback`.
qint64 integerOf(const QCborValue& value, qint64 fallback = 0) {
    return value.isInteger() ? value.toInteger() : fallback;
}

QCborMap encodeOperation(const SyncOperation& op) {
    using Kind = SyncOperation::Kind;
    QCborMap map;
    map.insert(kKind, qint64(op.kind));
    map.insert(kId, QCborValue(op.id));
    switch (op.kind) {
        case Kind::ClipAdded:
            map.insert(kText, op.text);
            map.insert(kTime, op.time);
            break;
        case Kind::ClipUsed:
            map.insert(kTime, op.time);
            break;
        case Kind::ClipForgotten:
            break;
        case Kind::PhrasePut:
            map.insert(kTitle, op.title);
            map.insert(kCategory, QCborValue(op.category));
            [[fallthrough]];
        case Kind::CategoryPut:
            map.insert(kText, op.text);
            map.insert(kSortOrder, op.sortOrder);
            [[fallthrough]];
        case Kind::CategoryDeleted:
        case Kind::PhraseDeleted:
            map.insert(kClock, op.clock);
            map.insert(kOrigin, op.origin);
            break;
    }
    return map;
}

std::optional<SyncOperation> decodeOperation(const QCborValue& value) {
    using Kind = SyncOperation::Kind;
    if (!value.isMap()) return std::nullopt;
    const QCborMap map = value.toMap();
    const qint64 kind = integerOf(map.value(kKind), -1);
    if (kind < 0 || kind > kLastKind || !map.value(kId).isUuid()) return std::nullopt;
    SyncOperation op;
    op.kind = Kind(kind);
    op.id = map.value(kId).toUuid();
    op.text = map.value(kText).toString();
    op.title = map.value(kTitle).toString();
    op.category = map.value(kCategory).toUuid();
    op.sortOrder = integerOf(map.value(kSortOrder));
    op.time = integerOf(map.value(kTime));
    op.clock = integerOf(map.value(kClock));
    op.origin = map.value(kOrigin).toString();
    if (op.id.isNull()) return std::nullopt;
    if (op.kind == Kind::PhrasePut && op.category.isNull()) return std::nullopt;
    if (op.isVersioned() && (op.clock <= 0 || op.origin.isEmpty())) return std::nullopt;
    return op;
}

}  // namespace

QByteArray SegmentCodec::encode(const SyncSegment& segment) {
    QCborArray ops;
    for (const SyncOperation& op : segment.operations) ops.append(encodeOperation(op));
    QCborMap map;
    map.insert(kVersion, kFormatVersion);
    map.insert(kDevice, segment.device);
    map.insert(kSequence, segment.sequence);
    map.insert(kCheckpoint, segment.checkpoint);
    map.insert(kOps, ops);
    return map.toCborValue().toCbor();
}

std::optional<SyncSegment> SegmentCodec::decode(const QByteArray& plain, QString* why) {
    auto fail = [why](const QString& reason) -> std::optional<SyncSegment> {
        if (why) *why = reason;
        return std::nullopt;
    };
    if (plain.size() > maxPlainBytes) return fail(QStringLiteral("segment too large"));
    QCborParserError error;
    const QCborValue value = QCborValue::fromCbor(plain, &error);
    if (error.error != QCborError::NoError)
        return fail(QStringLiteral("unreadable segment: %1").arg(error.errorString()));
    if (!value.isMap()) return fail(QStringLiteral("a segment is not a map"));
    const QCborMap map = value.toMap();
    const qint64 version = integerOf(map.value(kVersion));
    if (version != kFormatVersion)
        return fail(
            QStringLiteral("segment of format %1, not %2").arg(version).arg(kFormatVersion));
    SyncSegment segment;
    segment.device = map.value(kDevice).toString();
    segment.sequence = integerOf(map.value(kSequence));
    segment.checkpoint = map.value(kCheckpoint).toBool();
    const QCborArray ops = map.value(kOps).toArray();
    if (segment.device.isEmpty() || segment.sequence <= 0)
        return fail(QStringLiteral("a segment without its device or number"));
    if (ops.size() > maxOperations) return fail(QStringLiteral("too many operations"));
    segment.operations.reserve(size_t(ops.size()));
    for (const QCborValue& entry : ops) {
        auto op = decodeOperation(entry);
        if (!op) return fail(QStringLiteral("a malformed operation"));
        segment.operations.push_back(std::move(*op));
    }
    return segment;
}

qsizetype SegmentCodec::encodedSize(const SyncOperation& op) {
    // UTF-8 takes at most three bytes per UTF-16 unit; keys, ids and numbers about 80.
    return 3 * (op.text.size() + op.title.size() + op.origin.size()) + 80;
}

}  // namespace quillet
