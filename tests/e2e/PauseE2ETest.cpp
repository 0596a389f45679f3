// Pausing the recording from the command line with real foreign owners: a copy made while
// paused is never read (an xclip that quits after serving its text once stays), nor read on
// resume; a timed pause says when it ends and outlasts a restart.

#include <gtest/gtest.h>

#include <QDateTime>

#include "e2e/E2EEnvironment.h"
#include "e2e/QuilletDriver.h"
#include "support/Wait.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

class PauseE2E : public ::testing::Test {
protected:
    PauseE2E() { quillet.addEnvironment({"LANGUAGE=en", "LANG=C.UTF-8", "LC_ALL=C.UTF-8"}); }

    // The output of `quillet <argument>`, which must succeed.
    QByteArray answer(const QString& argument) {
        QByteArray output;
        const int status = quillet.command(argument, &output);
        EXPECT_EQ(status, 0) << qPrintable(argument) << ": " << output.constData();
        return output;
    }
    QByteArray recordingLine() {
        for (const QByteArray& line : answer("--status").split('\n'))
            if (line.startsWith("Recording: ")) return line;
        return {};
    }

    // An owner that hands its text out twice and then quits. The test takes it once, which
    // also tells that the owner is in place: while it runs, nobody else read it.
    ChildProcess& ownerServingOnceMore(const QString& text) {
        ChildProcess::Options options = ChildProcess::silent({x.displayVariable()});
        options.input = text.toUtf8();
        EXPECT_TRUE(
            owner.start({"xclip", "-quiet", "-loops", "2", "-selection", "clipboard"}, options));
        ChildProcess::Options reading = ChildProcess::silent({x.displayVariable()});
        reading.captureOutput = true;
        EXPECT_TRUE(waitFor(
            [&] {
                return runCommand({"xclip", "-o", "-selection", "clipboard"}, 2s, reading).output ==
                       text.toUtf8();
            },
            5s))
            << "xclip never took the clipboard";
        return owner;
    }

    const XvfbSession& x = *e2eDisplay;
    QuilletDriver quillet{x};
    ChildProcess owner;
};

TEST_F(PauseE2E, ACopyMadeWhilePausedIsNeverReadAndResumingRecordsOnlyLaterCopies) {
    ASSERT_TRUE(started(quillet));
    EXPECT_EQ(recordingLine(), "Recording: on");
    EXPECT_EQ(answer("--pause"), "Recording: paused\n");
    EXPECT_EQ(recordingLine(), "Recording: paused");

    ChildProcess& secret = ownerServingOnceMore("secret");
    EXPECT_TRUE(staysTrue([&] { return secret.isRunning() && quillet.clips().isEmpty(); },
                          kUnrecordedWindow))
        << "the copy made while paused was read";

    EXPECT_EQ(answer("--resume"), "Recording: on\n");
    EXPECT_TRUE(staysTrue([&] { return secret.isRunning() && quillet.clips().isEmpty(); },
                          kUnrecordedWindow))
        << "resuming read what was copied during the pause";

    copyWithXclip(x, "after the pause");
    EXPECT_TRUE(quillet.holds(QStringList{"after the pause"}))
        << qPrintable(quillet.clips().join(", "));
}

TEST_F(PauseE2E, ATimedPauseSaysWhenItEndsAndOutlastsARestart) {
    ASSERT_TRUE(started(quillet));
    // The end in the C locale's short format; the minute may turn while the request runs.
    const auto endIn30 = [] {
        return "Recording: paused until " +
               QDateTime::currentDateTime().addSecs(30 * 60).toString("HH:mm").toUtf8();
    };
    const QByteArray before = endIn30();
    const QByteArray reply = answer("--pause-for=30").trimmed();
    EXPECT_TRUE(reply == before || reply == endIn30()) << reply.constData();

    ASSERT_TRUE(quillet.quit());
    ASSERT_TRUE(started(quillet));
    EXPECT_EQ(recordingLine(), reply) << "the pause did not survive the restart";
    copyWithXclip(x, "while paused, after a restart");
    EXPECT_TRUE(staysTrue([&] { return quillet.clips().isEmpty(); }, kUnrecordedWindow));

    EXPECT_EQ(answer("--resume"), "Recording: on\n");
    copyWithXclip(x, "recording again");
    EXPECT_TRUE(quillet.holds(QStringList{"recording again"}));
}

}  // namespace
}  // namespace quillet::test
