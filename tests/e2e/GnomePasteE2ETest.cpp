#include <gtest/gtest.h>

#include "e2e/GnomeFixture.h"
#include "support/Wait.h"

namespace quillet::test {

namespace {

using namespace std::chrono_literals;

// The keys of Ctrl+V as the portal is sent them (evdev code, pressed), in order.
const QByteArray kCtrlV = "key 29 1\nkey 47 1\nkey 47 0\nkey 29 0\n";

// Automatic paste as on a GNOME desktop: the RemoteDesktop portal (our fake, in a process of
// its own on the compositor's bus) allows it at once and hands every key it is sent on to
// Mutter, so Quillet's portal client types into a real compositor's windows.
class GnomePaste : public GnomeFixture {
protected:
    void SetUp() override {
        if (!gnomeDesktop) GTEST_SKIP() << qPrintable(gnomeUnavailable);
        // Quillet opens its portal session at start: the portal is there first.
        ChildProcess::Options options;
        options.environment = gnomeDesktop->environment();
        ASSERT_TRUE(portal.start({QStringLiteral(PORTAL_HOST_BINARY)}, options));
        ASSERT_TRUE(
            waitFor([&] { return !portal.isRunning() || portal.output() == "ready\n"; }, 10s) &&
            portal.isRunning())
            << "the portal did not come up";
        ASSERT_NO_FATAL_FAILURE(startQuillet());
    }
    void TearDown() override {
        GnomeFixture::TearDown();
        quillet.reset();
        portal.stop();
    }

    // The keys the portal was sent, after its "ready" line.
    QByteArray portalKeys() { return portal.output().mid(int(qstrlen("ready\n"))); }

    ChildProcess portal;
};

}  // namespace

TEST_F(GnomePaste, StatusSaysThePortalPastesOnceTheSessionIsReady) {
    const char* ready = "Paste: remote desktop portal (keyboard): ready";
    EXPECT_TRUE(waitFor([&] { return quillet->status().contains(ready); }, 10s))
        << quillet->status().constData();
    EXPECT_TRUE(portalKeys().isEmpty()) << "keys before any paste: " << portalKeys().constData();
}

// The whole round, twenty times: the menu takes the keyboard, a digit chooses, Mutter gives
// the focus back and the portal's Ctrl+V pastes the clip into the window that had it.
TEST_F(GnomePaste, AClipChosenInTheHistoryMenuIsPastedIntoTheFocusedWindowEveryTime) {
    ASSERT_TRUE(waitFor([&] { return quillet->status().contains("ready"); }, 10s))
        << quillet->status().constData();
    // wl-copy needs the keyboard focus for a moment, which Mutter does not take from a window
    // that has it: the clips come first.
    std::vector<qint64> recorded;
    for (const char* text : {"alpha", "beta", "gamma", "delta", "epsilon"}) {
        QElapsedTimer timer;
        timer.start();
        ASSERT_TRUE(wlCopy(QString::fromUtf8(text)));
        ASSERT_TRUE(quillet->recordedFirst(QString::fromUtf8(text))) << text;
        recorded.push_back(timer.elapsed());
    }
    ASSERT_NO_FATAL_FAILURE(startTarget());

    std::vector<qint64> menuShown;
    std::vector<qint64> pastedAfter;
    QString expected;
    int pasted = 0;
    int lost = 0;
    for (int round = 0; round < 20; ++round) {
        const qint64 shown = keyboardTakenAfter("--history-menu");
        ASSERT_GE(shown, 0) << "round " << round << ": the menu never took the keyboard";
        menuShown.push_back(shown);
        // A chosen clip becomes the newest, so the second entry alternates.
        expected += quillet->clips().value(1);
        QElapsedTimer timer;
        timer.start();
        ASSERT_TRUE(gnomeDesktop->tapKey(kGnomeKeyTwo));
        if (waitFor([&] { return targetText() == expected; }, 5s)) {
            ++pasted;
            pastedAfter.push_back(timer.elapsed());
        } else {
            ADD_FAILURE() << "round " << round << ": the target holds " << qPrintable(targetText());
            ASSERT_LT(++lost, 3) << "paste does not work here; the keys the portal was sent:\n"
                                 << portalKeys().constData();
        }
        expected = targetText();  // a lost round does not fail the ones after it
        ASSERT_TRUE(waitFor([&] { return focusLog().endsWith("in\n"); }, 5s)) << "round " << round;
    }
    EXPECT_EQ(pasted, 20);
    // Every paste was one Ctrl+V, pressed and released in order, and Mutter took every key.
    EXPECT_EQ(portalKeys().toStdString(), kCtrlV.repeated(20).toStdString());
    reportMedian("wl-copy start to recorded", recorded);
    reportMedian("--history-menu to menu holding the keyboard", menuShown);
    reportMedian("digit pressed to text in the target", pastedAfter);
    EXPECT_FALSE(quillet->process().output().contains("automatic paste is off"))
        << quillet->process().output().constData();
}

}  // namespace quillet::test
