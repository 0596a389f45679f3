// The command socket under abuse: many idle connections, an endless line, the socket file
// deleted, a burst of thousands of requests, a flood under a tiny descriptor limit. Each time
// `quillet --status` must keep working, and a request that arrived is answered.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <algorithm>
#include <csignal>
#include <cstring>
#include <future>
#include <memory>
#include <vector>

#include "app/InstanceChannel.h"
#include "e2e/E2EEnvironment.h"
#include "e2e/QuilletDriver.h"
#include "support/Wait.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

// Opens `count` connections at once, sends "status" on each and reads every answer; returns
// how many answered "ok". A connection the full listen queue turns away is tried again, as
// the launcher does.
int burst(const QString& socketPath, int count, std::chrono::milliseconds within) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(socketPath);
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()) + 1);
    struct Client {
        int fd = -1;
        bool finished = false;
        QByteArray answer;
    };
    std::vector<Client> clients(static_cast<size_t>(count));
    int finished = 0;
    QElapsedTimer clock;
    clock.start();
    while (finished < count && clock.elapsed() < within.count()) {
        std::vector<pollfd> waiting;
        std::vector<Client*> owners;
        for (Client& client : clients) {
            if (client.finished) continue;
            if (client.fd < 0) {
                client.fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
                if (::connect(client.fd, reinterpret_cast<const sockaddr*>(&address),
                              sizeof address) != 0) {
                    const bool queueFull = errno == EAGAIN;
                    ::close(client.fd);
                    client.fd = -1;
                    if (!queueFull) {
                        client.finished = true;
                        ++finished;
                    }
                    continue;
                }
                ::send(client.fd, "status\n", 7, MSG_NOSIGNAL);
            }
            waiting.push_back(pollfd{client.fd, POLLIN, 0});
            owners.push_back(&client);
        }
        ::poll(waiting.data(), waiting.size(), 20);
        for (size_t i = 0; i < waiting.size(); ++i) {
            if (!(waiting[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buffer[4096];
            const ssize_t n = ::read(waiting[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                owners[i]->answer.append(buffer, n);
                continue;
            }
            ::close(owners[i]->fd);
            owners[i]->finished = true;
            ++finished;
        }
    }
    int answered = 0;
    for (const Client& client : clients) {
        if (client.fd >= 0 && !client.finished) ::close(client.fd);
        answered += client.answer.startsWith("ok\n") ? 1 : 0;
    }
    return answered;
}

// The soft descriptor limit of a running process, from /proc.
qint64 softDescriptorLimit(qint64 pid) {
    QFile limits(QStringLiteral("/proc/%1/limits").arg(pid));
    if (!limits.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : limits.readAll().split('\n'))
        if (line.startsWith("Max open files"))
            return line.mid(14).simplified().split(' ').first().toLongLong();
    return -1;
}

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
    // At most the connections served at once stay open, not the idle thousand.
    EXPECT_LE(openDescriptors(), descriptorsBefore + InstanceChannel::maxConnections + 4)
        << "idle clients pile up";

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

TEST_F(CommandSocketE2E, EveryRequestOfABurstOfTwoThousandIsAnsweredAndTheCommandLineToo) {
    constexpr int kBurst = 2000;
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    if (limit.rlim_cur < rlim_t(kBurst + 100)) GTEST_SKIP() << "too few descriptors here";
    auto answered =
        std::async(std::launch::async, [&] { return burst(socketPath(), kBurst, 60s); });
    // The command line waits its turn in the queue rather than giving up.
    for (int i = 0; i < 5; ++i) EXPECT_EQ(quillet.command("--status"), 0) << "call " << i;
    EXPECT_EQ(answered.get(), kBurst);
    EXPECT_TRUE(quillet.process().isRunning());
}

// The program holds about 28 descriptors once started on X11 (X connections, the clipboard
// threads' wake-ups, the store); 40 leaves it a little room above its reserve.
TEST(LowDescriptorLimitE2E, AFloodUnderFortyDescriptorsLeavesTheProgramServing) {
    QuilletDriver quillet{*e2eDisplay};
    quillet.setDescriptorLimits(40, 40);
    ASSERT_TRUE(started(quillet));
    const QString socket = quillet.home().file("run") + "/quillet.sock";
    for (int round = 0; round < 3; ++round) burst(socket, 500, 10s);
    ASSERT_TRUE(quillet.process().isRunning()) << quillet.process().output().constData();
    EXPECT_TRUE(waitFor([&] { return quillet.command("--status") == 0; }, 10s));
    EXPECT_EQ(burst(socket, 20, 10s), 20) << "requests one after another are all served";
}

TEST(LowDescriptorLimitE2E, ALoweredSoftLimitIsRaisedToTheHardOne) {
    QuilletDriver quillet{*e2eDisplay};
    quillet.setDescriptorLimits(21, 4096);
    ASSERT_TRUE(started(quillet));
    EXPECT_EQ(softDescriptorLimit(quillet.process().pid()), 4096);
}

}  // namespace
}  // namespace quillet::test
