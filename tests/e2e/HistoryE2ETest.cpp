#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>
#include <csignal>

#include "e2e/E2EEnvironment.h"
#include "e2e/QuilletDriver.h"
#include "support/Wait.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

// The state letter of /proc/<pid>/stat ('T' once stopped).
char processState(pid_t pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return '?';
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close >= 0 && close + 2 < line.size() ? line[close + 2] : '?';
}

class HistoryE2E : public ::testing::Test {
protected:
    const XvfbSession& x = *e2eDisplay;
    QuilletDriver quillet{x};
};

TEST_F(HistoryE2E, RecordsEachNewTextCopyOnce) {
    copyWithXclip(x, "already there at start");
    ASSERT_TRUE(started(quillet));
    EXPECT_TRUE(staysTrue([&] { return quillet.clips().isEmpty(); }, kUnrecordedWindow))
        << "the text present at start is not a copy";

    copyWithXclip(x, "A");
    ASSERT_TRUE(quillet.holds({"A"}));
    copyWithXsel(x, "A");  // a new owner with the same text
    EXPECT_TRUE(staysTrue([&] { return quillet.clips() == QStringList{"A"}; }, kUnrecordedWindow));

    copyWithXsel(x, "B");
    ASSERT_TRUE(quillet.holds({"B", "A"}));

    copyWithXclip(x, "A");  // A B A: returning texts are recorded again
    ASSERT_TRUE(quillet.holds({"A", "B", "A"}));
}

TEST_F(HistoryE2E, RapidCopiesAreAllRecordedInOrder) {
    ASSERT_TRUE(started(quillet));
    // Each xclip gives up the clipboard, and exits, as soon as the next one takes it: a copy
    // that is not read at once is gone.
    QStringList newestFirst;
    for (int i = 1; i <= 20; ++i) {
        copyWithXclip(x, QStringLiteral("rapid %1").arg(i));
        newestFirst.prepend(QStringLiteral("rapid %1").arg(i));
        QThread::msleep(100);
    }
    EXPECT_TRUE(quillet.holds(newestFirst)) << qPrintable(quillet.clips().join(", "));
}

TEST_F(HistoryE2E, ALongClipIsStoredOffTheEventLoopAndListedOnceWritten) {
    ASSERT_TRUE(started(quillet));
    copyWithXclip(x, "before");
    ASSERT_TRUE(quillet.holds({"before"}));
    QByteArray random(6 << 20, Qt::Uninitialized);
    for (char& c : random) c = char('A' + QRandomGenerator::global()->bounded(26));
    const QString longText = QString::fromLatin1(random);

    // A second writer holds the store, so the write of the long clip waits for it, longer
    // than any answer may take. Were it written on the event loop, nothing would answer
    // until the lock went.
    StoreWriteLock otherWriter(quillet.storePath());
    ASSERT_TRUE(otherWriter.held());
    ChildProcess::Options options = ChildProcess::silent({x.displayVariable()});
    options.input = random;
    ChildProcess owner;  // quits once it has handed its text out
    ASSERT_TRUE(
        owner.start({"xclip", "-quiet", "-loops", "1", "-selection", "clipboard"}, options));
    ASSERT_TRUE(waitFor([&] { return !owner.isRunning(); }, 20s)) << "the long copy was not read";
    for (int i = 0; i < 4; ++i) {
        const qint64 ms = quillet.socketRoundTripMs(5000);
        ASSERT_GE(ms, 0) << "answer " << i << " never came";
        EXPECT_LT(ms, 1000) << "answer " << i << " waited for the store";
        QThread::msleep(250);
    }
    EXPECT_EQ(quillet.clips(), QStringList{"before"}) << "the write waits for the other writer";

    otherWriter.release();
    ASSERT_TRUE(quillet.holds(QStringList{longText, "before"}, 15s))
        << "listed once written";
    copyWithXclip(x, "after");
    EXPECT_TRUE(quillet.holds({"after", longText, "before"}));
}

