// Following the synced folder: a fake Syncthing on loopback (its REST answers, its event
// stream), a daemon that fails or floods, and no daemon at all.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <deque>

#include "support/FeedServer.h"
#include "support/TempDir.h"
#include "support/Wait.h"
#include "sync/FolderTransport.h"
#include "sync/SyncthingClient.h"

namespace quillet {
namespace {

using test::FeedServer;
using namespace std::chrono_literals;

FeedServer::Response reply(int status, const QByteArray& body) {
    FeedServer::Response response;
    response.status = status;
    response.body = body;
    return response;
}

// Answers like Syncthing: the folder list, the event stream (held open while there is no
// news, as the daemon does), scans.
class FakeSyncthing {
public:
    explicit FakeSyncthing(QString root) : m_root(std::move(root)) {
        server.respond = [this](int) { return answer(server.heads.last()); };
    }

    FeedServer::Response answer(const QByteArray& head) {
        if (!head.contains("\r\nX-API-Key: secret-key")) return reply(403, "CSRF Error");
        if (head.startsWith("GET /rest/config/folders"))
            return reply(200, QStringLiteral(R"([{"id":"other","path":"/nowhere"},
                                                  {"id":"shared-1","path":"%1"}])")
                                  .arg(m_root)
                                  .toUtf8());
        if (head.startsWith("GET /rest/events") && head.contains("limit=1"))
            return reply(200, R"([{"id":40,"type":"StateChanged","data":{}}])");
        if (head.startsWith("GET /rest/events")) {
            if (events.empty()) {
                FeedServer::Response held;
                held.stall = true;
                return held;
            }
            const QByteArray batch = events.front();
            events.pop_front();
            return reply(200, batch);
        }
        if (head.startsWith("POST /rest/db/scan")) return reply(200, "");
        return reply(404, "not found");
    }

    QList<QByteArray> requestsFor(const QByteArray& start) const {
        QList<QByteArray> lines;
        for (const QByteArray& head : server.heads)
            if (head.startsWith(start)) lines << head.left(head.indexOf("\r\n"));
        return lines;
    }

    FeedServer server;
    std::deque<QByteArray> events;

private:
    QString m_root;
};

class SyncthingClientTest : public ::testing::Test {
protected:
    SyncthingClientTest() {
        QDir(root.path()).mkpath(QStringLiteral("Quillet/me"));
        QDir(root.path()).mkpath(QStringLiteral("Quillet/peer"));
    }

    SyncthingClient::Options options(const QUrl& url) {
        SyncthingClient::Options options;
        options.urlOverride = url.toString();
        options.keyOverride = "secret-key";
        options.firstRetryMs = 50;
        options.longestRetryMs = 400;
        options.settleMs = 10;
        return options;
    }
    QString own() const { return root.file(QStringLiteral("Quillet/me")); }

