#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include "e2e/E2EEnvironment.h"
#include "e2e/QuilletDriver.h"
#include "support/Wait.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

class ForgetE2E : public ::testing::Test {
protected:
    const XvfbSession& x = *e2eDisplay;
    QuilletDriver quillet{x};

    // The store's files that hold the bytes, read as anyone with access to the disk would.
    QStringList filesHolding(const QByteArray& bytes) const {
        QStringList holding;
        for (const char* suffix : {"", "-wal", "-shm"}) {
            QFile file(quillet.storePath() + QLatin1String(suffix));
            if (file.open(QIODevice::ReadOnly) && file.readAll().contains(bytes))
                holding << QFileInfo(file).fileName();
        }
        return holding;
    }

    QByteArray clipboard() const {
        ChildProcess::Options options;
        options.environment = {x.displayVariable()};
        return runCommand({"xclip", "-o", "-selection", "clipboard"}, 10s, options).output;
    }

    void keys(const QStringList& names) { xdotool(x, QStringList{"key", "--delay", "60"} + names); }
};

TEST_F(ForgetE2E, ACopiedSecretIsForgottenFromTheListTheStoreAndItsFiles) {
    ASSERT_TRUE(started(quillet));
    const QByteArray secret = "my secret password Xq7-unique";
    for (const QByteArray& text : {QByteArray("first clip"), secret, QByteArray("third clip")}) {
        copyWithXclip(x, QString::fromUtf8(text));
        ASSERT_TRUE(waitFor([&] { return quillet.clips().contains(QString::fromUtf8(text)); }, 5s));
    }
    ASSERT_FALSE(filesHolding(secret).isEmpty()) << "the scan sees what is stored";

    ASSERT_EQ(quillet.command("--search"), 0);
    ASSERT_TRUE(waitFor([&] { return quilletIsActive(x); }, 5s));
    keys({"Down", "Delete"});  // the secret is the second newest
    ASSERT_TRUE(waitFor([&] { return visibleQuilletWindows(x) == 2; }, 5s))
        << "the question shows over the panel";
    EXPECT_EQ(quillet.clips().size(), 3) << "nothing forgotten before the answer";
    keys({"Return"});

    ASSERT_TRUE(waitFor(
        [&] {
            return quillet.clips() == QStringList{"third clip", "first clip"};
        },
        5s))
        << qPrintable(quillet.clips().join(", "));
    EXPECT_TRUE(waitFor([&] { return visibleQuilletWindows(x) == 1; }, 5s));
    EXPECT_TRUE(waitFor([&] { return filesHolding(secret).isEmpty(); }, 10s))
        << qPrintable(filesHolding(secret).join(", "));

    // The list lost the row too: the highlight now rests on the clip after it.
    ASSERT_TRUE(waitFor([&] { return quilletIsActive(x); }, 5s));
    keys({"Return"});
    EXPECT_TRUE(waitFor([&] { return clipboard() == "first clip"; }, 5s));
    EXPECT_TRUE(filesHolding("third clip").size() > 0) << "the other clips stay in the file";
}

}  // namespace
}  // namespace quillet::test
