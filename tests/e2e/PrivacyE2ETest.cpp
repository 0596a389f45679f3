// Copies from applications on the privacy list are never recorded: the real program on a real
// X server, with a Qt window of an application on the list and xclip beside it.

#include <gtest/gtest.h>

#include "e2e/E2EEnvironment.h"
#include "e2e/QuilletDriver.h"
#include "support/Wait.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

class PrivacyE2E : public ::testing::Test {
protected:
    const XvfbSession& x = *e2eDisplay;
    QuilletDriver quillet{x};

    // Whether the program said it left a copy of `application` unrecorded.
    bool saidIgnored(const char* application) {
        return waitFor(
            [&] {
                return quillet.process().output().contains(
                    QByteArray("not recorded: a copy from \"") + application);
            },
            5s);
    }
};

TEST_F(PrivacyE2E, AWindowClassOnTheListCopiesUnrecordedWhileOthersAreRecorded) {
    quillet.storeSetting("privacy/ignoredApplications", QStringList{"org.example.VAULT"});
    quillet.addEnvironment({"QT_LOGGING_RULES=quillet.clipboard.debug=true"});
    quillet.keepErrors();
    ASSERT_TRUE(started(quillet));
    QByteArray status;
    ASSERT_EQ(quillet.command("--status", &status), 0);
    EXPECT_TRUE(status.contains(
        "Ignored applications: 1, by the clipboard owner's window class (X11)"))
        << status.toStdString();

    copyWithXclip(x, "before");
    ASSERT_TRUE(quillet.holds({"before"}));

    // Qt serves the clipboard from a hidden window of its own: the vault's class is found on
    // the top-level window of the same client.
    ChildProcess vault;
    ASSERT_TRUE(vault.start({targetBinary(), "--copy-as", "org.example.Vault", "vault secret"},
                            ChildProcess::silent({x.displayVariable(), "QT_QPA_PLATFORM=xcb"})));
    const QByteArray vaultWindow =
        xdotool(x, {"search", "--sync", "--class", "^org.example.Vault$"}).split('\n').value(0);
    ASSERT_FALSE(vaultWindow.isEmpty());
    xdotool(x, {"windowactivate", "--sync", QString::fromLatin1(vaultWindow)});
    ASSERT_TRUE(waitFor([&] { return xdotool(x, {"getactivewindow"}) == vaultWindow; }, 5s));
    xdotool(x, {"key", "ctrl+a", "ctrl+c"});
    // Qt's instance name is its program's, the class is the application's.
    ASSERT_TRUE(saidIgnored("quillet-target/org.example.Vault"))
        << quillet.process().output().constData();
    EXPECT_TRUE(staysTrue([&] { return quillet.clips() == QStringList{"before"}; },
                          kUnrecordedWindow));

    // Going on the focused window's word: xclip names no application, and the vault has
    // the focus.
    copyWithXclip(x, "typed into the vault");
    EXPECT_TRUE(staysTrue([&] { return quillet.clips() == QStringList{"before"}; },
                          kUnrecordedWindow));

    vault.stop();
    copyWithXclip(x, "after");
    EXPECT_TRUE(quillet.holds({"after", "before"})) << qPrintable(quillet.clips().join(", "));
}

}  // namespace
}  // namespace quillet::test
