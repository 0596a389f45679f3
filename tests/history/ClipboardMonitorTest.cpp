#include <gtest/gtest.h>

#include "fakes/FakePasteboard.h"
#include "history/ClipboardMonitor.h"

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

}  // namespace
}  // namespace quillet
