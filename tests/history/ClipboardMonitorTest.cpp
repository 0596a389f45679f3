#include <gtest/gtest.h>

#include "fakes/FakePasteboard.h"
#include "history/ClipboardMonitor.h"

namespace quillet {
namespace {

using test::FakePasteboard;

class RecordingDelegate : public ClipboardMonitorDelegate {
public:
    void clipboardDidChange(const QString& text) override { texts << text; }
    QStringList texts;
};

class MonitorTest : public ::testing::Test {
protected:
    MonitorTest() : monitor(pasteboard) { monitor.setDelegate(&delegate); }

    // A copy by another program followed by the next poll.
    void copyAndPoll(const QString& text) {
        pasteboard.copyText(text);
        monitor.checkForChanges();
    }

    FakePasteboard pasteboard;
    ClipboardMonitor monitor;
    RecordingDelegate delegate;
};

TEST_F(MonitorTest, TextPresentAtStartIsSeenButNotRecorded) {
    pasteboard.copyText("before start");
    ClipboardMonitor fresh(pasteboard);
    fresh.setDelegate(&delegate);
    fresh.startMonitoring();
    EXPECT_TRUE(fresh.isMonitoring());
    fresh.checkForChanges();
    EXPECT_TRUE(delegate.texts.isEmpty());
    // Copying the same text again after start is a repeat of the last seen text.
    pasteboard.copyText("before start");
    fresh.checkForChanges();
    EXPECT_TRUE(delegate.texts.isEmpty());
    pasteboard.copyText("after start");
    fresh.checkForChanges();
    EXPECT_EQ(delegate.texts, QStringList{"after start"});
}

TEST_F(MonitorTest, RepeatsAreRecordedOnceButReturnsAreRecordedAgain) {
    copyAndPoll("A");
    copyAndPoll("A");
    EXPECT_EQ(delegate.texts, QStringList{"A"});
    copyAndPoll("B");
    copyAndPoll("A");
    EXPECT_EQ(delegate.texts, (QStringList{"A", "B", "A"}));
}

TEST_F(MonitorTest, ImagesFilesAndSecretsAreConsumedWithoutChangingTheLastText) {
    copyAndPoll("A");
    pasteboard.copy({PasteboardType::png, PasteboardType::string}, "image alt text");
    monitor.checkForChanges();
    EXPECT_EQ(monitor.lastText(), QString("A"));
    copyAndPoll("A");  // A, image, A: still one A
    EXPECT_EQ(delegate.texts, QStringList{"A"});

    for (const QString& type :
         {PasteboardType::tiff, PasteboardType::fileURL, PasteboardType::concealed}) {
        pasteboard.copy({type, PasteboardType::string}, "hidden " + type);
        const qint64 count = pasteboard.changeCount();
        monitor.checkForChanges();
        EXPECT_EQ(monitor.lastChangeCount(), count)
            << "the change is consumed: " << qPrintable(type);
    }
    EXPECT_EQ(delegate.texts, QStringList{"A"});
    EXPECT_EQ(monitor.lastText(), QString("A"));
}

TEST_F(MonitorTest, EmptyTextIsIgnoredButWhitespaceIsText) {
    copyAndPoll("");
    pasteboard.copy({}, std::nullopt);
    monitor.checkForChanges();
    EXPECT_TRUE(delegate.texts.isEmpty());
    copyAndPoll(" ");
    copyAndPoll("\n");
    EXPECT_EQ(delegate.texts, (QStringList{" ", "\n"}));
}

TEST_F(MonitorTest, OwnWritesAreNeverRecorded) {
    copyAndPoll("A");
    monitor.copyToPasteboard("T");
    EXPECT_EQ(pasteboard.string(), QString("T"));
    monitor.checkForChanges();
    monitor.checkForChanges();
    // Another program putting T back is a repeat of the last seen text as well.
    copyAndPoll("T");
    EXPECT_EQ(delegate.texts, QStringList{"A"});
    copyAndPoll("B");
    copyAndPoll("T");
    EXPECT_EQ(delegate.texts, (QStringList{"A", "B", "T"}));
}

TEST_F(MonitorTest, WithoutDelegateTheTextIsOnlyRemembered) {
    monitor.setDelegate(nullptr);
    copyAndPoll("A");
    EXPECT_EQ(monitor.lastText(), QString("A"));
    EXPECT_EQ(monitor.lastChangeCount(), pasteboard.changeCount());
    monitor.setDelegate(&delegate);
    copyAndPoll("A");
    EXPECT_TRUE(delegate.texts.isEmpty());
}

TEST_F(MonitorTest, OnlyTheStateAtThePollCounts) {
    pasteboard.copyText("intermediate");
    pasteboard.copyText("final");
    monitor.checkForChanges();
    EXPECT_EQ(delegate.texts, QStringList{"final"});
}

}  // namespace
}  // namespace quillet
