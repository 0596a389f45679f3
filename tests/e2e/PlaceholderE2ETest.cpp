#include <QDate>

#include "e2e/PasteTargetFixture.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

// Phrases with placeholders pasted from the phrase menu into the Qt target window.
class PlaceholderE2E : public PasteTargetFixture {
protected:
    void SetUp() override {
        PasteTargetFixture::SetUp();
        startQuilletAndTarget();
        quillet.addPhraseCategory(
            "Fill", 0,
            {{"Caret", "a{cursor}b"},
             {"Today", "{date:yyyy-MM-dd}"},
             {"Form", "Dear {input:Name}, {choice:Tone=warm|cool}{cursor}!"},
             {"Quote", "> {clipboard}"}});
    }
    // Opens the phrase menu and chooses the `index`th phrase of the first category.
    void choosePhrase(int index) {
        ASSERT_EQ(quillet.command("--phrase-menu"), 0);
        ASSERT_TRUE(waitFor([&] { return quilletWindowVisible(x); }, 5s));
        QStringList keys;
        for (int i = 0; i < index; ++i) keys << "Down";
        chooseInFirstSubmenu(x, keys << "Return");
    }
};

TEST_F(PlaceholderE2E, TheCaretStaysAtTheMarkAndDatesAreToday) {
    choosePhrase(0);
    ASSERT_TRUE(targetReceives("ab")) << qPrintable(targetText());
    ASSERT_TRUE(waitFor([&] { return targetCaret() == 1; }, 5s)) << "caret at " << targetCaret();
    xdotool(x, {"type", "X"});
    ASSERT_TRUE(targetReceives("aXb")) << qPrintable(targetText());

    xdotool(x, {"key", "ctrl+End"});
    choosePhrase(1);
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    EXPECT_TRUE(targetReceives("aXb" + today)) << qPrintable(targetText());
}

TEST_F(PlaceholderE2E, AFormFilledByKeysPastesItsAnswersAndEscapePastesNothing) {
    choosePhrase(2);
    ASSERT_TRUE(waitFor([&] { return quilletIsActive(x); }, 5s)) << "the form has the keyboard";
    xdotool(x, {"type", "--delay", "30", "Bo"});
    xdotool(x, {"key", "Tab", "Down", "Return"});
    ASSERT_TRUE(targetReceives("Dear Bo, cool!")) << qPrintable(targetText());
    ASSERT_TRUE(waitFor([&] { return targetCaret() == 13; }, 5s)) << "caret at " << targetCaret();

    choosePhrase(2);
    ASSERT_TRUE(waitFor([&] { return quilletIsActive(x); }, 5s));
    xdotool(x, {"type", "--delay", "30", "Cy"});
    xdotool(x, {"key", "Escape"});
    ASSERT_TRUE(waitFor([&] { return targetIsActive(x); }, 5s)) << "the keyboard is back";
    EXPECT_TRUE(staysTrue([&] { return targetText() == "Dear Bo, cool!"; }, 1s))
        << qPrintable(targetText());
}

// While recording is paused nothing copied is read, so the clipboard's text for a phrase is read
// for that paste alone: the copy made during the pause, not the last one recorded.
TEST_F(PlaceholderE2E, APausedRecordingStillGivesAPhraseTheClipboardAsItIsAndKeepsNothing) {
    copyAll({"recorded before the pause"});
    ASSERT_EQ(quillet.command("--pause"), 0);
    copyWithXclip(x, "copied while paused");
    choosePhrase(3);
    ASSERT_TRUE(targetReceives("> copied while paused")) << qPrintable(targetText());
    EXPECT_FALSE(quillet.clips().contains("copied while paused"));
}

}  // namespace
}  // namespace quillet::test
