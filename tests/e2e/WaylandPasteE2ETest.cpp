#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "e2e/QuilletDriver.h"
#include "e2e/WaylandE2EEnvironment.h"
#include "support/Wait.h"

namespace quillet::test {

namespace {

using namespace std::chrono_literals;

// Clients here include Qt windows, which must take the Wayland platform too.
ChildProcess::Options qtClientOptions() {
    ChildProcess::Options options = clientOptions();
    options.environment << QStringLiteral("QT_QPA_PLATFORM=wayland");
    return options;
}

// The window sway gives the keyboard to, as its app_id, and whether it floats.
struct Focus {
    QString appId;
    bool floating = false;
};

std::optional<Focus> focusedIn(const QJsonObject& node, bool floating) {
    if (node.value(QStringLiteral("focused")).toBool())
        return Focus{node.value(QStringLiteral("app_id")).toString(), floating};
    for (const char* children : {"nodes", "floating_nodes"}) {
        const bool floats = floating || QLatin1String(children) == QLatin1String("floating_nodes");
        for (const QJsonValue child : node.value(QLatin1String(children)).toArray()) {
            if (auto found = focusedIn(child.toObject(), floats)) return found;
        }
    }
    return std::nullopt;
}

Focus focused() {
    const CommandResult tree = runCommand({"swaymsg", "-t", "get_tree"}, 5s, qtClientOptions());
    return focusedIn(QJsonDocument::fromJson(tree.output).object(), false).value_or(Focus{});
}

bool wtype(const QStringList& arguments) {
    return runCommand(QStringList{QStringLiteral("wtype")} + arguments, 5s, qtClientOptions())
               .exitCode == 0;
}

class WaylandPaste : public ::testing::Test {
protected:
    void SetUp() override {
        // The chord chosen for each window is a debug line of its own.
        qputenv("QT_LOGGING_RULES", "quillet.paste.debug=true");
        quillet.keepErrors();
        QString error;
        ASSERT_TRUE(quillet.start(&error)) << qPrintable(error);
        ASSERT_TRUE(target.start({QStringLiteral(TARGET_BINARY), targetFile}, qtClientOptions()));
        ASSERT_TRUE(waitFor([] { return focused().appId == QLatin1String("quillet-target"); }, 10s))
            << "the target window never got the focus";
    }
    QString received() {
        QFile file(targetFile);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    void copy(const QString& text) {
        ASSERT_EQ(runCommand({"wl-copy", text}, 5s, qtClientOptions()).exitCode, 0);
        ASSERT_TRUE(quillet.recordedFirst(text));
    }
    // Our window holds the keyboard, floating (centred by sway) rather than tiled.
    static bool quilletFloatsFocused() {
        const Focus now = focused();
        return now.appId == QLatin1String("quillet") && now.floating;
    }
    static bool targetFocused() { return focused().appId == QLatin1String("quillet-target"); }

    QuilletDriver quillet{*e2eCompositor};
    QString targetFile = quillet.home().path() + QStringLiteral("/target.txt");
    ChildProcess target;
};

}  // namespace

// The whole round: the menu takes the keyboard, a digit chooses, the menu goes, the focus
// returns and the virtual keyboard's Ctrl+V pastes the clip into the window before.
TEST_F(WaylandPaste, TheHistoryMenuPastesTheChosenClipIntoTheWindowBefore) {
    QByteArray status;
    ASSERT_EQ(quillet.command("--status", &status), 0);
    EXPECT_TRUE(status.contains("Paste: virtual keyboard")) << status.constData();

    for (const char* text : {"oldest", "second", "newest"}) copy(QString::fromUtf8(text));
    QString expected;
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(quillet.command("--history-menu"), 0);
        ASSERT_TRUE(waitFor(quilletFloatsFocused, 5s)) << "round " << round;
        // A chosen clip becomes the newest, so the second entry changes from round to round.
        expected += quillet.clips().value(1);
        ASSERT_TRUE(wtype({"2"}));
        EXPECT_TRUE(waitFor([&] { return received() == expected; }, 5s))
            << "round " << round << ": " << qPrintable(received());
        EXPECT_TRUE(waitFor(targetFocused, 5s));
    }
}

TEST_F(WaylandPaste, EscapeClosesTheMenuAndTheSearchPanelOpensFromTheCommandLine) {
    copy(QStringLiteral("kept"));
    ASSERT_EQ(quillet.command("--history-menu"), 0);
    ASSERT_TRUE(waitFor(quilletFloatsFocused, 5s));
    ASSERT_TRUE(wtype({"-k", "Escape"}));
    EXPECT_TRUE(waitFor(targetFocused, 5s)) << "the focus goes back when the menu closes";
    EXPECT_EQ(received(), QString()) << "nothing is pasted when nothing was chosen";

    ASSERT_EQ(quillet.command("--search"), 0);
    ASSERT_TRUE(waitFor([] { return focused().appId == QLatin1String("quillet"); }, 5s))
        << "the search panel has the keyboard";
    ASSERT_TRUE(wtype({"-k", "Return"}));
    EXPECT_TRUE(waitFor([&] { return received() == QLatin1String("kept"); }, 5s))
        << qPrintable(received());
}

// A phrase that asks for answers: its form floats with the keyboard, the answers typed into it
// are pasted, and the caret is left at the phrase's mark by the virtual keyboard's Left.
TEST_F(WaylandPaste, APhraseFormTakesTheKeyboardAndTheCaretEndsAtTheMark) {
    quillet.addPhraseCategory("Fill", 0,
                              {{"Form", "Dear {input:Name}, {choice:Tone=warm|cool}{cursor}!"}});
    ASSERT_EQ(quillet.command("--phrase-menu"), 0);
    ASSERT_TRUE(waitFor(quilletFloatsFocused, 5s));
    // The submenu pops up a moment after Right, as it would for a person.
    ASSERT_TRUE(wtype({"-k", "Down", "-k", "Right", "-s", "300", "-k", "Return"}));
    ASSERT_TRUE(waitFor(quilletFloatsFocused, 5s)) << "the form has the keyboard";
    ASSERT_TRUE(wtype({"Bo"}));
    ASSERT_TRUE(wtype({"-k", "Tab", "-k", "Down", "-k", "Return"}));
    ASSERT_TRUE(waitFor([&] { return received() == QLatin1String("Dear Bo, cool!"); }, 5s))
        << qPrintable(received());
    ASSERT_TRUE(
        waitFor([&] { return quillet.process().output().contains("moved the caret"); }, 5s));
    ASSERT_TRUE(wtype({"X"}));
    EXPECT_TRUE(waitFor([&] { return received() == QLatin1String("Dear Bo, coolX!"); }, 5s))
        << qPrintable(received());
}

// A terminal gets Ctrl+Shift+V, the chord that pastes the clipboard there (foot pastes
// PRIMARY on Shift+Insert, and Ctrl+V would reach the shell as ^V). The Qt window beside it
// still gets Ctrl+V afterwards: the chord follows the window that had the focus each time.
TEST_F(WaylandPaste, ATerminalGetsItsClipboardChordAndTheWindowBesideItCtrlV) {
    QByteArray status;
    ASSERT_EQ(quillet.command("--status", &status), 0);
    EXPECT_TRUE(status.contains("chord chosen per application")) << status.constData();

    const QString lineFile = quillet.home().path() + QStringLiteral("/line.txt");
    ChildProcess terminal;
    // Empty lines are skipped, so a Return that arrives before the pasted text does no harm;
    // every line read is also kept for the failure message.
    ASSERT_TRUE(terminal.start(
        {"foot", "sh", "-c",
         "while IFS= read -r line; do printf '%s\\n' \"$line\" >> \"$1.all\"; [ -n \"$line\" ] && "
         "{ printf %s \"$line\" > \"$1.part\"; mv \"$1.part\" \"$1\"; exit; }; done",
         "sh", lineFile},
        qtClientOptions()));
    const auto footFocused = [] { return focused().appId == QLatin1String("foot"); };
    ASSERT_TRUE(waitFor(footFocused, 10s)) << "foot never got the focus";

    const QString text = QStringLiteral("echo 'from the menu' | wc -c");
    copy(text);
    QString line;
    const auto readLine = [&] {
        QFile file(lineFile);
        if (!file.open(QIODevice::ReadOnly)) return false;
        line = QString::fromUtf8(file.readAll());
        return true;
    };
    // foot on the headless sway drops a paste now and then whatever the source or the
    // chord (3 in 10 from wl-copy typed by wtype alone, measured), and then keeps dropping
    // them for a while. So what must hold every time is the chord and that the shell never
    // reads anything but the text (^V would be a line of its own); the text itself is
    // expected in most runs and a round that brings nothing is tried again.
    for (int round = 0; round < 3 && !readLine(); ++round) {
        ASSERT_TRUE(waitFor(footFocused, 5s));
        ASSERT_EQ(quillet.command("--history-menu"), 0);
        ASSERT_TRUE(waitFor(quilletFloatsFocused, 5s));
        const auto pastes = [&] {
            return quillet.process().output().count(
                "pasting with Ctrl+Shift+V into a window of class \"foot\"");
        };
        const qsizetype before = pastes();
        ASSERT_TRUE(wtype({"1"}));
        ASSERT_TRUE(waitFor([&] { return pastes() > before; }, 5s))
            << "no Ctrl+Shift+V was posted to foot";
        ASSERT_TRUE(waitFor(footFocused, 5s));
        for (int attempt = 0; attempt < 3 && !readLine(); ++attempt) {
            ASSERT_TRUE(wtype({"-k", "Return"}));
            waitFor(readLine, 500ms);
        }
    }
    QFile lines(lineFile + ".all");  // every line the shell read, empty ones too
    const QByteArray read = lines.open(QIODevice::ReadOnly) ? lines.readAll() : QByteArray();
    EXPECT_TRUE(read.trimmed().isEmpty() || line == text)
        << "the shell read (hex) " << read.toHex(' ').constData();
    if (line.isEmpty()) std::printf("note: foot dropped every paste this run\n");

    ASSERT_EQ(
        runCommand({"swaymsg", "[app_id=quillet-target] focus"}, 5s, qtClientOptions()).exitCode,
        0);
    ASSERT_TRUE(waitFor(targetFocused, 5s));
    ASSERT_EQ(quillet.command("--history-menu"), 0);
    ASSERT_TRUE(waitFor(quilletFloatsFocused, 5s));
    ASSERT_TRUE(wtype({"1"}));
    EXPECT_TRUE(waitFor([&] { return received() == text; }, 5s)) << qPrintable(received());
    terminal.stop();
}

// No protocol names a selection's owner: a copy is the focused window's, and one made while a
// window whose app id is on the privacy list has the focus is never recorded.
TEST(WaylandPrivacy, CopiesWhileAnIgnoredAppHasTheFocusAreNotRecorded) {
    QuilletDriver quillet{*e2eCompositor};
    quillet.storeSetting("privacy/ignoredApplications", QStringList{"ORG.EXAMPLE.VAULT"});
    QString error;
    ASSERT_TRUE(quillet.start(&error)) << qPrintable(error);
    QByteArray status;
    ASSERT_EQ(quillet.command("--status", &status), 0);
    EXPECT_TRUE(status.contains("Ignored applications: 1, by the active window's app id"))
        << status.constData();
    // A terminal with the vault's app id has the focus while another client copies.
    ChildProcess vault;
    ASSERT_TRUE(vault.start({"foot", "--app-id=org.example.Vault", "sleep", "60"},
                            qtClientOptions()));
    ASSERT_TRUE(waitFor([] { return focused().appId == "org.example.Vault"; }, 10s));
    ASSERT_EQ(runCommand({"wl-copy", "vault secret"}, 5s, qtClientOptions()).exitCode, 0);
    EXPECT_TRUE(staysTrue([&] { return quillet.clips().isEmpty(); }, kUnrecordedWindow))
        << qPrintable(quillet.clips().join(", "));

    vault.stop();
    ASSERT_TRUE(waitFor([] { return focused().appId != "org.example.Vault"; }, 5s));
    ASSERT_EQ(runCommand({"wl-copy", "after the vault"}, 5s, qtClientOptions()).exitCode, 0);
    EXPECT_TRUE(quillet.holds(QStringList{"after the vault"}))
        << qPrintable(quillet.clips().join(", "));
}

}  // namespace quillet::test
