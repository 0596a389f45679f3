// libFuzzer target for the plain form of sync segments, as another machine writes them (after
// the seal is opened, so a peer's own faults or a hostile peer holding the key): any bytes are
// refused or read without a crash, a hang or an undefined operation, within the bounds; what is
// read writes back to a segment that reads as the same.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "sync/SegmentCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using quillet::SegmentCodec;
    const QByteArray plain(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString why;
    const auto segment = SegmentCodec::decode(plain, &why);
    if (!segment) {
        if (why.isEmpty()) std::abort();  // every refusal says why
        return 0;
    }
    if (segment->device.isEmpty() || segment->sequence <= 0) std::abort();
    if (qsizetype(segment->operations.size()) > SegmentCodec::maxOperations) std::abort();
    for (const auto& op : segment->operations) {
        if (op.id.isNull()) std::abort();
        if (op.isVersioned() && (op.clock <= 0 || op.origin.isEmpty())) std::abort();
    }
    // Writing keeps what each kind of operation carries: it reads back and writes the same.
    const QByteArray written = SegmentCodec::encode(*segment);
    const auto again = SegmentCodec::decode(written, &why);
    if (!again || SegmentCodec::encode(*again) != written) std::abort();
    if (again->operations.size() != segment->operations.size()) std::abort();
    return 0;
}
