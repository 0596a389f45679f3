// Pausing the recording: how long a pause lasts, that it outlasts a restart, and that the
// monitor reads nothing at all while it holds.

#include <gtest/gtest.h>

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <memory>

#include "fakes/FakePasteboard.h"
#include "fakes/ManualClock.h"
#include "history/ClipboardMonitor.h"
#include "history/RecordingPause.h"

namespace quillet {
namespace {

constexpr int kMinuteMs = 60 * 1000;

class RecordingDelegate : public ClipboardMonitorDelegate {
public:
    void clipboardDidChange(const QString& text) override { texts << text; }
    QStringList texts;
};

// One run of the program as far as recording goes: the pause read from the settings file and
// a monitor following it. A second run over the same file is a restart.
struct ProgramRun {
    ProgramRun(QSettings& settings, test::ManualClock& clock, test::FakePasteboard& pasteboard)
        : pause(settings, clock), monitor(pasteboard, pause) {
        monitor.setDelegate(&delegate);
        monitor.startMonitoring();
    }
    RecordingPause pause;
    ClipboardMonitor monitor;
    RecordingDelegate delegate;
};

class RecordingPauseTest : public ::testing::Test {
protected:
    std::unique_ptr<ProgramRun> start() {
        return std::make_unique<ProgramRun>(settings, clock, pasteboard);
    }
    QVariant stored() const { return settings.value(RecordingPause::settingsKey); }

