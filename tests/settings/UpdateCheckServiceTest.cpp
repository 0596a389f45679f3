#include <gtest/gtest.h>

#include <optional>

#include "settings/UpdateCheckFailure.h"
#include "settings/UpdateCheckService.h"
#include "settings/VersionOrder.h"
#include "support/FeedServer.h"
#include "support/TempDir.h"
#include "support/Wait.h"

namespace quillet {
namespace {

using Kind = UpdateCheckError::Kind;
using Response = test::FeedServer::Response;

QByteArray item(const QByteArray& version, const QByteArray& url = "https://example.org/q.tgz",
                const QByteArray& extra = {}) {
    QByteArray enclosure = "<enclosure";
    if (!url.isNull()) enclosure += " url=\"" + url + "\"";
    if (!version.isNull()) enclosure += " sparkle:shortVersionString=\"" + version + "\"";
    return "<item><title>Quillet " + version + "</title>" + extra + enclosure + "/></item>\n";
}

Response body(QByteArray bytes, int pieceSize = 0) {
    Response response;
    response.body = std::move(bytes);
    response.pieceSize = pieceSize;
    return response;
}

Response status(int code, QByteArray bytes = {}, QList<QByteArray> headers = {}) {
    Response response;
    response.status = code;
    response.body = std::move(bytes);
    response.headers = std::move(headers);
    return response;
}

class UpdateCheckServiceTest : public ::testing::Test {
protected:
    UpdateResult fetch(UpdateCheckService& service) {
        std::optional<UpdateResult> result;
        service.fetchLatestUpdate(&receiver, [&](const UpdateResult& r) { result = r; });
        EXPECT_TRUE(test::waitFor([&] { return result.has_value(); }));
        return result.value_or(UpdateCheckError::noUpdateFound());
    }
    UpdateResult fetch(const Response& response) {
        server.serve(response);
        return fetch(service);
    }
    static UpdateInfo info(const UpdateResult& result) {
        EXPECT_TRUE(std::holds_alternative<UpdateInfo>(result))
            << qPrintable(std::get<UpdateCheckError>(result).description());
        return std::holds_alternative<UpdateInfo>(result) ? std::get<UpdateInfo>(result)
                                                          : UpdateInfo{};
    }
    static UpdateCheckError error(const UpdateResult& result) {
        EXPECT_TRUE(std::holds_alternative<UpdateCheckError>(result));
        return std::holds_alternative<UpdateCheckError>(result) ? std::get<UpdateCheckError>(result)
                                                                : UpdateCheckError::invalidURL();
    }

