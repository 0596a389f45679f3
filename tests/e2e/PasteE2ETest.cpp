#include "e2e/PasteTargetFixture.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

// A foreign text window is active; quillet pastes into it through XTest.
class PasteE2E : public PasteTargetFixture {
protected:
    void SetUp() override {
        PasteTargetFixture::SetUp();
        if (!HasFatalFailure()) startQuilletAndTarget();
    }
    void openedByCommand(const QString& argument) {
        ASSERT_EQ(quillet.command(argument), 0);
        ASSERT_TRUE(waitFor([&] { return quilletWindowVisible(x); }, 5s)) << "nothing shown";
    }
};

TEST_F(PasteE2E, HistoryMenuDigitPastesThatClipIntoTheActiveWindow) {
    copyAll({"alpha", "bravo", "charlie"});
    openedByCommand("--history-menu");
    xdotool(x, {"key", "2"});
    ASSERT_TRUE(targetReceives("bravo")) << "got: " << qPrintable(targetText());
    EXPECT_FALSE(quilletWindowVisible(x));
    EXPECT_TRUE(waitFor(
        [&] {
            return quillet.clips() == QStringList{"bravo", "charlie", "alpha"};
        },
        5s))
        << "the chosen clip moved to the top without a duplicate";
    EXPECT_TRUE(staysTrue([&] { return quillet.clips().size() == 3; }, kUnrecordedWindow))
        << "our own clipboard write is not recorded";
}

TEST_F(PasteE2E, SearchPanelFiltersAndPastesTheHighlightedClip) {
    copyAll({"red apple", "green pear", "green apple", "blue plum"});
    openedByCommand("--search");
    xdotool(x, {"type", "--delay", "30", "apple"});
    xdotool(x, {"key", "Down", "Return"});
    ASSERT_TRUE(targetReceives("red apple")) << "got: " << qPrintable(targetText());
    EXPECT_TRUE(waitFor([&] { return quillet.clips().value(0) == "red apple"; }, 5s));
    EXPECT_EQ(quillet.clips().size(), 4);
}

TEST_F(PasteE2E, PhraseMenuPastesTheBodyAndLeavesTheHistoryAlone) {
    quillet.addPhraseCategory("Greetings", 0,
                              {{"Hi", "Hello there,\nthanks!"}, {"Bye", "Goodbye"}});
    copyAll({"history item"});
    openedByCommand("--phrase-menu");
    chooseInFirstSubmenu(x, {"Down", "Return"});
    ASSERT_TRUE(targetReceives("Goodbye")) << "got: " << qPrintable(targetText());
    EXPECT_TRUE(staysTrue([&] { return quillet.clips() == QStringList{"history item"}; },
                          kUnrecordedWindow));
}

}  // namespace
}  // namespace quillet::test
