#pragma once

#include <QByteArray>
#include <QXmlStreamReader>
#include <chrono>
#include <optional>

#include "settings/FeedParser.h"
#include "settings/UpdateInfo.h"

namespace quillet {

// Reads a complete feed body into its newest entry a slice at a time, so the caller can give
// the event loop its turn between slices. QXmlStreamReader reads one start tag in one go and
// checks its attributes for duplicates pairwise, so before any parsing the body is scanned
// for elements too large to read in one slice: such a feed is refused as a whole.
class FeedReader {
public:
    // Generous for a feed item: an enclosure has a handful of attributes and fits in a line.
    static constexpr int maxAttributesPerElement = 64;
    static constexpr qsizetype maxStartTagBytes = 16 * 1024;
    static constexpr int maxDepth = 64;

    explicit FeedReader(const QByteArray& body);

    // Reads on until the document ends or `budget` has passed; true once the result is known.
    bool readFor(std::chrono::nanoseconds budget);
    // The outcome; valid once readFor returned true.
    UpdateResult result() const;

    // Why a body may not be given to the XML reader at all, or none when it may.
    static std::optional<QString> boundViolation(const QByteArray& body);

private:
    void readToken();

    QXmlStreamReader m_xml;
    FeedParser m_parser;
    std::optional<UpdateCheckError> m_refused;
};

}  // namespace quillet
