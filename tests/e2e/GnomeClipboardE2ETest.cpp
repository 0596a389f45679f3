#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "e2e/GnomeE2EEnvironment.h"
#include "e2e/QuilletDriver.h"

namespace quillet::test {

namespace {

using namespace std::chrono_literals;

// evdev codes of the keys the tests press on the seat's virtual keyboard
constexpr quint32 keyTwo = 3;

ChildProcess::Options clientOptions() {
    ChildProcess::Options options;
    options.environment = gnomeDesktop->environment() << QStringLiteral("QT_QPA_PLATFORM=wayland");
    return options;
}

bool wlCopy(const QString& text) {
    return runCommand({"wl-copy", text}, 5s, clientOptions()).exitCode == 0;
}

// An X11 program copies through XWayland (xclip stays as the owner until the next copy).
bool xCopy(const QString& text) {
    ChildProcess::Options options = ChildProcess::silent(gnomeDesktop->environment());
    options.input = text.toUtf8();
    return runCommand(gnomeDesktop->command({"xclip", "-selection", "clipboard", "-i"}), 5s,
                      options)
               .exitCode == 0;
}

QString wlPaste() {
    const CommandResult paste = runCommand({"wl-paste", "--no-newline"}, 5s, clientOptions());
    return paste.exitCode == 0 ? QString::fromUtf8(paste.output) : QStringLiteral("<no paste>");
}

qint64 median(std::vector<qint64> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

void report(const char* what, const std::vector<qint64>& values) {
    std::fprintf(stderr, "%s: median %lld ms over %zu\n", what,
                 static_cast<long long>(median(values)), values.size());
    ::testing::Test::RecordProperty(what, std::to_string(median(values)));
}

class GnomeClipboard : public ::testing::Test {
protected:
    void SetUp() override {
        if (!gnomeDesktop) GTEST_SKIP() << qPrintable(gnomeUnavailable);
        quillet = std::make_unique<QuilletDriver>(*gnomeDesktop);
        quillet->keepErrors();
        ASSERT_TRUE(started(*quillet));
    }
    void TearDown() override {
        // Keys chosen by a failed round must not reach the next test's windows.
        if (target.isRunning()) target.stop();
    }
    bool recordedFirst(const QString& text) {
        return waitFor([&] { return quillet->clips().value(0) == text; }, 5s);
    }
    // A window of another program with the keyboard, which tells us when it loses it.
    void startTarget() {
        ASSERT_TRUE(target.start({QStringLiteral(TARGET_BINARY), targetFile}, clientOptions()));
        ASSERT_TRUE(waitFor([&] { return focusLog().endsWith("in\n"); }, 10s))
            << "the target never got the keyboard";
    }
    QByteArray focusLog() const {
        QFile file(targetFile + QStringLiteral(".focus"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Milliseconds until one of our windows took the keyboard from the target; -1 if none did.
    qint64 keyboardTakenAfter(const char* request) {
        const QByteArray before = focusLog();
        QElapsedTimer timer;
        timer.start();
        if (quillet->command(QString::fromLatin1(request)) != 0) return -1;
        if (!waitFor([&] { return focusLog().size() > before.size(); }, 5s)) return -1;
        return focusLog().endsWith("out\n") ? timer.elapsed() : -1;
    }

    std::unique_ptr<QuilletDriver> quillet;
    QString targetFile;
    ChildProcess target;
};

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
        ASSERT_TRUE(recordedFirst(text)) << "copy " << i << ": " << qPrintable(quillet->clips().value(0));
        (x11 ? fromX11 : fromWayland).push_back(timer.elapsed());
    }
    report("wl-copy start to recorded", fromWayland);
    report("xclip start to recorded", fromX11);
}

// The failure this guards against: the history moved, Quillet said "copied", and the clipboard
// still held the newest clip. Here the clip chosen with a key is what a paste gets, every time,
// and our own write is never recorded as a copy of its own.
TEST_F(GnomeClipboard, AClipChosenInTheHistoryMenuIsOnTheClipboardEveryTime) {
    // wl-copy needs the keyboard focus for a moment, which Mutter does not take from a window
    // that has it: the clips come first.
    for (const char* text : {"oldest", "second", "newest"}) {
        ASSERT_TRUE(wlCopy(QString::fromUtf8(text)));
        ASSERT_TRUE(recordedFirst(QString::fromUtf8(text)));
    }
    targetFile = quillet->home().path() + QStringLiteral("/target.txt");
    ASSERT_NO_FATAL_FAILURE(startTarget());
    std::vector<qint64> menuShown;
    for (int round = 0; round < 20; ++round) {
        const QStringList before = quillet->clips();
        const qint64 shown = keyboardTakenAfter("--history-menu");
        ASSERT_GE(shown, 0) << "round " << round << ": the menu never took the keyboard";
        menuShown.push_back(shown);
        ASSERT_TRUE(gnomeDesktop->tapKey(keyTwo));
        const QString chosen = before.value(1);
        EXPECT_TRUE(waitFor([&] { return wlPaste() == chosen; }, 5s))
            << "round " << round << ": the clipboard holds " << qPrintable(wlPaste())
            << " instead of " << qPrintable(chosen);
        EXPECT_TRUE(waitFor([&] { return quillet->clips().value(0) == chosen; }, 5s));
        EXPECT_EQ(quillet->clips().size(), before.size()) << "our write was recorded as a copy";
        // The menu has given the keyboard back before the next round.
        ASSERT_TRUE(waitFor([&] { return focusLog().endsWith("in\n"); }, 5s)) << "round " << round;
    }
    report("--history-menu to menu holding the keyboard", menuShown);
    EXPECT_FALSE(quillet->process().output().contains("did not reach the clipboard"))
        << quillet->process().output().constData();
}

TEST_F(GnomeClipboard, AClipChosenInTheSearchPanelIsOnTheClipboard) {
    targetFile = quillet->home().path() + QStringLiteral("/target.txt");
    ASSERT_NO_FATAL_FAILURE(startTarget());
    for (const char* text : {"searched for", "newest"}) {
        ASSERT_TRUE(xCopy(QString::fromUtf8(text)));
        ASSERT_TRUE(recordedFirst(QString::fromUtf8(text)));
    }
    ASSERT_GE(keyboardTakenAfter("--search"), 0) << "the search panel never took the keyboard";
    for (const quint32 key : {MutterSession::keyDown, MutterSession::keyReturn})
        ASSERT_TRUE(gnomeDesktop->tapKey(key));
    EXPECT_TRUE(waitFor([] { return wlPaste() == QLatin1String("searched for"); }, 5s))
        << qPrintable(wlPaste());
}

}  // namespace quillet::test
