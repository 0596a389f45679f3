#include "settings/FeedParser.h"

namespace quillet {

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

void FeedParser::characters(const QString& text) {
    if (m_hasFinishedCapturingLatestItem || !m_isInsideItem) return;
    // End tags leave the current element as it is, so white space after a closing
    // description joins it; the final trim removes it.
    if (m_currentElement == QLatin1String("description")) {
        m_releaseNotes = m_releaseNotes.value_or(QString()) + text;
    } else if (m_currentElement == QLatin1String("pubDate")) {
        m_pubDate = m_pubDate.value_or(QString()) + text;
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