    QObject receiver;
    test::FeedServer server;
    UpdateCheckService service{server.url()};
};

TEST_F(UpdateCheckServiceTest, TheFirstCompleteItemWinsInDocumentOrder) {
    const QByteArray feed = test::feedWithItems(
        item("3.0", QByteArray()) + item(QByteArray()) + item("3.1", "not a url") +
        item("2.0", "https://example.org/2.0.tgz",
             "<description>\n  Fixes &amp; more\n  second line  </description>\n"
             "<pubDate> Mon, 07 Dec 2026 10:00:00 +0000 </pubDate>\n") +
        item("2.1"));
    // In small pieces of a chunked transfer, and twice on one instance.
    for (int run = 0; run < 2; ++run) {
        const UpdateInfo found = info(fetch(body(feed, 7)));
        EXPECT_EQ(found.latestVersion, "2.0");
        EXPECT_EQ(found.downloadURL, QUrl("https://example.org/2.0.tgz"));
        EXPECT_EQ(found.releaseNotes, QString("Fixes & more\n  second line"));
        EXPECT_EQ(found.publishedAt, QString("Mon, 07 Dec 2026 10:00:00 +0000"));
    }
}

TEST_F(UpdateCheckServiceTest, NotesComeOnlyFromTheItemAndNeverFromCData) {
    const UpdateInfo plain = info(fetch(body(test::feedWithItems(item("2.0")))));
    EXPECT_FALSE(plain.releaseNotes.has_value()) << "the channel's description is not the item's";
    EXPECT_FALSE(plain.publishedAt.has_value());

    const UpdateInfo cdata = info(fetch(body(test::feedWithItems(item(
        "2.0", "https://example.org/q", "<description><![CDATA[<b>secret</b>]]></description>")))));
    EXPECT_TRUE(cdata.releaseNotes.value_or(QString()).isEmpty());
}

TEST_F(UpdateCheckServiceTest, FeedsWithoutACompleteItemFindNothing) {
    EXPECT_EQ(error(fetch(body(test::feedWithItems("")))).kind(), Kind::noUpdateFound);
    EXPECT_EQ(error(fetch(body(test::feedWithItems(item(QByteArray()) + item("1", ""))))).kind(),
              Kind::noUpdateFound);
}

TEST_F(UpdateCheckServiceTest, StatusCodesAndBodiesThatAreNoFeed) {
    const UpdateCheckError missing = error(fetch(status(404, "gone")));
    EXPECT_EQ(missing.kind(), Kind::badStatusCode);
    EXPECT_EQ(missing.description(), "Server returned status code: 404");
    // Only HTTPS redirects are followed.
    const UpdateCheckError moved =
        error(fetch(status(301, {}, {"Location: " + server.url("/other").toEncoded()})));
    EXPECT_EQ(moved.kind(), Kind::badStatusCode);
    EXPECT_EQ(moved.statusCode(), 301);
    EXPECT_EQ(error(fetch(status(204))).kind(), Kind::parseError);
    EXPECT_EQ(error(fetch(body(""))).kind(), Kind::parseError);
    EXPECT_EQ(error(fetch(body(test::feedWithItems(item("2.0")).chopped(12)))).kind(),
              Kind::parseError);
}

TEST_F(UpdateCheckServiceTest, HostileFeedsEndAsParseErrors) {
    const QByteArray huge = test::feedWithItems(
        item("2.0") + "<!--" + QByteArray(UpdateCheckService::maxFeedSize, 'x') + "-->");
    EXPECT_EQ(error(fetch(body(huge))).kind(), Kind::parseError) << "declared length";
    EXPECT_EQ(error(fetch(body(huge, 64 * 1024))).kind(), Kind::parseError) << "chunked, no length";

    QByteArray bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE rss [\n<!ENTITY a \"aaaaaaaaaa\">\n";
    for (char e = 'b'; e <= 'k'; ++e)
        bomb += QByteArray("<!ENTITY ") + e + " \"" +
                QByteArray("&").append(char(e - 1)).append(';').repeated(10) + "\">\n";
    bomb +=
        "]>\n<rss><channel><item><description>&k;</description>"
        "<enclosure url=\"https://e.org/q\" "
        "sparkle:shortVersionString=\"9\"/></item></channel></rss>";
    EXPECT_EQ(error(fetch(body(bomb))).kind(), Kind::parseError);
    // Any document type declaration, however small: the feed never needs one.
    QByteArray declared = test::feedWithItems(item("&v;"));
    declared.insert(declared.indexOf('\n') + 1, "<!DOCTYPE rss [<!ENTITY v \"2.0\">]>\n");
    EXPECT_EQ(error(fetch(body(declared))).kind(), Kind::parseError);
}

TEST_F(UpdateCheckServiceTest, AStalledServerEndsInATimeOutWhileTheLoopRuns) {
    service.setTimeout(std::chrono::milliseconds(300));
    Response stall;
    stall.stall = true;
    server.serve(stall);
    bool done = false;
    int turns = 0;
    service.fetchLatestUpdate(&receiver, [&](const UpdateResult& result) {
        done = true;
        EXPECT_EQ(error(result).kind(), Kind::networkError);
    });
    EXPECT_TRUE(test::waitFor([&] {
        ++turns;
        return done;
    }));
    EXPECT_GT(turns, 1) << "the wait did not hold the event loop";
}

TEST_F(UpdateCheckServiceTest, OverlappingFetchesKeepTheirOwnState) {
    // Enough items that both parses run in several interleaved slices.
    QByteArray filler;
    for (int i = 0; i < 1500; ++i) filler += item(QByteArray());
    server.respond = [&](int request) {
        return body(test::feedWithItems(filler + item(request == 0 ? "4.0" : "5.0")));
    };
    std::optional<UpdateResult> first, second;
    service.fetchLatestUpdate(&receiver, [&](const UpdateResult& r) { first = r; });
    service.fetchLatestUpdate(&receiver, [&](const UpdateResult& r) { second = r; });
    ASSERT_TRUE(test::waitFor([&] { return first && second; }));
    EXPECT_EQ(info(*first).latestVersion, "4.0");
    EXPECT_EQ(info(*second).latestVersion, "5.0");
}

TEST_F(UpdateCheckServiceTest, OnlyHttpsOrLoopbackAddressesAreFetched) {
    EXPECT_TRUE(UpdateCheckService::isAllowedFeedURL(QUrl("https://quillet.example.org/a.xml")));
    EXPECT_TRUE(UpdateCheckService::isAllowedFeedURL(QUrl("http://[::1]:8080/a.xml")));
    EXPECT_FALSE(UpdateCheckService::isAllowedFeedURL(QUrl("http://quillet.example.org/a.xml")));
    EXPECT_FALSE(UpdateCheckService::isAllowedFeedURL(QUrl("file:///etc/passwd")));
    UpdateCheckService plain(QUrl("http://quillet.example.org/a.xml"));
    EXPECT_EQ(error(fetch(plain)).kind(), Kind::invalidURL);
    EXPECT_EQ(server.requests, 0);
}

// What the settings window says of each way a real fetch fails: enough to tell a server
// fault from a network one from a broken feed, naming what the user can look up.
TEST_F(UpdateCheckServiceTest, EachFailureReadsAsItsReason) {
    const auto reason = [&](UpdateCheckService& from) {
        return updateFailureReason(error(fetch(from)), from.appcastURL());
    };
    server.serve(status(500, "oops"));
    EXPECT_EQ(reason(service), qtTrId("UPDATE_FAILURE_STATUS").arg(500));

    UpdateCheckService closed(QUrl("http://127.0.0.1:9/appcast.xml"));
    const QString refused = reason(closed);
    EXPECT_TRUE(refused.startsWith(qtTrId("UPDATE_FAILURE_NO_CONNECTION").arg("127.0.0.1", "")))
        << qPrintable(refused);
    EXPECT_GT(refused.size(), qtTrId("UPDATE_FAILURE_NO_CONNECTION").arg("127.0.0.1", "").size())
        << "with what the network said";

    service.setTimeout(std::chrono::milliseconds(200));
    Response stall;
    stall.stall = true;
    server.serve(stall);
    EXPECT_TRUE(reason(service).endsWith(qtTrId("UPDATE_FEED_TIMED_OUT").arg(1)));

    server.serve(body("<rss><channel><item>"));
    const QString broken = reason(service);
    const QString invalidPrefix = qtTrId("UPDATE_FAILURE_INVALID_FEED").arg("");
    EXPECT_TRUE(broken.startsWith(invalidPrefix) && broken.size() > invalidPrefix.size())
        << "with the parser's own words: " << qPrintable(broken);
    server.serve(body(test::feedWithItems("")));
    EXPECT_EQ(reason(service), qtTrId("UPDATE_FAILURE_NO_VERSION"));

    UpdateCheckService plain(QUrl("http://updates.example.org/a.xml"));
    EXPECT_EQ(reason(plain),
              qtTrId("UPDATE_FAILURE_BAD_ADDRESS").arg("http://updates.example.org/a.xml"));
    // Outside text comes as one bounded line.
    const QString flood = updateFailureReason(
        UpdateCheckError::networkError(QString("line\n").repeated(500)), plain.appcastURL());
    EXPECT_FALSE(flood.contains('\n'));
    EXPECT_LT(flood.size(), 300);
}

TEST(VersionOrderTest, DigitRunsCompareByValue) {
    for (const auto& [lower, higher] : std::initializer_list<std::pair<const char*, const char*>>{
             {"1.9", "1.10"},
             {"1.0", "1.0.1"},
             {"1.9.5", "1.10.0"},
             {"2.0b1", "2.0b2"},
             {"2.0B", "2.0a"},
             {"9", "10"},
             {"99999999999999999999", "100000000000000000000"}}) {
        EXPECT_TRUE(compareVersions(QString(lower), QString(higher)) < 0)
            << lower << " < " << higher;
        EXPECT_TRUE(compareVersions(QString(higher), QString(lower)) > 0)
            << higher << " > " << lower;
    }
    EXPECT_TRUE(compareVersions(u"1.2.0", u"1.2.0") == 0);
    EXPECT_TRUE(compareVersions(u"1.02", u"1.2") == 0);
}

}  // namespace
}  // namespace quillet
