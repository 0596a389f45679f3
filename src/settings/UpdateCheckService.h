#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QUrl>
#include <chrono>
#include <functional>

#include "settings/UpdateInfo.h"

namespace quillet {

// Fetches the update feed and reads its newest entry. The network wait and the parse never
// hold up the event loop: the body arrives asynchronously and is parsed in slices. Every
// fetch has its own transfer and parse state, so checks may overlap.
//
// The feed is outside input: only HTTPS (plain HTTP only to a loopback address, for tests),
// redirects only to HTTPS, at most maxFeedSize bytes, a deadline for the whole transfer, and
// a document type declaration (the door to entity expansion) is a parse error.
class UpdateCheckService : public QObject {
    Q_OBJECT
public:
    using Completion = std::function<void(const UpdateResult&)>;

    static constexpr qint64 maxFeedSize = 1024 * 1024;
    static constexpr std::chrono::milliseconds defaultTimeout = std::chrono::seconds(30);

    explicit UpdateCheckService(QUrl appcastURL, QObject* parent = nullptr);

    // QUILLET_UPDATE_FEED_URL from the environment if set, else the one the build names:
    // none where the build has no feed of its own (its site is a placeholder, or a package
    // manager brings the updates).
    static QUrl defaultAppcastURL();
    // Where the feed may be fetched from: HTTPS, or plain HTTP to a loopback address.
    static bool isAllowedFeedURL(const QUrl& url);

    QUrl appcastURL() const { return m_appcastURL; }
    // Whether there is a feed to ask at all; a check without one fails as an invalid URL.
    bool hasFeed() const { return !m_appcastURL.isEmpty(); }
    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }

    // Calls `done` once on the main loop, never from within this call, unless `receiver` is
    // gone by then.
    virtual void fetchLatestUpdate(QObject* receiver, Completion done);

private:
    QUrl m_appcastURL;
    std::chrono::milliseconds m_timeout = defaultTimeout;
    QNetworkAccessManager m_network;
};

}  // namespace quillet
