#include <QFile>
#include <algorithm>

#include "e2e/PasteTargetFixture.h"
#include "support/FeedServer.h"
#include "support/Wait.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

QByteArray feedAnnouncing(const QByteArray& version) {
    return feedWithItems(
        "<item><description>Notes</description><enclosure "
        "url=\"https://quillet.example.org/q.tgz\" sparkle:shortVersionString=\"" +
        version + "\"/></item>");
}

// The settings window of the real program: the update check at start-up, and a hot key
// changed by pressing keys in it.
class SettingsE2E : public PasteTargetFixture {
protected:
    void SetUp() override {
        PasteTargetFixture::SetUp();
        FeedServer::Response response;
        response.body = feedAnnouncing("99.0");
        feed.serve(response);
        quillet.setUpdateFeed(feed.url());
    }

    // The settings window and its sheet are quillet's only windows here.
    bool windowsShown(int count, std::chrono::milliseconds within) {
        return waitFor([&] { return visibleQuilletWindows(x) == count; }, within);
    }

    // The stored history key's line of the settings file; empty before one is stored.
    QByteArray storedHistoryKey() {
        QFile file(quillet.home().file("config/quillet/quillet.ini"));
        if (!file.open(QIODevice::ReadOnly)) return {};
        for (const QByteArray& line : file.readAll().split('\n'))
            if (line.startsWith("historyHotkey=")) return line;
        return {};
    }

    FeedServer feed;
};

TEST_F(SettingsE2E, ANewerVersionOpensTheSettingsWithTheSheetOnceOnly) {
    ASSERT_TRUE(started(quillet));
    ASSERT_TRUE(windowsShown(2, 10s)) << "the settings window and the update sheet";
    EXPECT_EQ(feed.requests, 1);
    EXPECT_TRUE(QFile(quillet.home().file("config/quillet/quillet.ini")).exists());
    ASSERT_TRUE(quillet.quit());

    ASSERT_TRUE(started(quillet));
    ASSERT_TRUE(waitFor([&] { return feed.requests == 2; }, 10s)) << "the second start checked";
    EXPECT_TRUE(staysTrue([&] { return visibleQuilletWindows(x) == 0; }, 1500ms))
        << "the version was announced before";
}

TEST_F(SettingsE2E, AStalledFeedLeavesTheProgramAnswering) {
    FeedServer::Response stall;
    stall.stall = true;
    feed.serve(stall);
    ASSERT_TRUE(started(quillet));
    ASSERT_TRUE(waitFor([&] { return feed.requests == 1; }, 10s));
    EXPECT_GE(quillet.socketRoundTripMs(3000), 0) << "the command socket still answers";
    EXPECT_EQ(quillet.command("--settings"), 0);
    EXPECT_TRUE(windowsShown(1, 5s));
}

