// The command socket's sync requests: each answered once, with its outcome, however the
// folder is spelled; one at a time.

#include <gtest/gtest.h>

#include <QTest>
#include <optional>

#include "app/SyncCommands.h"
#include "fakes/FakeSyncControl.h"

namespace quillet {
namespace {

class SyncCommandsTest : public ::testing::Test {
protected:
    // Sends `line`; the answers it got so far.
    bool send(const QString& line) {
        return commands.handle(
            line, [this](const InstanceChannel::Reply& reply) { answers.push_back(reply); });
    }

    test::FakeSyncControl sync;
    SyncCommands commands{sync};
    std::vector<InstanceChannel::Reply> answers;
};

TEST_F(SyncCommandsTest, FoldersAndCodesOfAnySpellingReachSyncWhole) {
    const QString folder = QStringLiteral("/home/me/My Sync/100% \"done\"\nnext line/ünï");
    ASSERT_TRUE(send(SyncCommands::initLine(folder)));
    EXPECT_FALSE(SyncCommands::initLine(folder).contains(u'\n'));
    ASSERT_EQ(sync.calls, QStringList{QStringLiteral("init ") + folder});
    emit sync.failed(QStringLiteral("no"));

    ASSERT_TRUE(send(SyncCommands::joinLine(folder, QStringLiteral("ABCD EFGH+/="))));
    EXPECT_EQ(sync.calls.last(),
              QStringLiteral("join ") + folder + QStringLiteral(" ABCD EFGH+/="));
}

TEST_F(SyncCommandsTest, StartingAnswersWithTheCodeOnTheLastLineOnceItIsReady) {
    ASSERT_TRUE(send(SyncCommands::initLine(QStringLiteral("/sync"))));
    EXPECT_TRUE(answers.empty()) << "no answer before the outcome";
    sync.becomeOn(QStringLiteral("/sync"), QStringLiteral("CODE-1234"));
    emit sync.pairingCodeReady(QStringLiteral("CODE-1234"));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_FALSE(answers[0].failed);
    const QStringList lines = answers[0].details.split(u'\n');
    EXPECT_EQ(lines.first(), QStringLiteral("Sync: /sync"));
    EXPECT_EQ(lines.last(), QStringLiteral("CODE-1234"));
    // Later news is no answer to it.
    emit sync.failed(QStringLiteral("later"));
    emit sync.pairingCodeReady(QStringLiteral("OTHER"));
    EXPECT_EQ(answers.size(), 1u);
}

TEST_F(SyncCommandsTest, AFailureIsAnsweredAsFailedWithItsReason) {
    ASSERT_TRUE(send(SyncCommands::joinLine(QStringLiteral("/sync"), QStringLiteral("bad"))));
    emit sync.failed(QStringLiteral("The pairing code is wrong."));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_TRUE(answers[0].failed);
    EXPECT_EQ(answers[0].details, QStringLiteral("The pairing code is wrong."));
    // The next request is taken again.
    ASSERT_TRUE(send(SyncCommands::joinLine(QStringLiteral("/sync"), QStringLiteral("good"))));
    emit sync.joined();
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_FALSE(answers[1].failed);
}

TEST_F(SyncCommandsTest, ASecondRequestWhileOneIsUnderWayIsTurnedAway) {
    ASSERT_TRUE(send(SyncCommands::initLine(QStringLiteral("/a"))));
    ASSERT_TRUE(send(SyncCommands::joinLine(QStringLiteral("/b"), QStringLiteral("c"))));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_TRUE(answers[0].failed);
    EXPECT_EQ(sync.calls, QStringList{QStringLiteral("init /a")}) << "sync never heard of it";
}

TEST_F(SyncCommandsTest, TurningOffAnswersOnceSyncSaysItIsOff) {
    sync.becomeOn(QStringLiteral("/sync"), QStringLiteral("C"));
    ASSERT_TRUE(send(QStringLiteral("sync-off")));
    EXPECT_EQ(sync.calls, QStringList{QStringLiteral("off")});
    EXPECT_TRUE(answers.empty());
    sync.becomeOff();
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].details, QStringLiteral("Sync: off"));

    // Already off: answered at once, nothing asked of sync.
    ASSERT_TRUE(send(QStringLiteral("sync-off")));
    EXPECT_EQ(answers.size(), 2u);
    EXPECT_EQ(sync.calls.size(), 1);
}

TEST_F(SyncCommandsTest, OtherAndMalformedRequests) {
    EXPECT_FALSE(send(QStringLiteral("status")));
    EXPECT_FALSE(send(QStringLiteral("sync-initialize /x")));
    EXPECT_TRUE(answers.empty());
    for (const char* line : {"sync-init", "sync-init /a /b", "sync-join /a", "sync-off now"}) {
        answers.clear();
        ASSERT_TRUE(send(QLatin1String(line))) << line;
        ASSERT_EQ(answers.size(), 1u) << line;
        EXPECT_TRUE(answers[0].failed) << line;
    }
    EXPECT_TRUE(sync.calls.isEmpty());
}

}  // namespace
}  // namespace quillet
