#pragma once

#include <QHash>
#include <QString>
#include <QUrl>
#include <optional>

#include "settings/UpdateInfo.h"

namespace quillet {

// Reads the update feed's events in document order and keeps the first item whose enclosure
// has both a valid "url" and a "sparkle:shortVersionString". Names are compared as written,
// prefix included. One parser serves one fetch, so overlapping checks never share state.
// What it keeps of the feed's text is capped: the rest is dropped with a warning.
class FeedParser {
public:
    // Far more than the sheet shows; the rest of a longer text is on the download page.
    static constexpr qsizetype maxReleaseNotesLength = 32 * 1024;
    static constexpr qsizetype maxPublishedAtLength = 256;

    void startElement(const QString& name, const QHash<QString, QString>& attributes);
    // Character data, possibly one of several pieces of the same text.
    void characters(QStringView text);
    void endElement(const QString& name);

    // The captured entry, or none when no item was complete.
    std::optional<UpdateInfo> result() const;

private:
    QString m_currentElement;
    bool m_isInsideItem = false;
    bool m_hasFinishedCapturingLatestItem = false;
    std::optional<QString> m_latestVersion;
    std::optional<QUrl> m_downloadURL;
    std::optional<QString> m_releaseNotes;
    std::optional<QString> m_pubDate;
    bool m_hasWarnedOfLongText = false;
};

}  // namespace quillet
