#include <QFile>

#include "e2e/PasteTargetFixture.h"
#include "support/FeedServer.h"

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

}  // namespace
}  // namespace quillet::test
