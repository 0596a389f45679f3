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
class FeedParser {
public:
    void startElement(const QString& name, const QHash<QString, QString>& attributes);
    // Character data, possibly one of several pieces of the same text.
    void characters(const QString& text);
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
};

}  // namespace quillet
