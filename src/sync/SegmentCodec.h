#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "sync/SyncOperation.h"

namespace quillet {

// The plain form of a segment before it is sealed: CBOR, versioned, read with bounds.
class SegmentCodec {
public:
    // The largest plain segment written or read; batches are cut below it.
    static constexpr qsizetype maxPlainBytes = 64 * 1024 * 1024;
    // The most operations one segment may hold.
    static constexpr qsizetype maxOperations = 1'000'000;

    static QByteArray encode(const SyncSegment& segment);
    // Null with `why` set for anything malformed, of another version, or out of bounds.
    static std::optional<SyncSegment> decode(const QByteArray& plain, QString* why);
    // About how many bytes `operation` adds to an encoded segment.
    static qsizetype encodedSize(const SyncOperation& operation);
};

}  // namespace quillet
