#include "support/FeedServer.h"

#include <QTcpSocket>
#include <QTimer>
#include <memory>

namespace quillet::test {

FeedServer::FeedServer() {
    m_server.listen(QHostAddress::LocalHost);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
        }
    });
}

QUrl FeedServer::url(const QString& path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
}

void FeedServer::answer(QTcpSocket* socket) {
    // The whole request head, then one answer per connection.
    if (!socket->property("head").toByteArray().isEmpty()) return;
    const QByteArray head = socket->peek(64 * 1024);
    if (!head.contains("\r\n\r\n")) return;
    socket->setProperty("head", head);
    heads << head.left(head.indexOf("\r\n\r\n"));
    const Response response = respond ? respond(requests++) : Response{};
    if (response.stall) return;

    QByteArray out = "HTTP/1.1 " + QByteArray::number(response.status) + " Test\r\n";
    for (const QByteArray& header : response.headers) out += header + "\r\n";
    out += "Connection: close\r\nContent-Type: application/rss+xml\r\n";
    if (response.pieceSize <= 0) {
        out += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n\r\n";
        socket->write(out + response.body);
        socket->disconnectFromHost();
        return;
    }
    socket->write(out + "Transfer-Encoding: chunked\r\n\r\n");
    auto* pacer = new QTimer(socket);
    auto rest = std::make_shared<QByteArray>(response.body);
    connect(pacer, &QTimer::timeout, socket, [socket, pacer, rest, size = response.pieceSize] {
        const QByteArray piece = rest->left(size);
        rest->remove(0, piece.size());
        socket->write(QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n");
        if (!rest->isEmpty()) return;
        pacer->stop();
        socket->write("0\r\n\r\n");
        socket->disconnectFromHost();
    });
    pacer->start(1);
}

QByteArray feedWithItems(const QByteArray& items) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<rss version=\"2.0\" xmlns:sparkle=\"https://quillet.example.org/xml/feed\">\n"
           "<channel><title>Quillet</title><description>Channel notes</description>\n" +
           items + "\n</channel></rss>\n";
}

}  // namespace quillet::test
