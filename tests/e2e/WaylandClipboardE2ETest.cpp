#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QThread>

#include "e2e/QuilletDriver.h"
#include "e2e/WaylandE2EEnvironment.h"
#include "support/Wait.h"

namespace quillet::test {

namespace {

using namespace std::chrono_literals;

bool wlCopy(const QString& text) {
    return runCommand({"wl-copy", text}, 5s, clientOptions()).exitCode == 0;
}

// Our own clipboard source, offering `offers` (type, content, type, content...); true once it owns
// the selection.
bool startSource(ChildProcess& source, const QStringList& offers) {
    if (!source.start(QStringList{QStringLiteral(WAYLAND_SOURCE_BINARY)} + offers, clientOptions()))
        return false;
    return waitFor([&] { return source.output().contains("ready"); }, 5s);
}

class WaylandClipboard : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(quillet.start(&error)) << qPrintable(error);
    }
    QuilletDriver quillet{*e2eCompositor};
};

}  // namespace

// The rig itself: a foreign client copies and another pastes through the compositor.
TEST(WaylandRig, ForeignClientsShareTheClipboard) {
    ASSERT_TRUE(wlCopy("through the rig"));
    const CommandResult paste = runCommand({"wl-paste", "--no-newline"}, 5s, clientOptions());
    EXPECT_EQ(paste.output, "through the rig") << qPrintable(e2eCompositor->log());
}

TEST_F(WaylandClipboard, StatusNamesTheDataControlProtocol) {
    QByteArray status;
    ASSERT_EQ(quillet.command("--status", &status), 0);
    EXPECT_TRUE(status.contains("Wayland (sway)")) << status.constData();
    EXPECT_TRUE(status.contains("wlr-data-control-unstable-v1")) << status.constData();
}

// Each copy replaces the previous owner at once; every one must still be read, in order.
TEST_F(WaylandClipboard, QuickCopiesAreAllRecordedInOrder) {
    QStringList copied;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer timer;
        timer.start();
        copied.prepend(QStringLiteral("quick copy %1").arg(i));
        ASSERT_TRUE(wlCopy(copied.first()));
        QThread::msleep(static_cast<unsigned long>(std::max<qint64>(0, 50 - timer.elapsed())));
    }
    EXPECT_TRUE(waitFor([&] { return quillet.clips().mid(0, 20) == copied; }, 10s))
        << qPrintable(quillet.clips().mid(0, 20).join(", "));
}

TEST_F(WaylandClipboard, ASelectionOfferedWhilePausedIsNeverReadNotEvenOnResume) {
    ASSERT_EQ(quillet.command("--pause"), 0);
    ChildProcess secret;
    ASSERT_TRUE(startSource(secret, {"text/plain;charset=utf-8", "copied while paused"}));
    const auto unread = [&] {
        return !secret.output().contains("sent") &&
               quillet.clips().value(0) != "copied while paused";
    };
    EXPECT_TRUE(staysTrue(unread, kUnrecordedWindow)) << "read while paused";
    ASSERT_EQ(quillet.command("--resume"), 0);
    EXPECT_TRUE(staysTrue(unread, kUnrecordedWindow)) << "read on resume";
    ASSERT_TRUE(wlCopy("after the pause"));
    EXPECT_TRUE(quillet.recordedFirst("after the pause"));
}

TEST_F(WaylandClipboard, SecretsFromPasswordManagersAreNotRecorded) {
    ChildProcess secret;
    ASSERT_TRUE(startSource(
        secret, {"text/plain;charset=utf-8", "hunter2", "x-kde-passwordManagerHint", "secret"}));
    // A hint that says anything else is an ordinary copy.
    ChildProcess plain;
    ASSERT_TRUE(startSource(plain, {"text/plain;charset=utf-8", "not a secret",
                                    "x-kde-passwordManagerHint", "public"}));
    EXPECT_TRUE(quillet.recordedFirst("not a secret"));
    ASSERT_TRUE(wlCopy("after the secret"));
    EXPECT_TRUE(quillet.recordedFirst("after the secret"));
    EXPECT_FALSE(quillet.clips().contains("hunter2"));
}

// A source that takes the request and never writes must not hold up the copies after it.
TEST_F(WaylandClipboard, ASourceThatNeverAnswersDoesNotStopTheNextCopy) {
    ChildProcess hung;
    ASSERT_TRUE(startSource(hung, {"--hang", "text/plain;charset=utf-8", "stuck"}));
    ASSERT_TRUE(wlCopy("after the hung source"));
    EXPECT_TRUE(quillet.recordedFirst("after the hung source"));
    ChildProcess hungAgain;
    ASSERT_TRUE(startSource(hungAgain, {"--hang", "text/plain;charset=utf-8", "stuck again"}));
    // Past the read's deadline the reader is free again.
    QThread::sleep(2);
    ASSERT_TRUE(wlCopy("after the deadline"));
    EXPECT_TRUE(quillet.recordedFirst("after the deadline"));
    EXPECT_FALSE(quillet.clips().contains("stuck"));
    EXPECT_FALSE(quillet.clips().contains("stuck again"));
}

}  // namespace quillet::test
