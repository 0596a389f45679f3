#include <gtest/gtest.h>

#include <QTest>

#include "fakes/FakeClipboard.h"
#include "platform/ReadingPause.h"
#include "support/Wait.h"

namespace quillet {
namespace {

using namespace std::chrono_literals;

// A paused reader still reads our own write back, or a paste would wait for a confirmation
// that cannot come; then it is paused again.
TEST(ReadingPauseTest, GivesWayOnlyUntilOurWriteWasSeenOrMissed) {
    test::FakeClipboardReader reader;
    ReadingPause pause(reader);
    WriteConfirmation confirmation(50);

    confirmation.expect("ours");
    pause.liftFor(confirmation);
    EXPECT_FALSE(reader.isPaused()) << "lifted without a pause";

    pause.set(true);
    EXPECT_TRUE(reader.isPaused());
    confirmation.expect("ours");
    pause.liftFor(confirmation);
    EXPECT_FALSE(reader.isPaused()) << "our write could not be read back";
    confirmation.observe(QString("ours"));
    EXPECT_TRUE(reader.isPaused()) << "still reading once our write was seen";

    confirmation.expect("unseen");
    pause.liftFor(confirmation);
    EXPECT_FALSE(reader.isPaused());
    EXPECT_TRUE(test::waitFor([&] { return reader.isPaused(); }, 2s))
        << "still reading after the write was given up";

    // Resumed while a write is being confirmed: nothing pauses the reader afterwards.
    confirmation.expect("late");
    pause.liftFor(confirmation);
    pause.set(false);
    confirmation.observe(QString("late"));
    EXPECT_FALSE(reader.isPaused());
}

}  // namespace
}  // namespace quillet
