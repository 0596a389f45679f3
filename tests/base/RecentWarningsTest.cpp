#include <gtest/gtest.h>

#include <QLoggingCategory>
#include <thread>
#include <vector>

#include "base/RecentWarnings.h"

namespace quillet {
namespace {

Q_LOGGING_CATEGORY(lcTest, "quillet.test")

QtMessageHandler g_outer = nullptr;
int g_passedOn = 0;

void countingHandler(QtMsgType, const QMessageLogContext&, const QString&) { ++g_passedOn; }

class RecentWarningsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The handler installed first stands for the default one that prints to stderr.
        g_outer = qInstallMessageHandler(countingHandler);
        RecentWarnings::install();
    }
    void SetUp() override {
        RecentWarnings::clear();
        g_passedOn = 0;
    }
};

TEST_F(RecentWarningsTest, KeepsTheNewestWarningsWithTheirCategoryAndPassesEveryMessageOn) {
    qCInfo(lcTest) << "an info line is not a warning";
    for (int i = 1; i <= RecentWarnings::capacity + 2; ++i) qCWarning(lcTest).noquote() << "w" << i;
    qCritical("a critical one");

    const std::vector<RecentWarnings::Entry> entries = RecentWarnings::entries();
    ASSERT_EQ(entries.size(), std::size_t(RecentWarnings::capacity));
    EXPECT_EQ(entries.front().text, "quillet.test: w 4") << "the oldest ones make room";
    EXPECT_EQ(entries[entries.size() - 2].text, "quillet.test: w 7");
    EXPECT_EQ(entries.back().text, "a critical one") << "no name for the default category";
    EXPECT_EQ(g_passedOn, RecentWarnings::capacity + 4) << "stderr still gets every message";
    EXPECT_TRUE(RecentWarnings::lines().back().endsWith(" a critical one"));
}

TEST_F(RecentWarningsTest, AQuotedTextCannotBreakTheStatusLayout) {
    RecentWarnings::keep("quillet.clipboard", "owner \"evil\x1b[2J\nline two\"",
                         QDateTime::currentDateTime());
    RecentWarnings::keep("quillet.app", QString(5000, u'x'), QDateTime::currentDateTime());
    const QStringList lines = RecentWarnings::lines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_FALSE(lines[0].contains(u'\n'));
    EXPECT_FALSE(lines[0].contains(QChar(0x1b)));
    EXPECT_TRUE(lines[0].contains("line two"));
    EXPECT_LE(lines[1].size(), RecentWarnings::maxTextLength + 20);
    EXPECT_TRUE(lines[1].endsWith(u'…'));
}

TEST_F(RecentWarningsTest, AnEarlierDaysWarningShowsItsDate) {
    const QDateTime yesterday = QDateTime::currentDateTime().addDays(-1);
    RecentWarnings::keep("quillet.store", "disk full", yesterday);
    EXPECT_EQ(RecentWarnings::lines().value(0),
              yesterday.toString("yyyy-MM-dd HH:mm:ss") + " quillet.store: disk full");
}

TEST_F(RecentWarningsTest, WarningsFromManyThreadsAreAllCountedAndNoneTorn) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 500; ++i) qCWarning(lcTest).noquote() << "thread" << t;
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(g_passedOn, 2000);
    for (const RecentWarnings::Entry& entry : RecentWarnings::entries())
        EXPECT_TRUE(entry.text.startsWith("quillet.test: thread ")) << entry.text.toStdString();
}

}  // namespace
}  // namespace quillet
