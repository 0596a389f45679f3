// The clipboard reader against an owner that sends too much: an incremental transfer that never
// ends must stop at the transfer limit with bounded memory, handed back once idle; a list of
// millions of formats is refused unread, and the next ordinary copy is read as usual. (A large
// transfer within the limit is the reader test's xclip case.)

#include <gtest/gtest.h>

#include <QFile>
#include <QObject>
#include <optional>

#include "platform/X11TestEnvironment.h"
#include "platform/x11/X11ClipboardReader.h"
#include "support/Wait.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

// Resident memory of this process (`field` "VmRSS:" now, "VmHWM:" at its peak), in MiB.
qint64 residentMiB(const QByteArray& field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').first().toLongLong() / 1024;
    return -1;
}
qint64 peakResidentMiB() { return residentMiB("VmHWM:"); }

// Starts the peak over from the present, so an earlier test's peak hides nothing.
void resetPeak() {
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly)) clearRefs.write("5");
}

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer keeps freed blocks in quarantine, so resident memory says little there.
constexpr bool kMemoryIsMeasurable = false;
#else
constexpr bool kMemoryIsMeasurable = true;
#endif

class HostileOwnerTest : public ::testing::Test {
protected:
    std::unique_ptr<ChildProcess> startOwner(const QStringList& arguments = {}) {
        ChildProcess::Options options;
        options.environment = {x11Session().displayVariable()};
        options.captureOutput = false;
        XConnection client;
        // The owner of the test before must be gone, or we would wait for it below.
        if (!waitFor([&] { return client.selectionOwner("CLIPBOARD") == XCB_WINDOW_NONE; }, 5s))
            return nullptr;
        auto owner = std::make_unique<ChildProcess>();
        if (!owner->start(QStringList{QStringLiteral(HOSTILE_OWNER_BINARY)} + arguments, options))
            return nullptr;
        if (!waitFor([&] { return client.selectionOwner("CLIPBOARD") != XCB_WINDOW_NONE; }, 5s))
            return nullptr;
        return owner;
    }

    std::optional<ClipboardSnapshot> read(std::chrono::milliseconds timeout) {
        // Made at the first read, once the owner is in place: a reader made before would read
        // the new owner at once, and one that dies mid-transfer could be gone by then.
        if (!reader)
            reader = std::make_unique<X11ClipboardReader>(x11Session().display().toLocal8Bit(),
                                                          ownerTimeout);
        return readSnapshot(*reader, 1, timeout);
    }

    std::chrono::milliseconds ownerTimeout = 500ms;  // each wait for the owner
    std::unique_ptr<X11ClipboardReader> reader;
};

TEST_F(HostileOwnerTest, AnEndlessTransferStopsAtTheLimitWithBoundedMemoryHandedBackWhenIdle) {
    resetPeak();
    const qint64 before = peakResidentMiB();
    const qint64 residentBefore = residentMiB("VmRSS:");
    auto owner = startOwner();
    ASSERT_TRUE(owner);
    // The owner never stops sending; the reader must give up on its own, by size or time.
    const auto answer = read(30s);
    ASSERT_TRUE(answer.has_value()) << "the reader kept reading";
    EXPECT_FALSE(answer->text.has_value());
    const qint64 allowance = kMemoryIsMeasurable ? 3 : 8;
    EXPECT_LT(peakResidentMiB() - before, allowance * (X11ClipboardReader::maxTransferBytes >> 20))
        << "memory grew past what one transfer at the limit needs";
    owner->stop();
    if (kMemoryIsMeasurable) {
        EXPECT_TRUE(waitFor([&] { return residentMiB("VmRSS:") - residentBefore < 16; }, 10s))
            << "the reader kept " << residentMiB("VmRSS:") - residentBefore
            << " MiB of the abandoned transfer";
    }
}

TEST_F(HostileOwnerTest, MillionsOfFormatsAreRefusedUnreadAndTheNextCopyIsRead) {
    auto owner = startOwner({QStringLiteral("targets")});
    ASSERT_TRUE(owner);
    resetPeak();
    const qint64 before = peakResidentMiB();
    const auto answer = read(10s);
    ASSERT_TRUE(answer.has_value()) << "the reader is still naming formats";
    EXPECT_TRUE(answer->types.isEmpty()) << answer->types.join(',').toStdString();
    if (kMemoryIsMeasurable) {
        EXPECT_LT(peakResidentMiB() - before, 8) << "the list was read after all";
    }

    // An ordinary owner takes over (the hostile one exits on losing the selection).
    auto xclip = std::make_unique<ChildProcess>();
    auto options = ChildProcess::silent({x11Session().displayVariable()});
    options.input = "an ordinary copy";
    ASSERT_TRUE(xclip->start({"xclip", "-quiet", "-selection", "clipboard"}, options));
    ASSERT_TRUE(owner->waitForExit(5s)) << "the hostile owner kept the selection";
    const auto next = read(5s);
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(next->text, QStringLiteral("an ordinary copy"));
    xclip->stop();
}

TEST_F(HostileOwnerTest, AnOwnerThatDiesMidTransferIsAnsweredEmptyAndTheNextReadWorks) {
    auto owner = startOwner({QStringLiteral("die")});
    ASSERT_TRUE(owner);
    const auto answer = read(10s);
    ASSERT_TRUE(answer.has_value()) << "the reader waited for a dead owner";
    EXPECT_FALSE(answer->text.has_value());
    owner->stop();

    auto endless = startOwner();  // a new owner after the dead one: reading goes on
    ASSERT_TRUE(endless);
    EXPECT_TRUE(read(30s).has_value());
    endless->stop();
}

TEST_F(HostileOwnerTest, AnOwnerThatTricklesForeverIsDroppedAtTheTransferDeadline) {
    ownerTimeout = 150ms;
    auto owner = startOwner({QStringLiteral("slow")});
    ASSERT_TRUE(owner);
    // Every chunk comes within the wait for it; only the whole transfer's deadline (twenty
    // waits) ends it.
    const auto answer = read(30s);
    ASSERT_TRUE(answer.has_value()) << "the reader kept reading";
    EXPECT_FALSE(answer->text.has_value());
    owner->stop();
}

}  // namespace
}  // namespace quillet::test
