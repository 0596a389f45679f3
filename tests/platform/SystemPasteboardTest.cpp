// The one pasteboard every session uses, over a reader, a writer and PRIMARY that the test
// plays: what counts as a change, how our writes are confirmed, and where PRIMARY goes.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include "fakes/FakeClipboard.h"
#include "platform/SystemPasteboard.h"

namespace quillet {
namespace {

ClipboardSnapshot textSnapshot(const QString& text, QStringList application = {}) {
    return {QStringList{PasteboardType::string}, text, std::move(application)};
}

// Runs what the pasteboard queued for the event loop (the readers answer that way).
void settle() {
    QCoreApplication::sendPostedEvents();
}

class SystemPasteboardTest : public ::testing::Test {
protected:
    explicit SystemPasteboardTest(bool watches = true) {
        auto reader = std::make_unique<test::FakeClipboardReader>();
        reader->watches = watches;
        auto writer = std::make_unique<test::FakeClipboardWriter>();
        auto primary = std::make_unique<test::FakePrimarySelection>();
        this->reader = reader.get();
        this->writer = writer.get();
        this->primary = primary.get();
        pasteboard = std::make_unique<SystemPasteboard>(std::move(reader), std::move(writer),
                                                        std::move(primary));
        pasteboard->setChangeHandler([this] { ++announced; });
    }

    std::optional<bool> confirmation() {
        std::optional<bool> confirmed;
        pasteboard->confirmWrite([&](bool ok) { confirmed = ok; });
        return confirmed;
    }

