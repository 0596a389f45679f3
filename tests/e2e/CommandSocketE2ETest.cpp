// The command socket under abuse: more idle connections than quillet may have descriptors, an
// endless line, the socket file deleted. Each time `quillet --status` must keep working.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <algorithm>
#include <csignal>
#include <memory>
#include <vector>

#include "e2e/E2EEnvironment.h"
#include "e2e/QuilletDriver.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

class CommandSocketE2E : public ::testing::Test {
protected:
    // Quillet starts under a limit of 1,024 descriptors (the common default) and this test
    // takes more for itself, so it can open more connections than quillet could ever hold.
    void SetUp() override {
        rlimit limit{};
        ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
        if (limit.rlim_max < rlim_t(kIdleClients + 100))
            GTEST_SKIP() << "the hard descriptor limit here is below " << kIdleClients + 100;
        rlimit forQuillet = limit;
        forQuillet.rlim_cur = std::min<rlim_t>(1024, limit.rlim_max);
        ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &forQuillet), 0);
        QString error;
        const bool started = quillet.start(&error);
        rlimit forUs = limit;
        forUs.rlim_cur = std::max<rlim_t>(limit.rlim_cur, rlim_t(kIdleClients + 100));
        setrlimit(RLIMIT_NOFILE, &forUs);
        ASSERT_TRUE(started) << qPrintable(error);
    }

    static constexpr int kIdleClients = 1100;

    QString socketPath() { return quillet.home().file("run") + "/quillet.sock"; }

    int openDescriptors() {
        return int(QDir(QStringLiteral("/proc/%1/fd").arg(quillet.process().pid()))
                       .entryList(QDir::NoDotAndDotDot | QDir::AllEntries)
                       .size());
    }

    QuilletDriver quillet{*e2eDisplay};
};

TEST_F(CommandSocketE2E, IdleConnectionsAndAnEndlessLineCannotCutTheCommandLine) {
    const int descriptorsBefore = openDescriptors();
    std::vector<std::unique_ptr<QLocalSocket>> idle;
    for (int i = 0; i < kIdleClients; ++i) {
        idle.push_back(std::make_unique<QLocalSocket>());
        idle.back()->connectToServer(socketPath());
        idle.back()->waitForConnected(1000);
    }
    EXPECT_GE(quillet.socketRoundTripMs(5000), 0) << "a request among idle connections";
    EXPECT_EQ(quillet.command("--status"), 0);
    EXPECT_LT(openDescriptors(), descriptorsBefore + 20) << "idle clients pile up";

    QLocalSocket endless;
    endless.connectToServer(socketPath());
    ASSERT_TRUE(endless.waitForConnected(1000));
    const QByteArray megabyte(1 << 20, 'x');
    endless.write(megabyte);
    endless.waitForBytesWritten(2000);
    QByteArray answer;
    EXPECT_TRUE(waitFor(
        [&] {
            endless.waitForReadyRead(50);
            answer += endless.readAll();
            return endless.state() == QLocalSocket::UnconnectedState;
        },
        5s))
        << "a line without end is cut off";
    EXPECT_EQ(answer, "request too long\n");
    EXPECT_EQ(quillet.command("--status"), 0);
}

TEST_F(CommandSocketE2E, ADeletedSocketFileIsMadeAgain) {
    ASSERT_TRUE(QFile::remove(socketPath()));
    QByteArray output;
    EXPECT_NE(quillet.command("--status", &output), 0);
    // The listener is checked every few seconds.
    EXPECT_TRUE(waitFor([&] { return quillet.command("--status") == 0; }, 15s));
}

TEST_F(CommandSocketE2E, AStoppedInstanceIsToldFromOneThatIsNotRunning) {
    // The kernel accepts the connection, but no answer ever comes: the client gives up after
    // its time-out and says so on standard error, where "not running" would be on the output.
    quillet.process().sendSignal(SIGSTOP);
    QByteArray output;
    EXPECT_EQ(quillet.command("--status", &output), 1);
    EXPECT_EQ(output, "");
    quillet.process().sendSignal(SIGCONT);
    EXPECT_EQ(quillet.command("--status", &output), 0);
    EXPECT_TRUE(output.startsWith("Quillet is running.\n")) << output.constData();
}

}  // namespace
}  // namespace quillet::test
