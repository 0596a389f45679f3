#include <gtest/gtest.h>

#include "e2e/GnomeFixture.h"
#include "support/Wait.h"

namespace quillet::test {

namespace {

using namespace std::chrono_literals;

using GnomeClipboard = GnomeFixture;

}  // namespace

// The rig itself: copies cross between Wayland and X11 programs, as on a GNOME desktop.
TEST_F(GnomeClipboard, TheRigBridgesWaylandAndX11Copies) {
    ASSERT_TRUE(xCopy("from X11"));
    EXPECT_TRUE(waitFor([] { return wlPaste() == QLatin1String("from X11"); }, 5s))
        << qPrintable(wlPaste());
    ASSERT_TRUE(wlCopy("from Wayland"));
    const CommandResult xPaste = runCommand(
        gnomeDesktop->command({"xclip", "-selection", "clipboard", "-o"}), 5s,
        [] {
            ChildProcess::Options options;
            options.environment = gnomeDesktop->environment();
            return options;
        }());
    EXPECT_EQ(xPaste.output, "from Wayland");
}

TEST_F(GnomeClipboard, StatusSaysTheClipboardGoesThroughXWayland) {
    QByteArray status;
    ASSERT_EQ(quillet->command("--status", &status), 0);
    EXPECT_TRUE(status.contains("Clipboard: XWayland")) << status.constData();
}

// Copies from both kinds of program are recorded, each as it happens.
TEST_F(GnomeClipboard, CopiesFromWaylandAndX11ProgramsAreRecorded) {
    std::vector<qint64> fromWayland;
    std::vector<qint64> fromX11;
    for (int i = 0; i < 20; ++i) {
        const bool x11 = i % 2 == 1;
        const QString text = QStringLiteral("%1 copy %2").arg(x11 ? "X11" : "Wayland").arg(i);
        QElapsedTimer timer;
        timer.start();
        ASSERT_TRUE(x11 ? xCopy(text) : wlCopy(text));
        ASSERT_TRUE(quillet->recordedFirst(text))
            << "copy " << i << ": " << qPrintable(quillet->clips().value(0));
        (x11 ? fromX11 : fromWayland).push_back(timer.elapsed());
    }
    reportMedian("wl-copy start to recorded", fromWayland);
    reportMedian("xclip start to recorded", fromX11);
}

// The failure this guards against: the history moved, Quillet said "copied", and the clipboard
// still held the newest clip. Here the clip chosen with a key is what a paste gets, every time,
// and our own write is never recorded as a copy of its own.
TEST_F(GnomeClipboard, AClipChosenInTheHistoryMenuIsOnTheClipboardEveryTime) {
    // wl-copy needs the keyboard focus for a moment, which Mutter does not take from a window
    // that has it: the clips come first.
    for (const char* text : {"oldest", "second", "newest"}) {
        ASSERT_TRUE(wlCopy(QString::fromUtf8(text)));
        ASSERT_TRUE(quillet->recordedFirst(QString::fromUtf8(text)));
    }
    ASSERT_NO_FATAL_FAILURE(startTarget());
    std::vector<qint64> menuShown;
    for (int round = 0; round < 20; ++round) {
        const QStringList before = quillet->clips();
        const qint64 shown = keyboardTakenAfter("--history-menu");
        ASSERT_GE(shown, 0) << "round " << round << ": the menu never took the keyboard";
        menuShown.push_back(shown);
        ASSERT_TRUE(gnomeDesktop->tapKey(kGnomeKeyTwo));
        const QString chosen = before.value(1);
        EXPECT_TRUE(waitFor([&] { return wlPaste() == chosen; }, 5s))
            << "round " << round << ": the clipboard holds " << qPrintable(wlPaste())
            << " instead of " << qPrintable(chosen);
        EXPECT_TRUE(quillet->recordedFirst(chosen));
        EXPECT_EQ(quillet->clips().size(), before.size()) << "our write was recorded as a copy";
        // The menu has given the keyboard back before the next round.
        ASSERT_TRUE(waitFor([&] { return focusLog().endsWith("in\n"); }, 5s)) << "round " << round;
    }
    reportMedian("--history-menu to menu holding the keyboard", menuShown);
    EXPECT_FALSE(quillet->process().output().contains("did not reach the clipboard"))
        << quillet->process().output().constData();
}

TEST_F(GnomeClipboard, AClipChosenInTheSearchPanelIsOnTheClipboard) {
    ASSERT_NO_FATAL_FAILURE(startTarget());
    for (const char* text : {"searched for", "newest"}) {
        ASSERT_TRUE(xCopy(QString::fromUtf8(text)));
        ASSERT_TRUE(quillet->recordedFirst(QString::fromUtf8(text)));
    }
    ASSERT_GE(keyboardTakenAfter("--search"), 0) << "the search panel never took the keyboard";
    for (const quint32 key : {MutterSession::keyDown, MutterSession::keyReturn})
        ASSERT_TRUE(gnomeDesktop->tapKey(key));
    EXPECT_TRUE(waitFor([] { return wlPaste() == QLatin1String("searched for"); }, 5s))
        << qPrintable(wlPaste());
}

}  // namespace quillet::test