    test::TempDir root;
    FakeSyncthing daemon{root.path()};
};

TEST_F(SyncthingClientTest, ASegmentWrittenIsScannedInItsOwnSubFolderOnly) {
    SyncthingClient client(options(daemon.server.url(QString())));
    QSignalSpy following(&client, &SyncthingClient::followingDaemonChanged);
    client.start(root.path(), own());
    ASSERT_TRUE(test::waitFor([&] { return !following.isEmpty(); }));
    EXPECT_TRUE(following.last().at(0).toBool());
    // One scan when the daemon is first reached, for segments written before.
    ASSERT_TRUE(test::waitFor([&] { return daemon.requestsFor("POST").size() == 1; }));
    client.segmentWritten(own() + QStringLiteral("/0000000000000001.seg"));
    ASSERT_TRUE(test::waitFor([&] { return daemon.requestsFor("POST").size() == 2; }));
    EXPECT_EQ(daemon.requestsFor("POST").last(),
              "POST /rest/db/scan?folder=shared-1&sub=Quillet/me HTTP/1.1");
    // Another machine's folder is never ours to announce.
    client.segmentWritten(root.file(QStringLiteral("Quillet/peer/1.seg")));
    EXPECT_FALSE(test::waitFor([&] { return daemon.requestsFor("POST").size() > 2; }, 300ms));
}

TEST_F(SyncthingClientTest, EventsOfTheSharedFolderSignalArrivalsOwnScansDoNot) {
    SyncthingClient client(options(daemon.server.url(QString())));
    QSignalSpy arrived(&client, &SyncthingClient::mayHaveArrived);
    daemon.events.push_back(
        R"([{"id":41,"type":"LocalIndexUpdated","data":{"folder":"shared-1",
              "filenames":["Quillet/me/1.seg"]}},
            {"id":42,"type":"ItemFinished","data":{"folder":"other","item":"x"}}])");
    daemon.events.push_back(
        R"([{"id":43,"type":"RemoteIndexUpdated","data":{"folder":"shared-1"}}])");
    client.start(root.path(), own());
    ASSERT_TRUE(test::waitFor([&] { return !arrived.isEmpty(); }));
    // The stream is followed on from where it stood, each request after the last id seen.
    const QList<QByteArray> asked = daemon.requestsFor("GET /rest/events");
    ASSERT_GE(asked.size(), 3);
    EXPECT_TRUE(asked[0].contains("since=0&limit=1"));
    EXPECT_TRUE(
        asked[1].contains("since=40&events=ItemFinished,LocalIndexUpdated,"
                          "RemoteIndexUpdated&timeout=60"))
        << asked[1].toStdString();
    EXPECT_TRUE(asked[2].contains("since=42&")) << asked[2].toStdString();
    EXPECT_EQ(arrived.size(), 1) << "only the remote change is news";
}

TEST_F(SyncthingClientTest, AFolderSyncthingDoesNotShareIsTheUsersToFix) {
    SyncthingClient client(options(daemon.server.url(QString())));
    QSignalSpy problems(&client, &SyncthingClient::problemChanged);
    test::TempDir elsewhere;
    client.start(elsewhere.path(), elsewhere.file(QStringLiteral("Quillet/me")));
    ASSERT_TRUE(test::waitFor([&] { return !problems.isEmpty(); }));
    EXPECT_EQ(problems.last().at(0).value<SyncthingClient::Problem>(),
              SyncthingClient::Problem::folderNotShared);
    EXPECT_EQ(problems.last().at(1).toString(), elsewhere.path());
    EXPECT_TRUE(daemon.requestsFor("POST").isEmpty());
}

TEST_F(SyncthingClientTest, ARejectedKeyIsTheUsersToFix) {
    SyncthingClient::Options wrong = options(daemon.server.url(QString()));
    wrong.keyOverride = "guessed";
    SyncthingClient client(wrong);
    QSignalSpy problems(&client, &SyncthingClient::problemChanged);
    client.start(root.path(), own());
    ASSERT_TRUE(test::waitFor([&] { return !problems.isEmpty(); }));
    EXPECT_EQ(problems.last().at(0).value<SyncthingClient::Problem>(),
              SyncthingClient::Problem::keyRejected);
}

TEST_F(SyncthingClientTest, AFailingDaemonIsRetriedQuietlyWithGrowingPauses) {
    daemon.server.respond = [](int) { return reply(500, "boom"); };
    SyncthingClient client(options(daemon.server.url(QString())));
    QSignalSpy problems(&client, &SyncthingClient::problemChanged);
    QSignalSpy following(&client, &SyncthingClient::followingDaemonChanged);
    client.start(root.path(), own());
    // 50, 100, 200, 400, 400 ms: about six tries in 1.3 s, not one per event-loop turn.
    QTest::qWait(1300);
    EXPECT_GE(daemon.server.requests, 4);
    EXPECT_LE(daemon.server.requests, 8);
    EXPECT_TRUE(problems.isEmpty()) << "nothing for the user to do";
    EXPECT_TRUE(following.isEmpty());
}

