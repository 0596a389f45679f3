#include "settings/UpdateCheckService.h"

#include <QHostAddress>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <utility>

#include "base/Logging.h"
#include "settings/FeedReader.h"

namespace quillet {

namespace {

// Parse time before the event loop gets its turn again.
constexpr std::chrono::milliseconds parseSliceBudget(10);
constexpr int maxRedirects = 5;

// One fetch from request to result: the transfer, the body and its own parser.
class FeedFetch : public QObject {
public:
    FeedFetch(QNetworkAccessManager& network, const QUrl& url, std::chrono::milliseconds timeout,
              QObject* receiver, UpdateCheckService::Completion done, QObject* parent)
        : QObject(parent), m_receiver(receiver), m_done(std::move(done)) {
        QNetworkRequest request(url);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::UserVerifiedRedirectPolicy);
        request.setMaximumRedirectsAllowed(maxRedirects);
        // Uncompressed, so the size bound is a bound on what is held in memory.
        request.setRawHeader("Accept-Encoding", "identity");
        request.setHeader(QNetworkRequest::UserAgentHeader,
                          QByteArrayLiteral("Quillet/" QUILLET_VERSION));
        m_reply = network.get(request);
        m_reply->setParent(this);

        connect(m_reply, &QNetworkReply::redirected, this, &FeedFetch::onRedirected);
        connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] {
            const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
            if (length.isValid() && length.toLongLong() > UpdateCheckService::maxFeedSize)
                failTooLarge();
        });
        connect(m_reply, &QNetworkReply::readyRead, this, &FeedFetch::onReadyRead);
        connect(m_reply, &QNetworkReply::finished, this, &FeedFetch::onFinished);
        m_deadline.setSingleShot(true);
        connect(&m_deadline, &QTimer::timeout, this, [this, timeout] {
            const auto seconds = std::chrono::ceil<std::chrono::seconds>(timeout).count();
            //% "no answer within %1 s"
            finish(UpdateCheckError::networkError(qtTrId("UPDATE_FEED_TIMED_OUT").arg(seconds)));
        });
        m_deadline.start(timeout);
    }

private:
    void onRedirected(const QUrl& target) {
        if (target.scheme() == QLatin1String("https")) {
            emit m_reply->redirectAllowed();
            return;
        }
        qCWarning(lcUpdate) << "refused a redirect of the update feed to"
                            << target.toDisplayString();
        const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        finish(UpdateCheckError::badStatusCode(status));
    }

    void onReadyRead() {
        if (m_finished) return;
        if (m_body.size() + m_reply->bytesAvailable() > UpdateCheckService::maxFeedSize) {
            failTooLarge();
            return;
        }
        m_body += m_reply->readAll();
    }

    void onFinished() {
        if (m_finished) return;
        m_deadline.stop();
        const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299)) {
            finish(UpdateCheckError::badStatusCode(status.toInt()));
            return;
        }
        if (m_reply->error() != QNetworkReply::NoError) {
            finish(UpdateCheckError::networkError(m_reply->errorString()));
            return;
        }
        onReadyRead();
        if (m_finished) return;
        m_reply->deleteLater();
        m_reply = nullptr;
        m_reader = std::make_unique<FeedReader>(m_body);
        m_body.clear();
        parseSlice();
    }

    void parseSlice() {
        if (m_finished) return;
        if (!m_reader->readFor(parseSliceBudget)) {
            QTimer::singleShot(0, this, [this] { parseSlice(); });
            return;
        }
        finish(m_reader->result());
    }

    void failTooLarge() {
        //% "it is larger than %1 KiB"
        finish(UpdateCheckError::parseError(
            qtTrId("UPDATE_FEED_TOO_LARGE").arg(UpdateCheckService::maxFeedSize / 1024)));
    }

    void finish(const UpdateResult& result) {
        if (m_finished) return;
        m_finished = true;
        m_deadline.stop();
        if (m_reply) {
            m_reply->disconnect(this);
            m_reply->abort();
        }
        if (const auto* error = std::get_if<UpdateCheckError>(&result))
            qCWarning(lcUpdate) << "update check failed:" << error->description();
        if (m_receiver) m_done(result);
        deleteLater();
    }

    QPointer<QObject> m_receiver;
    UpdateCheckService::Completion m_done;
    QNetworkReply* m_reply = nullptr;  // owned
    QTimer m_deadline;
    QByteArray m_body;
    std::unique_ptr<FeedReader> m_reader;
    bool m_finished = false;
};

bool isLoopback(const QString& host) {
    if (host == QLatin1String("localhost")) return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

}  // namespace

UpdateCheckService::UpdateCheckService(QUrl appcastURL, QObject* parent)
    : QObject(parent), m_appcastURL(std::move(appcastURL)) {}

QUrl UpdateCheckService::defaultAppcastURL() {
    const QByteArray overridden = qgetenv("QUILLET_UPDATE_FEED_URL");
    if (!overridden.isEmpty()) return QUrl(QString::fromUtf8(overridden), QUrl::StrictMode);
    // Empty where the build has none.
    return QUrl(QStringLiteral(QUILLET_DEFAULT_FEED_URL));
}

bool UpdateCheckService::isAllowedFeedURL(const QUrl& url) {
    if (!url.isValid() || url.host().isEmpty()) return false;
    if (url.scheme() == QLatin1String("https")) return true;
    return url.scheme() == QLatin1String("http") && isLoopback(url.host());
}

void UpdateCheckService::fetchLatestUpdate(QObject* receiver, Completion done) {
    if (!isAllowedFeedURL(m_appcastURL)) {
        qCWarning(lcUpdate) << "the update feed address is not HTTPS or invalid:"
                            << m_appcastURL.toDisplayString();
        QTimer::singleShot(0, receiver,
                           [done = std::move(done)] { done(UpdateCheckError::invalidURL()); });
        return;
    }
    new FeedFetch(m_network, m_appcastURL, m_timeout, receiver, std::move(done), this);
}

}  // namespace quillet
