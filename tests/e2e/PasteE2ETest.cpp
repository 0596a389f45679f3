#include <gtest/gtest.h>

#include <QFile>

#include "e2e/E2EEnvironment.h"
#include "e2e/QuilletDriver.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

// A foreign text window is active; quillet pastes into it through XTest.
class PasteE2E : public ::testing::Test {
protected:
    void SetUp() override {
        const QByteArray extensions = runCommand({"xdpyinfo", "-queryExtensions"}, 5s).output;
        ASSERT_TRUE(extensions.contains("XTEST")) << "xdotool and our paste need XTest";
        QString error;
        ASSERT_TRUE(quillet.start(&error)) << qPrintable(error);
        startTarget();
    }

    void startTarget() {
        ChildProcess::Options options;
        options.environment = {x.displayVariable(), "QT_QPA_PLATFORM=xcb"};
        options.captureOutput = false;
        ASSERT_TRUE(target.start({targetBinary(), targetFile}, options));
        ASSERT_TRUE(waitFor(
            [&] { return targetIsActive(x); },
            10s))
            << "the target window became active";
    }

    QString targetText() const {
        QFile file(targetFile);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    bool targetReceives(const QString& text) {
        return waitFor([&] { return targetText() == text; }, 5s);
    }
    void copyAll(const QStringList& oldestFirst) {
        for (const QString& text : oldestFirst) {
            copyWithXclip(x, text);
            ASSERT_TRUE(waitFor([&] { return quillet.clips().value(0) == text; }, 5s));
        }
    }
    void openedByCommand(const QString& argument) {
        ASSERT_EQ(quillet.command(argument), 0);
        ASSERT_TRUE(waitFor([&] { return quilletWindowVisible(x); }, 5s)) << "nothing shown";
    }

    const XvfbSession& x = *e2eDisplay;
    QuilletDriver quillet{x};
    ChildProcess target;
    QString targetFile = quillet.home().file("target.txt");
};

TEST_F(PasteE2E, HistoryMenuDigitPastesThatClipIntoTheActiveWindow) {
    copyAll({"alpha", "bravo", "charlie"});
    openedByCommand("--history-menu");
    xdotool(x, {"key", "2"});
    ASSERT_TRUE(targetReceives("bravo")) << "got: " << qPrintable(targetText());
    EXPECT_FALSE(quilletWindowVisible(x));
    EXPECT_TRUE(waitFor([&] { return quillet.clips() == QStringList{"bravo", "charlie", "alpha"}; }, 5s))
        << "the chosen clip moved to the top without a duplicate";
    EXPECT_TRUE(staysTrue([&] { return quillet.clips().size() == 3; }, 1200ms))
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
    quillet.addPhraseCategory("Greetings", 0, {{"Hi", "Hello there,\nthanks!"}, {"Bye", "Goodbye"}});
    copyAll({"history item"});
    openedByCommand("--phrase-menu");
    chooseInFirstSubmenu(x, {"Down", "Return"});
    ASSERT_TRUE(targetReceives("Goodbye")) << "got: " << qPrintable(targetText());
    EXPECT_TRUE(staysTrue([&] { return quillet.clips() == QStringList{"history item"}; }, 1200ms));
}

}  // namespace
}  // namespace quillet::test
