#pragma once

#include <QString>
#include <QUrl>
#include <optional>
#include <variant>

namespace quillet {

// The newest entry of the update feed.
struct UpdateInfo {
    QString latestVersion;  // as the feed writes it, untrimmed
    QUrl downloadURL;
    std::optional<QString> releaseNotes;  // trimmed; none when the item had no description
    std::optional<QString> publishedAt;   // trimmed, not parsed

    friend bool operator==(const UpdateInfo&, const UpdateInfo&) = default;
};

// Why an update check produced no UpdateInfo. The descriptions are for logs, not for users.
class UpdateCheckError {
public:
    enum class Kind { networkError, badStatusCode, parseError, invalidURL, noUpdateFound };

    static UpdateCheckError networkError(QString underlying) {
        return {Kind::networkError, 0, std::move(underlying)};
    }
    static UpdateCheckError badStatusCode(int status) { return {Kind::badStatusCode, status, {}}; }
    // `underlying` is the parser's message, empty when it gave none.
    static UpdateCheckError parseError(QString underlying = {}) {
        return {Kind::parseError, 0, std::move(underlying)};
    }
    static UpdateCheckError invalidURL() { return {Kind::invalidURL, 0, {}}; }
    static UpdateCheckError noUpdateFound() { return {Kind::noUpdateFound, 0, {}}; }

    Kind kind() const { return m_kind; }
    int statusCode() const { return m_status; }
    QString description() const;

private:
    UpdateCheckError(Kind kind, int status, QString underlying)
        : m_kind(kind), m_status(status), m_underlying(std::move(underlying)) {}

    Kind m_kind;
    int m_status;
    QString m_underlying;
};

// The part of the release notes the update sheet shows. Notes come from the feed and may be
// of any length; the sheet lays out only this much, the rest is on the download page.
struct NotesExcerpt {
    static constexpr qsizetype maxLength = 1500;
    static constexpr int maxLines = 20;

    QString text;        // ends with "…" where the notes were cut
    bool isCut = false;  // whether the notes go on beyond the text
};
NotesExcerpt releaseNotesExcerpt(QStringView notes);

using UpdateResult = std::variant<UpdateInfo, UpdateCheckError>;

}  // namespace quillet
