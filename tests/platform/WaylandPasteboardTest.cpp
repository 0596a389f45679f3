#include <gtest/gtest.h>

#include <QCoreApplication>

#include "e2e/QuilletDriver.h"
#include "e2e/WaylandE2EEnvironment.h"
#include "platform/SystemPasteboard.h"
#include "platform/wayland/WaylandClipboardReader.h"
#include "support/Wait.h"

namespace quillet::test {

namespace {

using namespace std::chrono_literals;

QByteArray wlPaste() {
    return runCommand({"wl-paste", "--no-newline"}, 5s, clientOptions()).output;
}

}  // namespace

// Our writes go through data-control, so other programs paste them although no window of ours
// has the focus; the write counts as one change, and reading it back is not a second one.
TEST(WaylandPasteboard, WritesAreServedToOthersAndCountOnce) {
    auto reader =
        std::make_unique<WaylandClipboardReader>(e2eCompositor->waylandDisplay().toLocal8Bit());
    auto writer = std::make_unique<WaylandClipboardWriter>(*reader);
    SystemPasteboard pasteboard(std::move(reader), std::move(writer));
    ASSERT_EQ(runCommand({"wl-copy", "before"}, 5s, clientOptions()).exitCode, 0);
    ASSERT_TRUE(waitFor([&] { return pasteboard.string() == QStringLiteral("before"); }, 5s));
    const qint64 before = pasteboard.changeCount();

    ASSERT_TRUE(pasteboard.setString(QStringLiteral("written by us ✓")));
    EXPECT_EQ(pasteboard.changeCount(), before + 1);
    EXPECT_EQ(QString::fromUtf8(wlPaste()), QStringLiteral("written by us ✓"));
    EXPECT_TRUE(staysTrue([&] { return pasteboard.changeCount() == before + 1; }, 500ms));

    // More than a pipe holds at once: served piecewise without blocking the reader.
    const QString large(3 << 20, QLatin1Char('x'));
    pasteboard.setString(large);
    EXPECT_EQ(wlPaste().size(), large.size());

    ASSERT_EQ(runCommand({"wl-copy", "after"}, 5s, clientOptions()).exitCode, 0);
    EXPECT_TRUE(waitFor([&] { return pasteboard.string() == QStringLiteral("after"); }, 5s));
    EXPECT_EQ(pasteboard.changeCount(), before + 3);
}

}  // namespace quillet::test