// Feeds under the size cap that each once held the program's loop for seconds: notes too
// long or too tall to lay out, and one start tag with a quadratic attribute check.
TEST_F(SettingsE2E, HostileFeedsNeverKeepTheProgramFromAnswering) {
    const auto item = [](const QByteArray& version, const QByteArray& inside,
                         const QByteArray& attributes = {}) {
        return feedWithItems("<item>" + inside +
                             "<enclosure url=\"https://quillet.example.org/q.tgz\" "
                             "sparkle:shortVersionString=\"" +
                             version + "\"" + attributes + "/></item>");
    };
    QByteArray attributes;
    for (int i = 0; i < 90'000; ++i) attributes += " a" + QByteArray::number(i) + "=\"\"";
    struct Feed {
        const char* name;
        QByteArray body;
        bool showsSheet;  // else the check fails, which only the log tells at start-up
    };
    const Feed feeds[] = {
        {"a million characters of notes",
         item("97.0", "<description>" + QByteArray(1'000'000, 'x') + "</description>"), true},
        {"200,000 lines of notes",
         item("98.0", "<description>" + QByteArray("-\n").repeated(200'000) + "</description>"),
         true},
        {"an enclosure with 90,000 attributes", item("99.0", {}, attributes), false},
    };
    quillet.keepErrors();
    for (const Feed& hostile : feeds) {
        SCOPED_TRACE(hostile.name);
        ASSERT_LT(hostile.body.size(), 1024 * 1024);
        FeedServer::Response response;
        response.body = hostile.body;
        feed.serve(response);
        feed.requests = 0;
        ASSERT_TRUE(started(quillet));
        qint64 worst = 0;
        const auto answers = [&] {
            const qint64 ms = quillet.socketRoundTripMs(5000);
            worst = std::max(worst, ms < 0 ? 5000 : ms);
            return ms >= 0;
        };
        const bool handled = waitFor(
            [&] {
                answers();
                if (feed.requests == 0) return false;
                return hostile.showsSheet ? visibleQuilletWindows(x) == 2
                                          : quillet.process().output().contains("attributes");
            },
            30s);
        EXPECT_TRUE(handled) << "the feed was fetched and its outcome shown or logged";
        // The sheet's first paint and any layout after it.
        staysTrue(answers, 1s);
        EXPECT_LT(worst, 500) << "the slowest answer to a ping, in ms";
        ASSERT_TRUE(quillet.quit());
    }
}

TEST_F(SettingsE2E, AHotKeyRecordedInTheWindowReplacesTheOldOne) {
    FeedServer::Response current;
    current.body = feedAnnouncing("0.0.1");
    feed.serve(current);
    startQuilletAndTarget();
    copyAll({"recorded key"});
    ASSERT_EQ(quillet.command("--settings"), 0);
    ASSERT_TRUE(windowsShown(1, 5s));
    // The window opens with the history row's button focused: Space starts recording.
    xdotool(x, {"key", "space"});
    xdotool(x, {"key", "ctrl+super+f"});
    ASSERT_TRUE(waitFor(
        [&] {
            QFile file(quillet.home().file("config/quillet/quillet.ini"));
            return file.open(QIODevice::ReadOnly) && file.readAll().contains("4352");
        },
        5s))
        << "the new key was stored";
    xdotool(x, {"key", "alt+F4"});  // openbox's close, on the active settings window
    ASSERT_TRUE(windowsShown(0, 5s));

    xdotool(x, {"key", "super+shift+v"});
    EXPECT_TRUE(staysTrue([&] { return !quilletWindowVisible(x); }, 1s)) << "the old key is free";
    xdotool(x, {"key", "ctrl+super+f"});
    ASSERT_TRUE(waitFor([&] { return quilletWindowVisible(x); }, 3s))
        << "the new key opens the menu";
    xdotool(x, {"key", "1"});
    EXPECT_TRUE(waitFor([&] { return targetText().endsWith("recorded key"); }, 5s));
}

TEST_F(SettingsE2E, RecordingTakesOurOwnHistoryKeyInsteadOfOpeningItsMenu) {
    FeedServer::Response current;
    current.body = feedAnnouncing("0.0.1");
    feed.serve(current);
    startQuilletAndTarget();
    ASSERT_EQ(quillet.command("--settings"), 0);
    ASSERT_TRUE(windowsShown(1, 5s));
    ASSERT_TRUE(storedHistoryKey().isEmpty()) << "nothing stored before";
    xdotool(x, {"key", "space"});  // the history row's button has the focus
    xdotool(x, {"key", "super+shift+v"});
    ASSERT_TRUE(waitFor([&] { return !storedHistoryKey().isEmpty(); }, 5s))
        << "the key was recorded and registered again";
    const QByteArray stored = storedHistoryKey();
    EXPECT_TRUE(stored.contains(":9,") && stored.contains("768")) << stored.constData();
    EXPECT_TRUE(staysTrue([&] { return visibleQuilletWindows(x) == 1; }, 1s))
        << "no menu opened over the settings";

    // Recording over, the key opens its menu again.
    xdotool(x, {"key", "alt+F4"});
    ASSERT_TRUE(windowsShown(0, 5s));
    xdotool(x, {"key", "super+shift+v"});
    EXPECT_TRUE(waitFor([&] { return quilletWindowVisible(x); }, 3s));
    xdotool(x, {"key", "Escape"});
}

}  // namespace
}  // namespace quillet::test
