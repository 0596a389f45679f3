#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>

#include "store/StoreCheck.h"
#include "store/StoreFixture.h"

namespace quillet::test {
namespace {

class StoreCheckTest : public StoreFixture {
protected:
    // Runs a check of the fixture's file and returns (sound, problems).
    std::pair<bool, QString> check() {
        StoreCheck check(dir.file("store/history.sqlite"));
        QSignalSpy finished(&check, &StoreCheck::finished);
        check.start();
        if (!finished.wait(20000)) return {false, QStringLiteral("no answer")};
        return {finished.at(0).at(0).toBool(), finished.at(0).at(1).toString()};
    }
};

TEST_F(StoreCheckTest, ASoundStorePassesAndDamagedPagesAreFound) {
    for (int i = 0; i < 3000; ++i)
        storage->context().insert(
            std::make_shared<ClipItem>(QString("clip %1 ").arg(i).repeated(20), start.addSecs(i)));
    ASSERT_TRUE(storage->context().save());
    storage.reset();  // everything checkpointed into the file
    EXPECT_EQ(check(), std::make_pair(true, QString()));

    QFile file(dir.file("store/history.sqlite"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_GT(file.size(), 400'000);
    file.seek(file.size() / 2);
    file.write(QByteArray(64 * 1024, '\xA5'));  // a run of pages in the middle
    file.close();
    const auto [sound, problems] = check();
    EXPECT_FALSE(sound);
    EXPECT_FALSE(problems.isEmpty());
}

}  // namespace
}  // namespace quillet::test
