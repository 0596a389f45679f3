// PRIMARY lent to a terminal paste, against real selection owners and requestors (xclip): the
// user's selection comes back once the paste fetched our text, and a new one is left alone.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>

#include "platform/X11TestEnvironment.h"
#include "platform/x11/X11PrimaryLoan.h"
#include "support/Wait.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

QByteArray primaryText() {
    ChildProcess::Options options;
    options.environment = {x11Session().displayVariable()};
    return runCommand({"xclip", "-o", "-selection", "primary"}, 10s, options).output;
}

void selectText(const QByteArray& text) {
    ChildProcess::Options options = ChildProcess::silent({x11Session().displayVariable()});
    options.input = text;
    ASSERT_EQ(runCommand({"xclip", "-i", "-selection", "primary"}, 10s, options).exitCode, 0);
}

QByteArray display() {
    return x11Session().displayVariable().section(u'=', 1).toLocal8Bit();
}

// Lends `text` and waits for the answer.
std::optional<bool> lend(X11PrimaryLoan& loan, const QString& text) {
    std::optional<bool> lent;
    loan.lend(text, [&](bool ok) { lent = ok; });
    if (!waitFor([&] { return lent.has_value(); }, 5s)) return std::nullopt;
    return lent;
}

TEST(X11PrimaryLoan, GivesTheUserSelectionBackOnceThePasteFetchedOurText) {
    ASSERT_NO_FATAL_FAILURE(selectText("the user's words"));
    X11PrimaryLoan loan(display());
    ASSERT_EQ(lend(loan, QStringLiteral("first clip")), true);
    // A second paste before the first loan ended: what goes back is still the user's text.
    ASSERT_EQ(lend(loan, QStringLiteral("second clip")), true);
    QElapsedTimer sinceFetch;
    sinceFetch.start();
    EXPECT_EQ(primaryText(), "second clip");
    ASSERT_TRUE(waitFor([] { return primaryText() == "the user's words"; }, 5s));
    EXPECT_LT(sinceFetch.elapsed(), PrimarySelection::loanTimeoutMs)
        << "given back once fetched, not only at the end of the loan";
}

TEST(X11PrimaryLoan, LetsPrimaryGoWhenItHeldNoText) {
    XConnection other;
    {
        X11PrimaryLoan quitting(display());  // leaves PRIMARY to nobody as it goes
        ASSERT_EQ(lend(quitting, QStringLiteral("gone")), true);
    }
    ASSERT_EQ(other.selectionOwner("PRIMARY"), xcb_window_t(XCB_WINDOW_NONE));
    X11PrimaryLoan loan(display());
    ASSERT_EQ(lend(loan, QStringLiteral("clip")), true);
    EXPECT_NE(other.selectionOwner("PRIMARY"), xcb_window_t(XCB_WINDOW_NONE));
    EXPECT_EQ(primaryText(), "clip");
    EXPECT_TRUE(waitFor(
        [&] { return other.selectionOwner("PRIMARY") == xcb_window_t(XCB_WINDOW_NONE); }, 5s));
}

TEST(X11PrimaryLoan, AFreshSelectionDuringThePasteStays) {
    ASSERT_NO_FATAL_FAILURE(selectText("old selection"));
    X11PrimaryLoan loan(display());
    ASSERT_EQ(lend(loan, QStringLiteral("clip")), true);
    ASSERT_NO_FATAL_FAILURE(selectText("new selection"));
    // Through the whole loan and past it, nothing takes the new selection away.
    EXPECT_FALSE(waitFor([] { return primaryText() != "new selection"; },
                         std::chrono::milliseconds(PrimarySelection::loanTimeoutMs + 500)));
}

}  // namespace
}  // namespace quillet::test
