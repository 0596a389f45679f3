// Our own X11 selection owner against real requestors (xclip reads every target, a large
// text in INCR chunks) and the pasteboard built on it (its own write is not a copy).

#include <gtest/gtest.h>

#include <QTest>

#include "platform/X11TestEnvironment.h"
#include "platform/x11/X11ClipboardReader.h"
#include "platform/SystemPasteboard.h"
#include "platform/x11/X11SelectionOwner.h"
#include "support/Wait.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

QByteArray xclipOut(const char* target) {
    ChildProcess::Options options;
    options.environment = {x11Session().displayVariable()};
    return runCommand({"xclip", "-o", "-selection", "clipboard", "-t", target}, 10s, options)
        .output;
}

void xclipIn(const QByteArray& text) {
    ChildProcess::Options options = ChildProcess::silent({x11Session().displayVariable()});
    options.input = text;
    ASSERT_EQ(runCommand({"xclip", "-i", "-selection", "clipboard"}, 10s, options).exitCode, 0);
}

QByteArray display() {
    return x11Session().displayVariable().section(u'=', 1).toLocal8Bit();
}

TEST(X11SelectionOwner, ServesEveryTextTargetAndALargeTextInChunks) {
    X11SelectionOwner owner(display());
    XConnection other;
    ASSERT_TRUE(owner.setText(QStringLiteral("grüße, 世界")));
    EXPECT_NE(other.selectionOwner("CLIPBOARD"), xcb_window_t(XCB_WINDOW_NONE));
    const QByteArray targets = xclipOut("TARGETS");
    for (const char* target : {"TARGETS", "TIMESTAMP", "UTF8_STRING", "STRING", "TEXT"})
        EXPECT_TRUE(targets.contains(target)) << target << " missing from " << targets.constData();
    EXPECT_EQ(QString::fromUtf8(xclipOut("UTF8_STRING")), QStringLiteral("grüße, 世界"));
    EXPECT_EQ(QString::fromUtf8(xclipOut("text/plain;charset=utf-8")),
              QStringLiteral("grüße, 世界"));
    // STRING is Latin-1: what it cannot spell becomes a question mark.
    EXPECT_EQ(QString::fromLatin1(xclipOut("STRING")), QStringLiteral("grüße, ??"));
    EXPECT_TRUE(xclipOut("image/png").isEmpty()) << "what we do not hold is refused";

    // Four times the chunk, and a little more: only INCR carries it.
    QByteArray large(4 * X11SelectionOwner::maxChunkBytes + 123, 'q');
    large[0] = 'A';
    large[large.size() - 1] = 'Z';
    ASSERT_TRUE(owner.setText(QString::fromLatin1(large)));
    EXPECT_EQ(xclipOut("UTF8_STRING"), large);

    // Another copy takes the selection; ours gives it up cleanly when asked.
    ASSERT_NO_FATAL_FAILURE(xclipIn("someone else's"));
    EXPECT_EQ(xclipOut("UTF8_STRING"), "someone else's");
    ASSERT_TRUE(owner.setText(QStringLiteral("ours again")));
    EXPECT_FALSE(owner.setText(std::nullopt));
    EXPECT_EQ(other.selectionOwner("CLIPBOARD"), xcb_window_t(XCB_WINDOW_NONE));
}

TEST(X11SelectionOwner, ThePasteboardConfirmsItsWritesAndNeverCountsThemAsCopies) {
    SystemPasteboard pasteboard(std::make_unique<X11ClipboardReader>(display()),
                                std::make_unique<X11SelectionOwner>(display()));
    ASSERT_TRUE(waitFor([&] { return pasteboard.announcesChanges(); }, 5s));
    ASSERT_NO_FATAL_FAILURE(xclipIn("copied elsewhere"));
    ASSERT_TRUE(waitFor(
        [&] { return pasteboard.string() == QStringLiteral("copied elsewhere"); }, 5s));

    int announced = 0;
    pasteboard.setChangeHandler([&] { ++announced; });
    const qint64 count = pasteboard.changeCount();
    pasteboard.clearContents();
    ASSERT_TRUE(pasteboard.setString(QStringLiteral("chosen")));
    std::optional<bool> confirmed;
    pasteboard.confirmWrite([&](bool ok) { confirmed = ok; });
    ASSERT_TRUE(waitFor([&] { return confirmed.has_value(); }, 5s));
    EXPECT_TRUE(*confirmed);
    EXPECT_EQ(xclipOut("UTF8_STRING"), "chosen");
    // The confirmation is the reader's read-back of our text, which is the contents already
    // held: it announced no change.
    EXPECT_EQ(announced, 0);
    EXPECT_EQ(pasteboard.changeCount(), count + 2) << "the clear and the write, nothing more";

    ASSERT_NO_FATAL_FAILURE(xclipIn("the next copy"));
    EXPECT_TRUE(waitFor([&] { return announced == 1; }, 5s));
}

}  // namespace
}  // namespace quillet::test
