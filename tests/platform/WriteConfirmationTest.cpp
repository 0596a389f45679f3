#include <gtest/gtest.h>

#include <QTest>
#include <optional>
#include <vector>

#include "platform/WriteConfirmation.h"
#include "support/Wait.h"

namespace quillet {
namespace {

using namespace std::chrono_literals;

// Answers collected from WriteConfirmation::wait, in order.
struct Answers {
    std::vector<bool> got;
    auto collector() {
        return [this](bool ok) { got.push_back(ok); };
    }
};

TEST(WriteConfirmationTest, OnlyOurTextSeenOnTheClipboardConfirmsTheWrite) {
    WriteConfirmation confirmation(60'000);
    Answers answers;
    confirmation.wait(answers.collector());
    EXPECT_EQ(answers.got, std::vector<bool>{false}) << "nothing written, nothing to confirm";

    confirmation.expect("chosen");
    confirmation.wait(answers.collector());
    confirmation.wait(answers.collector());
    // The clipboard still holding the old text, or nothing at all, is no answer yet.
    confirmation.observe(QString("older clip"));
    confirmation.observe(std::nullopt);
    EXPECT_EQ(answers.got.size(), 1u);
    confirmation.observe(QString("chosen"));
    EXPECT_EQ(answers.got, (std::vector<bool>{false, true, true}));
    confirmation.wait(answers.collector());
    EXPECT_EQ(answers.got.back(), true) << "asked after the fact";
}

TEST(WriteConfirmationTest, ARefusalAnswersAtOnceAndANewWriteStartsAfresh) {
    WriteConfirmation confirmation(60'000);
    Answers answers;
    confirmation.expect("first");
    confirmation.wait(answers.collector());
    confirmation.refuse("the thread did not take it");
    EXPECT_EQ(answers.got, std::vector<bool>{false});
    confirmation.wait(answers.collector());
    EXPECT_EQ(answers.got.back(), false);

    // A second choice replaces the first: its waiters follow the newest text.
    confirmation.expect("second");
    confirmation.wait(answers.collector());
    confirmation.expect("third");
    confirmation.wait(answers.collector());
    confirmation.observe(QString("second"));
    EXPECT_EQ(answers.got.size(), 2u) << "the clipboard shows an older write of ours";
    confirmation.observe(QString("third"));
    EXPECT_EQ(answers.got, (std::vector<bool>{false, false, true, true}));
}

TEST(WriteConfirmationTest, UnseenByTheDeadlineIsAFailureThatALateSightingRepairs) {
    WriteConfirmation confirmation(1);
    Answers answers;
    confirmation.expect("chosen");
    confirmation.wait(answers.collector());
    ASSERT_TRUE(test::waitFor([&] { return !answers.got.empty(); }, 5s));
    EXPECT_EQ(answers.got, std::vector<bool>{false});

    confirmation.observe(QString("chosen"));
    EXPECT_EQ(answers.got.size(), 1u) << "each waiter hears once";
    confirmation.wait(answers.collector());
    EXPECT_EQ(answers.got.back(), true);
}

}  // namespace
}  // namespace quillet
