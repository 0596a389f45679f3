// The command socket under abuse: idle connections by the hundred, an endless line, the socket
// file deleted. Each time `quillet --status` must keep working.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <memory>
#include <vector>

#include "e2e/E2EEnvironment.h"
#include "e2e/QuilletDriver.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

class CommandSocketE2E : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(quillet.start(&error)) << qPrintable(error);
    }

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
    for (int i = 0; i < 300; ++i) {
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

}  // namespace
}  // namespace quillet::test