    test::FakeClipboardReader* reader;
    test::FakeClipboardWriter* writer;
    test::FakePrimarySelection* primary;
    std::unique_ptr<SystemPasteboard> pasteboard;
    int announced = 0;
};

TEST_F(SystemPasteboardTest, ForeignCopiesAreChangesAndOurWritesReadBackAreNot) {
    settle();
    ASSERT_EQ(reader->requests, std::vector<quint64>{1}) << "the contents at start are asked for";
    reader->answer(1, textSnapshot("at start"));
    settle();
    EXPECT_EQ(pasteboard->string(), QString("at start"));
    EXPECT_EQ(pasteboard->changeCount(), 0) << "the contents at start are no change";
    EXPECT_EQ(announced, 0);

    reader->change(textSnapshot("copied", {"xterm", "XTerm"}));
    settle();
    EXPECT_EQ(pasteboard->changeCount(), 1);
    EXPECT_EQ(announced, 1);
    EXPECT_EQ(pasteboard->application(), (QStringList{"xterm", "XTerm"}));
    reader->change(textSnapshot("copied", {"xterm", "XTerm"}));  // offered again
    settle();
    EXPECT_EQ(pasteboard->changeCount(), 1);

    ASSERT_TRUE(pasteboard->setString("ours"));
    EXPECT_EQ(writer->writes.back(), std::optional<QString>("ours"));
    EXPECT_EQ(pasteboard->changeCount(), 2);
    EXPECT_EQ(confirmation(), std::nullopt) << "confirmed before it was seen";
    // Who serves our text back does not make it someone else's copy.
    reader->change(textSnapshot("ours", {"quillet"}));
    settle();
    EXPECT_EQ(confirmation(), true);
    EXPECT_EQ(pasteboard->changeCount(), 2);
    EXPECT_EQ(announced, 1);
    EXPECT_EQ(reader->requests.size(), 1u) << "a watching reader is never asked to read back";
}

TEST_F(SystemPasteboardTest, ARefusedWriteIsReportedAndAClearBeforeAWriteNeverReachesTheSystem) {
    pasteboard->clearContents();
    ASSERT_TRUE(pasteboard->setString("chosen"));
    settle();
    EXPECT_EQ(writer->writes, (std::vector<std::optional<QString>>{"chosen"}));
    EXPECT_EQ(pasteboard->changeCount(), 2) << "the clear and the write";

    pasteboard->clearContents();  // alone: given up once the event loop runs
    EXPECT_EQ(pasteboard->string(), std::nullopt);
    settle();
    EXPECT_EQ(writer->writes.back(), std::nullopt);

    writer->refuses = true;
    EXPECT_FALSE(pasteboard->setString("refused"));
    EXPECT_EQ(confirmation(), false);
}

// A phrase that inserts the clipboard gets what it holds now: from memory while copies are read,
// by one read of its own while recording is paused (the memory is older than the pause).
TEST_F(SystemPasteboardTest, TheTextForAPasteIsReadOnceWhilePausedAndIsNoChange) {
    settle();
    reader->answer(1, textSnapshot("before the pause"));
    settle();
    std::vector<std::optional<QString>> texts;
    auto collect = [&texts](std::optional<QString> text) { texts.push_back(std::move(text)); };
    pasteboard->readText(collect);
    EXPECT_EQ(texts, (std::vector<std::optional<QString>>{"before the pause"}));
    EXPECT_EQ(reader->requests.size(), 1u) << "no read while the memory is current";

    pasteboard->setReadingPaused(true);
    texts.clear();
    pasteboard->readText(collect);
    ASSERT_EQ(reader->requests.size(), 2u) << "one read for the paste";
    EXPECT_TRUE(texts.empty()) << "answered before the read came";
    reader->answer(reader->requests.back(), textSnapshot("copied while paused"));
    settle();
    EXPECT_EQ(texts, (std::vector<std::optional<QString>>{"copied while paused"}));
    EXPECT_EQ(pasteboard->changeCount(), 0) << "the paste's read is not a copy seen";
    EXPECT_EQ(announced, 0);
    EXPECT_EQ(pasteboard->string(), QString("before the pause"));
}

// PRIMARY is written through the same pasteboard as the clipboard, and is no clipboard change.
TEST_F(SystemPasteboardTest, PrimaryTakesTheTextForOnePasteWithoutTouchingTheClipboard) {
    ASSERT_TRUE(pasteboard->setString("on the clipboard"));
    const qint64 count = pasteboard->changeCount();
    const auto written = writer->writes.size();

    std::vector<bool> answers;
    pasteboard->lendPrimary("for the terminal", [&](bool lent) { answers.push_back(lent); });
    EXPECT_EQ(primary->lent, QStringList{"for the terminal"});
    primary->takes = false;
    pasteboard->lendPrimary("refused", [&](bool lent) { answers.push_back(lent); });
    primary->takes.reset();
    pasteboard->lendPrimary("later", [&](bool lent) { answers.push_back(lent); });
    EXPECT_EQ(answers, (std::vector<bool>{true, false})) << "PRIMARY's answer is passed on";
    primary->unanswered.front()(true);
    EXPECT_EQ(answers.back(), true);

    EXPECT_EQ(pasteboard->changeCount(), count);
    EXPECT_EQ(pasteboard->string(), QString("on the clipboard"));
    EXPECT_EQ(writer->writes.size(), written) << "PRIMARY went to the clipboard";
}

TEST(SystemPasteboard, WithoutPrimaryAPasteIsReadyAtOnce) {
    SystemPasteboard pasteboard(std::make_unique<test::FakeClipboardReader>(),
                                std::make_unique<test::FakeClipboardWriter>());
    std::optional<bool> ready;
    pasteboard.lendPrimary("text", [&](bool lent) { ready = lent; });
    EXPECT_EQ(ready, true);
}

class UnwatchedPasteboardTest : public SystemPasteboardTest {
protected:
    UnwatchedPasteboardTest() : SystemPasteboardTest(false) {}
};

// A reader that cannot follow owners reads each of our writes back when asked; an answer asked
// for before a later write shows older contents and must not count as a copy.
TEST_F(UnwatchedPasteboardTest, EachWriteIsReadBackAndOutdatedAnswersAreDropped) {
    settle();
    ASSERT_EQ(reader->requests.size(), 1u);
    EXPECT_FALSE(pasteboard->announcesChanges());

    pasteboard->setString("first");
    const quint64 first = reader->requests.back();
    pasteboard->setString("second");
    const quint64 second = reader->requests.back();
    ASSERT_NE(first, second);
    const qint64 count = pasteboard->changeCount();

    reader->answer(first, textSnapshot("first"));
    settle();
    EXPECT_EQ(pasteboard->string(), QString("second"));
    EXPECT_EQ(pasteboard->changeCount(), count);
    reader->answer(second, textSnapshot("second"));
    settle();
    EXPECT_EQ(confirmation(), true);
    EXPECT_EQ(pasteboard->changeCount(), count);
    EXPECT_EQ(announced, 0);

    // The same for the initial read: a write made before it was answered is newer.
    reader->answer(1, textSnapshot("at start"));
    settle();
    EXPECT_EQ(pasteboard->string(), QString("second"));
}

// A reader that finds out on its thread that it can follow owners says so, and the pasteboard
// tells whoever polls it (once, as a change handler call without a change).
TEST_F(UnwatchedPasteboardTest, AReaderThatBeginsToWatchMakesThePasteboardAnnounce) {
    reader->beginWatching();
    settle();
    EXPECT_TRUE(pasteboard->announcesChanges());
    EXPECT_EQ(announced, 1);
    EXPECT_EQ(pasteboard->changeCount(), 0);
}

}  // namespace
}  // namespace quillet
