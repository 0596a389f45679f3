// libFuzzer target for the update feed reader: any bytes read to a result without a crash, a
// hang or an undefined operation, and what the result keeps stays within its caps.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "settings/FeedReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quillet;
    FeedReader reader(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    while (!reader.readFor(std::chrono::milliseconds(1))) {
    }
    const UpdateResult result = reader.result();
    if (const auto* info = std::get_if<UpdateInfo>(&result)) {
        if (info->releaseNotes && info->releaseNotes->size() > FeedParser::maxReleaseNotesLength)
            std::abort();
        if (info->publishedAt && info->publishedAt->size() > FeedParser::maxPublishedAtLength)
            std::abort();
        if (info->releaseNotes &&
            releaseNotesExcerpt(*info->releaseNotes).text.size() > NotesExcerpt::maxLength + 1)
            std::abort();
    }
    return 0;
}