TEST_F(SyncthingClientTest, AFloodingDaemonIsCutOffAndNotBelieved) {
    daemon.server.respond = [](int) {
        FeedServer::Response flood =
            reply(200, QByteArray(SyncthingClient::maxAnswerBytes + 1024 * 1024, '['));
        flood.pieceSize = 256 * 1024;
        return flood;
    };
    SyncthingClient client(options(daemon.server.url(QString())));
    QSignalSpy following(&client, &SyncthingClient::followingDaemonChanged);
    client.start(root.path(), own());
    ASSERT_TRUE(test::waitFor([&] { return daemon.server.requests >= 2; }))
        << "cut off and tried again";
    EXPECT_TRUE(following.isEmpty());
}

TEST_F(SyncthingClientTest, WithoutADaemonNewFilesOfOtherMachinesAreSeen) {
    SyncthingClient::Options none = options(QUrl(QStringLiteral("http://127.0.0.1:9")));
    none.rescanMs = 60 * 60 * 1000;  // only the watch can tell
    SyncthingClient client(none);
    QSignalSpy arrived(&client, &SyncthingClient::mayHaveArrived);
    client.start(root.path(), own());
    QTest::qWait(100);
    arrived.clear();
    QFile segment(root.file(QStringLiteral("Quillet/peer/2.seg")));
    ASSERT_TRUE(segment.open(QIODevice::WriteOnly));
    segment.close();
    ASSERT_TRUE(test::waitFor([&] { return !arrived.isEmpty(); }, 2s));
    // A machine that appears later is watched too.
    QDir(root.path()).mkpath(QStringLiteral("Quillet/newcomer"));
    ASSERT_TRUE(test::waitFor([&] { return arrived.size() >= 2; }, 2s));
    QTest::qWait(100);
    const qsizetype before = arrived.size();
    QFile(root.file(QStringLiteral("Quillet/newcomer/1.seg"))).open(QIODevice::WriteOnly);
    EXPECT_TRUE(test::waitFor([&] { return arrived.size() > before; }, 2s));
    // Once stopped, nothing more.
    client.stop();
    arrived.clear();
    QFile(root.file(QStringLiteral("Quillet/peer/3.seg"))).open(QIODevice::WriteOnly);
    EXPECT_FALSE(test::waitFor([&] { return !arrived.isEmpty(); }, 300ms));
}

TEST_F(SyncthingClientTest, TheTransportRunsTheClientOffThisThreadAndWordsItsProblems) {
    FolderTransport transport(options(daemon.server.url(QString())));
    QSignalSpy problems(&transport, &SyncTransport::problemChanged);
    QSignalSpy following(&transport, &FolderTransport::followingDaemonChanged);
    test::TempDir elsewhere;
    transport.start(elsewhere.path(), elsewhere.file(QStringLiteral("Quillet/me")));
    ASSERT_TRUE(test::waitFor([&] { return !problems.isEmpty(); }));
    EXPECT_TRUE(problems.last().at(0).toString().contains(elsewhere.path()));
    EXPECT_EQ(transport.problem(), problems.last().at(0).toString());
    // Started again on the shared folder, the problem goes.
    transport.start(root.path(), own());
    ASSERT_TRUE(test::waitFor([&] { return transport.followsDaemon(); }));
    EXPECT_TRUE(transport.problem().isEmpty());
    transport.segmentWritten(own() + QStringLiteral("/2.seg"));
    EXPECT_TRUE(test::waitFor([&] { return daemon.requestsFor("POST").size() >= 2; }));
}

TEST_F(SyncthingClientTest, TheTransportsRescansRunOnItsThread) {
    SyncthingClient::Options often = options(QUrl(QStringLiteral("http://127.0.0.1:9")));
    often.rescanMs = 50;
    FolderTransport transport(often);
    QSignalSpy arrived(&transport, &SyncTransport::mayHaveArrived);
    transport.start(root.path(), own());
    EXPECT_TRUE(test::waitFor([&] { return arrived.size() >= 3; }, 3s))
        << "the minute's rescan as a timer of the client's own thread";
}

}  // namespace
}  // namespace quillet