TEST_F(HistoryE2E, AClipboardOwnerThatNeverAnswersDoesNotFreezeTheProgram) {
    ASSERT_TRUE(started(quillet));
    copyWithXclip(x, "before");
    ASSERT_TRUE(quillet.holds({"before"}));

    ChildProcess hung;
    ASSERT_TRUE(hung.start({targetBinary(), "--offer-and-hang", "never read"},
                           ChildProcess::silent({x.displayVariable(), "QT_QPA_PLATFORM=xcb"})));
    ASSERT_TRUE(waitFor([&] { return processState(hung.pid()) == 'T'; }, 5s))
        << "the owner took the clipboard and stopped";
    // While the owner is stopped, the program keeps answering, again and again, sooner than
    // one wait for the owner (1 s) would allow if the event loop were reading the clipboard.
    for (int i = 0; i < 6; ++i) {
        const qint64 ms = quillet.socketRoundTripMs(5000);
        ASSERT_GE(ms, 0) << "answer " << i << " never came";
        EXPECT_LT(ms, 1000) << "answer " << i << " waited for the clipboard owner";
    }
    copyWithXclip(x, "after");
    ASSERT_TRUE(quillet.holds({"after", "before"})) << "the next copy is recorded as usual";
    hung.sendSignal(SIGKILL);
    hung.stop();
}

TEST_F(HistoryE2E, HistorySurvivesARestart) {
    ASSERT_TRUE(started(quillet));
    copyWithXclip(x, "first run");
    ASSERT_TRUE(quillet.holds({"first run"}));
    ASSERT_TRUE(quillet.quit());

    copyWithXclip(x, "copied while not running");
    ASSERT_TRUE(started(quillet));
    copyWithXclip(x, "second run");
    ASSERT_TRUE(quillet.holds({"second run", "first run"}));
}

TEST_F(HistoryE2E, TextsHoldingNulBytesLoseNoLaterCopyAlsoAfterARestart) {
    ASSERT_TRUE(started(quillet));
    // Two NULs close together, then text offered as UTF-16 read as bytes.
    const QStringList hostile{QString::fromUtf8("before-nul\0after\0\0end-nul-marker", 32),
                              QString::fromUtf8("h\0e\0l\0l\0o\0", 10)};
    QStringList newestFirst;
    for (const QString& text : hostile) {
        copyWithXclip(x, text);
        newestFirst.prepend(text);
        ASSERT_TRUE(quillet.holds(newestFirst)) << "a text holding NUL is kept byte for byte";
    }
    // One at a time: what is tested is that each later copy is saved, not how fast they come.
    for (int i = 1; i <= 20; ++i) {
        copyWithXclip(x, QStringLiteral("after the NULs %1").arg(i));
        newestFirst.prepend(QStringLiteral("after the NULs %1").arg(i));
        ASSERT_TRUE(quillet.holds(newestFirst)) << "copy " << i << " after the NULs is saved";
    }
    ASSERT_TRUE(quillet.quit());

    ASSERT_TRUE(started(quillet));
    copyWithXclip(x, "after the restart");
    newestFirst.prepend("after the restart");
    ASSERT_TRUE(quillet.holds(newestFirst));
    QByteArray found;
    ASSERT_EQ(quillet.command("--status", &found), 0);
    EXPECT_FALSE(found.contains("Saving:")) << "no save is failing:\n" << found.constData();
}

TEST_F(HistoryE2E, AStoreThatCannotBeOpenedEndsTheProgramWithAMessage) {
    QDir().mkpath(QFileInfo(quillet.storePath()).absolutePath());
    QFile garbage(quillet.storePath());
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(4096, 'x'));
    garbage.close();
    ChildProcess::Options options;
    options.environment = quillet.environment();
    options.showErrors = false;
    // Standard error is what carries the message; run through a shell to capture it.
    const CommandResult result =
        runCommand({"sh", "-c", "\"$0\" 2>&1", quilletBinary()}, 10s, options);
    ASSERT_TRUE(result.finished);
    EXPECT_NE(result.exitCode, 0);
    EXPECT_TRUE(result.output.startsWith("Failed to initialize SwiftData container: "))
        << result.output.constData();
}

}  // namespace
}  // namespace quillet::test
