#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QSettings>
#include <QTemporaryDir>

#include "fakes/FakePasteboard.h"
#include "fakes/ManualClock.h"
#include "history/ClipboardMonitor.h"
#include "history/RecordingPause.h"

namespace quillet {
namespace {

class RecordingDelegate : public ClipboardMonitorDelegate {
public:
    void clipboardDidChange(const QString& text) override { texts << text; }
    QStringList texts;
};

class MonitorTest : public ::testing::Test {
protected:
    MonitorTest() { monitor.setDelegate(&delegate); }

    // A copy by another program followed by the next poll.
    void copyAndPoll(const QString& text) {
        pasteboard.copyText(text);
        monitor.checkForChanges();
    }

    test::FakePasteboard pasteboard;
    ClipboardMonitor monitor{pasteboard};
    RecordingDelegate delegate;
};

TEST_F(MonitorTest, TextPresentAtStartIsSeenButNotRecorded) {
    pasteboard.copyText("before start");
    monitor.startMonitoring();
    EXPECT_TRUE(monitor.isMonitoring());
    copyAndPoll("before start");  // copied again after the start: a repeat
    EXPECT_TRUE(delegate.texts.isEmpty());
    pasteboard.copyText("intermediate");
    copyAndPoll("after start");  // only the state at the poll counts
    EXPECT_EQ(delegate.texts, QStringList{"after start"});
}

TEST_F(MonitorTest, EachNewTextIsRecordedOnceAndEverythingElseIsSkipped) {
    monitor.setDelegate(nullptr);  // without a delegate the text is only remembered
    copyAndPoll("A");
    monitor.setDelegate(&delegate);
    copyAndPoll("A");
    copyAndPoll("B");
    copyAndPoll("B");
    // Images, files and secrets are consumed even with text beside, and are no new text:
    // B, image, B is still one B.
    for (const QString& type : {PasteboardType::png, PasteboardType::tiff, PasteboardType::fileURL,
                                PasteboardType::concealed}) {
        pasteboard.copy({type, PasteboardType::string}, "hidden " + type);
        monitor.checkForChanges();
        EXPECT_EQ(monitor.lastChangeCount(), pasteboard.changeCount()) << qPrintable(type);
        copyAndPoll("B");
    }
    copyAndPoll("");
    pasteboard.copy({}, std::nullopt);
    monitor.checkForChanges();
    copyAndPoll(" ");  // whitespace is text
    copyAndPoll("\n");
    copyAndPoll("A");  // a text coming back is recorded again
    EXPECT_EQ(delegate.texts, (QStringList{"B", " ", "\n", "A"}));
}

TEST_F(MonitorTest, OwnWritesAreNeverRecorded) {
    copyAndPoll("A");
    monitor.copyToPasteboard("T");
    EXPECT_EQ(pasteboard.string(), QString("T"));
    monitor.checkForChanges();
    // Another program putting T back is a repeat of the last seen text as well.
    copyAndPoll("T");
    EXPECT_EQ(delegate.texts, QStringList{"A"});
    copyAndPoll("B");
    copyAndPoll("T");
    EXPECT_EQ(delegate.texts, (QStringList{"A", "B", "T"}));
}

TEST_F(MonitorTest, CopiesFromIgnoredApplicationsAreNeverRecorded) {
    monitor.setIgnoredApplications({"KeePassXC", "org.gnome.World.Secrets"});
    EXPECT_EQ(pasteboard.ignoredApplications,
              (QStringList{"KeePassXC", "org.gnome.World.Secrets"}));
    const QStringList text{PasteboardType::string};
    // X11 names instance and class; either one on the list, in any case, is enough.
    pasteboard.copy(text, "secret 1", {"keepassxc", "KeePassXC"});
    monitor.checkForChanges();
    pasteboard.copy(text, "secret 2", {"ORG.GNOME.WORLD.SECRETS"});
    monitor.checkForChanges();
    // What the backend left unread: attributed, without contents.
    pasteboard.copy({}, std::nullopt, {"keepassxc"});
    monitor.checkForChanges();
    EXPECT_EQ(monitor.lastChangeCount(), pasteboard.changeCount());
    EXPECT_TRUE(delegate.texts.isEmpty());

    // Other applications, a name only like a listed one, and unknown ones are recorded.
    pasteboard.copy(text, "from xterm", {"xterm", "XTerm"});
    monitor.checkForChanges();
    pasteboard.copy(text, "from a fork", {"keepassxc-fork"});
    monitor.checkForChanges();
    pasteboard.copy(text, "unknown", {});
    monitor.checkForChanges();
    // The ignored copy did not become the last seen text: the same text copied elsewhere is new.
    pasteboard.copy(text, "secret 1", {"xterm"});
    monitor.checkForChanges();
    EXPECT_EQ(delegate.texts, (QStringList{"from xterm", "from a fork", "unknown", "secret 1"}));

    // An emptied list records everyone again.
    monitor.setIgnoredApplications({});
    pasteboard.copy(text, "now kept", {"KeePassXC"});
    monitor.checkForChanges();
    EXPECT_EQ(delegate.texts.last(), "now kept");
}

// Whether the monitor has a timer running: any timer of its own would be the poll.
bool polls(ClipboardMonitor& monitor) {
    return !QAbstractEventDispatcher::instance()->registeredTimers(&monitor).isEmpty();
}

// An idle desktop stays idle: where every change is announced, nothing is polled, before or
// after a pause; only a pasteboard that cannot announce is polled, until it says it can.
TEST(ClipboardMonitorPolling, OnlyAPasteboardThatCannotAnnounceIsPolled) {
    QTemporaryDir dir;
    QSettings settings(dir.filePath("quillet.ini"), QSettings::IniFormat);
    test::ManualClock clock;
    RecordingPause pause(settings, clock);
    RecordingDelegate delegate;

    test::FakePasteboard announcing;
    announcing.announces = true;
    ClipboardMonitor monitor(announcing, pause);
    monitor.setDelegate(&delegate);
    monitor.startMonitoring();
    EXPECT_FALSE(polls(monitor));
    pause.pauseUntilResumed();
    pause.resume();
    EXPECT_FALSE(polls(monitor)) << "a resumed monitor began to poll";
    announcing.copyText("announced");
    EXPECT_EQ(delegate.texts, QStringList{"announced"});

    test::FakePasteboard silent;
    ClipboardMonitor poller(silent, pause);
    EXPECT_FALSE(polls(poller)) << "polling before the start";
    poller.startMonitoring();
    EXPECT_TRUE(polls(poller));
    pause.pauseUntilResumed();
    EXPECT_FALSE(polls(poller)) << "polling while paused";
    pause.resume();
    EXPECT_TRUE(polls(poller));
    silent.startAnnouncing();
    EXPECT_FALSE(polls(poller)) << "still polling once the pasteboard announces";
}

}  // namespace
}  // namespace quillet
