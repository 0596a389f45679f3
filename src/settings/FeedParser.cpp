#include "settings/FeedParser.h"

#include <algorithm>

#include "base/Logging.h"

namespace quillet {

namespace {

// Appends as much of `text` as fits under `limit`; false when some of it did not fit.
bool appendCapped(std::optional<QString>& target, QStringView text, qsizetype limit) {
    if (!target) target.emplace();
    const qsizetype room = limit - target->size();
    target->append(text.left(std::max<qsizetype>(room, 0)));
    return text.size() <= room;
}

}  // namespace

void FeedParser::startElement(const QString& name, const QHash<QString, QString>& attributes) {
    if (m_hasFinishedCapturingLatestItem) return;
    m_currentElement = name;
    if (name == QLatin1String("item")) {
        m_isInsideItem = true;
        m_latestVersion.reset();
        m_downloadURL.reset();
        m_releaseNotes.reset();
        m_pubDate.reset();
    }
    if (!m_isInsideItem || name != QLatin1String("enclosure") || attributes.isEmpty()) return;
    const auto url = attributes.constFind(QStringLiteral("url"));
    if (url != attributes.cend()) {
        // An unusable URL keeps whatever an earlier enclosure gave.
        const QUrl parsed(*url, QUrl::StrictMode);
        if (parsed.isValid() && !parsed.isRelative()) m_downloadURL = parsed;
    }
    const auto version = attributes.constFind(QStringLiteral("sparkle:shortVersionString"));
    if (version != attributes.cend()) m_latestVersion = *version;
}

void FeedParser::characters(QStringView text) {
    if (m_hasFinishedCapturingLatestItem || !m_isInsideItem) return;
    // End tags leave the current element as it is, so white space after a closing
    // description joins it; the final trim removes it.
    bool fits = true;
    if (m_currentElement == QLatin1String("description")) {
        fits = appendCapped(m_releaseNotes, text, maxReleaseNotesLength);
    } else if (m_currentElement == QLatin1String("pubDate")) {
        fits = appendCapped(m_pubDate, text, maxPublishedAtLength);
    }
    if (!fits && !m_hasWarnedOfLongText) {
        m_hasWarnedOfLongText = true;
        qCWarning(lcUpdate) << "the update feed's" << m_currentElement
                            << "is longer than is kept; the rest is dropped";
    }
}

void FeedParser::endElement(const QString& name) {
    if (name != QLatin1String("item")) return;
    m_isInsideItem = false;
    if (m_latestVersion && m_downloadURL) m_hasFinishedCapturingLatestItem = true;
}

std::optional<UpdateInfo> FeedParser::result() const {
    if (!m_latestVersion || !m_downloadURL) return std::nullopt;
    const auto trimmed = [](const std::optional<QString>& text) -> std::optional<QString> {
        if (!text) return std::nullopt;
        return text->trimmed();
    };
    return UpdateInfo{*m_latestVersion, *m_downloadURL, trimmed(m_releaseNotes),
                      trimmed(m_pubDate)};
}

}  // namespace quillet