    QTemporaryDir dir;
    QSettings settings{dir.filePath("quillet.ini"), QSettings::IniFormat};
    test::ManualClock clock;
    test::FakePasteboard pasteboard;
};

TEST_F(RecordingPauseTest, ATimedPauseEndsByItselfAtItsEnd) {
    RecordingPause pause(settings, clock);
    QSignalSpy changes(&pause, &RecordingPause::changed);
    EXPECT_FALSE(pause.isPaused());
    EXPECT_FALSE(stored().isValid());

    ASSERT_TRUE(pause.pauseFor(15));
    const QDateTime end = clock.now().addSecs(15 * 60);
    EXPECT_TRUE(pause.isPaused());
    EXPECT_EQ(pause.pausedUntil(), end);
    EXPECT_EQ(QDateTime::fromString(stored().toString(), Qt::ISODate), end);

    clock.advance(15 * kMinuteMs - 1);
    EXPECT_TRUE(pause.isPaused()) << "ended a moment early";
    clock.advance(1);
    EXPECT_FALSE(pause.isPaused());
    EXPECT_FALSE(pause.pausedUntil());
    EXPECT_FALSE(stored().isValid()) << "an ended pause stays in the settings";
    EXPECT_EQ(changes.count(), 2);
}

TEST_F(RecordingPauseTest, APauseUntilResumedOutlastsTheLongestTimedOne) {
    RecordingPause pause(settings, clock);
    pause.pauseUntilResumed();
    EXPECT_EQ(stored().toString(), "untilResumed");
    clock.advance(2 * RecordingPause::maxMinutes * kMinuteMs);
    EXPECT_TRUE(pause.isPaused());
    EXPECT_FALSE(pause.pausedUntil());
    pause.resume();
    EXPECT_FALSE(pause.isPaused());
    EXPECT_FALSE(stored().isValid());
}

TEST_F(RecordingPauseTest, ANewPauseReplacesTheOldOneAndItsEnd) {
    RecordingPause pause(settings, clock);
    ASSERT_TRUE(pause.pauseFor(15));
    ASSERT_TRUE(pause.pauseFor(60));
    clock.advance(30 * kMinuteMs);
    EXPECT_TRUE(pause.isPaused()) << "the first pause's end ended the second";
    pause.pauseUntilResumed();
    clock.advance(60 * kMinuteMs);
    EXPECT_TRUE(pause.isPaused()) << "the timed pause's end ended the one until resumed";
    pause.resume();
    ASSERT_TRUE(pause.pauseFor(15));
    pause.resume();
    ASSERT_TRUE(pause.pauseFor(60));
    clock.advance(15 * kMinuteMs);
    EXPECT_TRUE(pause.isPaused()) << "a resumed pause's end ended a later one";
}

TEST_F(RecordingPauseTest, MinutesOutsideTheRangeAreRefusedAndChangeNothing) {
    RecordingPause pause(settings, clock);
    for (int minutes : {0, -1, RecordingPause::maxMinutes + 1}) {
        EXPECT_FALSE(pause.pauseFor(minutes)) << minutes;
        EXPECT_FALSE(pause.isPaused()) << minutes;
    }
    EXPECT_FALSE(stored().isValid());
    EXPECT_TRUE(pause.pauseFor(RecordingPause::maxMinutes));
}

TEST_F(RecordingPauseTest, APauseOutlastsARestartUntilItsEnd) {
    {
        RecordingPause pause(settings, clock);
        ASSERT_TRUE(pause.pauseFor(60));
    }
    clock.advance(20 * kMinuteMs);  // not running meanwhile: nothing scheduled ends it
    RecordingPause restarted(settings, clock);
    EXPECT_TRUE(restarted.isPaused());
    clock.advance(40 * kMinuteMs);
    EXPECT_FALSE(restarted.isPaused()) << "the restored pause did not end at its stored end";

    restarted.pauseUntilResumed();
    EXPECT_TRUE(RecordingPause(settings, clock).isPaused());
}

TEST_F(RecordingPauseTest, AStoredPauseThatEndedOrMakesNoSenseIsSettledAtStart) {
    settings.setValue(RecordingPause::settingsKey, clock.now().addSecs(-60).toString(Qt::ISODate));
    EXPECT_FALSE(RecordingPause(settings, clock).isPaused());
    EXPECT_FALSE(stored().isValid()) << "the ended pause was left in the file";

    // An end beyond any pause we make (a clock set back, an edited file) comes within reach.
    settings.setValue(RecordingPause::settingsKey, clock.now().addYears(5).toString(Qt::ISODate));
    RecordingPause far(settings, clock);
    EXPECT_EQ(far.pausedUntil(), clock.now().addSecs(qint64(RecordingPause::maxMinutes) * 60));

    // Someone meant a pause: an unreadable one holds until the user resumes.
    settings.setValue(RecordingPause::settingsKey, "next tuesday");
    RecordingPause garbled(settings, clock);
    EXPECT_TRUE(garbled.isPaused());
    EXPECT_FALSE(garbled.pausedUntil());
}

TEST_F(RecordingPauseTest, NothingIsReadWhilePausedNotEvenAnAnnouncedChange) {
    pasteboard.announces = true;
    auto run = start();
    pasteboard.copyText("before");
    ASSERT_EQ(run->delegate.texts, QStringList{"before"}) << "the announced copy was not seen";

    run->pause.pauseUntilResumed();
    EXPECT_TRUE(pasteboard.readingPaused) << "the pasteboard still reads ahead";
    pasteboard.reads = 0;
    pasteboard.copyText("secret");  // announced
    run->monitor.checkForChanges();
    clock.advance(5 * kMinuteMs);
    EXPECT_EQ(pasteboard.reads, 0) << "the clipboard was read while paused";
    EXPECT_TRUE(run->delegate.texts == QStringList{"before"});
}

TEST_F(RecordingPauseTest, OnResumeOnlyLaterCopiesAreRecorded) {
    auto run = start();
    ASSERT_TRUE(run->pause.pauseFor(15));
    pasteboard.copyText("secret");
    run->monitor.checkForChanges();

    clock.advance(15 * kMinuteMs);
    ASSERT_FALSE(run->pause.isPaused());
    EXPECT_FALSE(pasteboard.readingPaused);
    pasteboard.reads = 0;
    run->monitor.checkForChanges();
    EXPECT_EQ(pasteboard.reads, 0) << "the copy made while paused was read on resume";
    pasteboard.copyText("later");
    run->monitor.checkForChanges();
    EXPECT_EQ(run->delegate.texts, QStringList{"later"});
}

TEST_F(RecordingPauseTest, AMonitorStartedUnderAKeptPauseNeverLooksAtTheClipboard) {
    start()->pause.pauseUntilResumed();
    pasteboard.copyText("copied while Quillet was away");
    pasteboard.reads = 0;
    auto run = start();
    EXPECT_TRUE(pasteboard.readingPaused) << "the pasteboard may read its first contents";
    pasteboard.copyText("secret");
    run->monitor.checkForChanges();
    EXPECT_EQ(pasteboard.reads, 0);
    EXPECT_TRUE(run->delegate.texts.isEmpty());

    run->pause.resume();
    pasteboard.copyText("after");
    run->monitor.checkForChanges();
    EXPECT_EQ(run->delegate.texts, QStringList{"after"});
}

TEST_F(RecordingPauseTest, OurOwnWritesStillReachTheClipboardWhilePaused) {
    auto run = start();
    run->pause.pauseUntilResumed();
    run->monitor.copyToPasteboard("chosen from the history");
    EXPECT_EQ(pasteboard.writes, 1);
    run->pause.resume();
    pasteboard.copyText("chosen from the history");  // copied again: no new text
    run->monitor.checkForChanges();
    EXPECT_TRUE(run->delegate.texts.isEmpty());
}

}  // namespace
}  // namespace quillet
