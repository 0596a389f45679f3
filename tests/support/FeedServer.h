#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QUrl>
#include <functional>

namespace quillet::test {

// A small HTTP/1.1 server on 127.0.0.1 for update-feed and sync daemon tests. Each request gets the answer
// that `respond` gives for it (by request number); nothing else on the network is touched.
class FeedServer : public QObject {
    Q_OBJECT
public:
    struct Response {
        int status = 200;
        QByteArray body;
        QList<QByteArray> headers;  // extra header lines, e.g. "Location: http://..."
        // Sent as chunked transfer in pieces of this many bytes, one per event-loop turn.
        int pieceSize = 0;
        // Never answers (the connection stays open).
        bool stall = false;
    };

    FeedServer();

    QUrl url(const QString& path = QStringLiteral("/app/quilletbox/appcast.xml")) const;
    void serve(Response response) {
        respond = [response](int) { return response; };
    }

    std::function<Response(int request)> respond;
    int requests = 0;
    // Each request's head (request line and headers), in the order they came.
    QList<QByteArray> heads;

private:
    void answer(class QTcpSocket* socket);

    QTcpServer m_server;
};

// An RSS feed around the given item elements (a channel description included).
QByteArray feedWithItems(const QByteArray& items);

}  // namespace quillet::test
