// A disk that fills up while Quillet runs: the clips it could not save survive quitting and
// come back at the next start, and --status says meanwhile that saves are failing.

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>

#include "e2e/E2EEnvironment.h"
#include "e2e/QuilletDriver.h"
#include "support/Wait.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

class HeldChangesE2E : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "a small private disk needs root (mount namespace)";
        // Private to this test process and its children: the host's mounts stay untouched.
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            GTEST_SKIP() << "no private mount namespace here: " << std::strerror(errno);
        m_data = quillet.home().file("data");
        QDir().mkpath(m_data);
        if (::mount("tmpfs", qPrintable(m_data), "tmpfs", 0, "size=4m,mode=0700") != 0)
            GTEST_SKIP() << "cannot mount a small tmpfs: " << std::strerror(errno);
        m_mounted = true;
    }
    void TearDown() override {
        quillet.quit();
        if (m_mounted) ::umount2(qPrintable(m_data), MNT_DETACH);
    }

    // Writes `name` until the disk is full.
    void fill(const QString& name) {
        QFile file(m_data + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const QByteArray chunk(64 * 1024, 'x');
        while (file.write(chunk) == chunk.size() && file.flush()) {
        }
    }
    // `quillet --quit`, its standard error kept in the output.
    CommandResult quitCommand() {
        ChildProcess::Options options;
        options.environment = quillet.environment();
        options.keepErrors = true;
        return runCommand({quilletBinary(), "--quit"}, 10s, options);
    }
    QString status() { return QString::fromUtf8(quillet.status()); }

    QuilletDriver quillet{*e2eDisplay};
    QString m_data;
    bool m_mounted = false;
};

TEST_F(HeldChangesE2E, ClipsHeldBackByAFullDiskSurviveQuittingAndComeBackAtTheNextStart) {
    quillet.keepErrors();
    ASSERT_TRUE(started(quillet));
    copyWithXclip(*e2eDisplay, "saved before");
    ASSERT_TRUE(waitFor([&] { return quillet.clips().contains("saved before"); }, 5s));
    EXPECT_FALSE(status().contains("Saving:")) << "nothing to say while saves work";

    // A few pages stay free for later, as a disk that someone frees a little.
    {
        QFile slack(m_data + "/slack");
        ASSERT_TRUE(slack.open(QIODevice::WriteOnly));
        ASSERT_EQ(slack.write(QByteArray(8 * 1024, 's')), 8 * 1024);
    }
    fill("filler");
    const QStringList held{"held one", "held two", "held three"};
    for (qsizetype i = 0; i < held.size(); ++i) {
        copyWithXclip(*e2eDisplay, held[i]);
        const QString kept = QStringLiteral("; %1 changes kept in memory").arg(i + 1);
        ASSERT_TRUE(waitFor([&] { return status().contains(kept); }, 5s)) << qPrintable(status());
    }
    EXPECT_TRUE(status().contains("Saving: failing since")) << qPrintable(status());
    // The user who looks at the status finds the failure among the recent warnings too.
    EXPECT_TRUE(QRegularExpression("\nRecent warnings:\n(  .*\n)*  \\d\\d:\\d\\d:\\d\\d "
                                   "quillet\\.store: save failed")
                    .match(status())
                    .hasMatch())
        << qPrintable(status());

    ASSERT_TRUE(QFile::remove(m_data + "/slack"));
    const CommandResult quit = quitCommand();
    EXPECT_EQ(quit.exitCode, 0) << quit.output.constData();
    ASSERT_TRUE(quillet.process().waitForExit(10s));
    EXPECT_TRUE(quit.output.isEmpty() || quit.output.contains("held-changes.jsonl"))
        << "what could not be saved is named with where it is kept: " << quit.output.constData();

    ASSERT_TRUE(QFile::remove(m_data + "/filler"));
    ASSERT_TRUE(started(quillet));
    ASSERT_TRUE(waitFor([&] { return quillet.clips().size() == 4; }, 5s))
        << qPrintable(quillet.clips().join(", "));
    EXPECT_EQ(quillet.clips(), (QStringList{"held three", "held two", "held one", "saved before"}));
    EXPECT_FALSE(QFile::exists(m_data + "/quillet/held-changes.jsonl")) << "removed once saved";
    EXPECT_FALSE(status().contains("Saving:"));
}

TEST_F(HeldChangesE2E, QuittingWhenNothingCanHoldTheClipsSaysSoAndFails) {
    ASSERT_TRUE(started(quillet));
    copyWithXclip(*e2eDisplay, "saved before");
    ASSERT_TRUE(waitFor([&] { return quillet.clips().contains("saved before"); }, 5s));
    fill("filler");
    copyWithXclip(*e2eDisplay, "lost one");
    ASSERT_TRUE(waitFor([&] { return status().contains("no copy on disk"); }, 5s))
        << qPrintable(status());

    const CommandResult quit = quitCommand();
    EXPECT_EQ(quit.exitCode, 1);
    EXPECT_TRUE(quit.output.contains("they are lost")) << quit.output.constData();
    EXPECT_TRUE(quit.output.contains("held-changes.jsonl")) << quit.output.constData();
    EXPECT_TRUE(quillet.process().waitForExit(10s));
}

}  // namespace
}  // namespace quillet::test
