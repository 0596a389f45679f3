// The threaded clipboard reader against real owners: xclip for plain text, images, file lists
// and large (incremental) transfers, a Qt helper for the password-manager hint, and a stopped
// xclip for an owner that never answers.

#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>
#include <vector>

#include "platform/Pasteboard.h"
#include "platform/X11TestEnvironment.h"
#include "platform/x11/X11ClipboardReader.h"
#include "support/Wait.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

// True while the reader's thread is blocked in its wait for the owner: a poll over two
// descriptors (the connection and the wake-up one), unlike libxcb's own reply waits.
bool readerWaitsForOwner() {
#if defined(__x86_64__)
    const QList<QByteArray> pollCalls{"7", "271"};
#elif defined(__aarch64__)
    const QList<QByteArray> pollCalls{"73"};
#else
    const QList<QByteArray> pollCalls;
#endif
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(task + QStringLiteral("/comm")));
        QFile syscall(tasks.filePath(task + QStringLiteral("/syscall")));
        if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != "quillet-clip") continue;
        if (!syscall.open(QIODevice::ReadOnly)) return false;
        const QList<QByteArray> fields = syscall.readAll().trimmed().split(' ');
        return fields.size() > 2 && pollCalls.contains(fields[0]) && fields[2] == "0x2";
    }
    return false;
}

class X11ClipboardReaderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(noOwner()) << "a clipboard owner outlived the last test"; }

    bool noOwner() {
        return waitFor([&] { return client.selectionOwner("CLIPBOARD") == XCB_WINDOW_NONE; }, 5s);
    }

    // Starts `xclip` as the CLIPBOARD owner (in the foreground, so it is the process we
    // hold) and waits until it owns the selection.
    ChildProcess* startXclip(const QStringList& arguments, const QByteArray& input) {
        auto options = ChildProcess::silent({x11Session().displayVariable()});
        options.input = input;
        auto owner = std::make_unique<ChildProcess>();
        if (!owner->start(QStringList{"xclip", "-quiet", "-selection", "clipboard"} + arguments,
                          options))
            return nullptr;
        return adopt(std::move(owner));
    }
    // An owner that took the clipboard and then stopped: it never answers.
    ChildProcess* startStoppedOwner(const QByteArray& text) {
        ChildProcess* owner = startXclip({}, text);
        if (owner) owner->sendSignal(SIGSTOP);
        return owner;
    }

    ChildProcess* adopt(std::unique_ptr<ChildProcess> owner) {
        if (!owner) return nullptr;
        const bool owns =
            waitFor([&] { return client.selectionOwner("CLIPBOARD") != XCB_WINDOW_NONE; }, 5s);
        owners.push_back(std::move(owner));
        return owns ? owners.back().get() : nullptr;
    }

    QByteArray display() const { return x11Session().display().toLocal8Bit(); }

    XConnection client;
    std::vector<std::unique_ptr<ChildProcess>> owners;
};

TEST_F(X11ClipboardReaderTest, OnlyPlainTextIsReadAndEveryOwnerIsTyped) {
    X11ClipboardReader reader(display());
    QElapsedTimer clock;
    clock.start();
    const auto nothing = readSnapshot(reader, 1);
    ASSERT_TRUE(nothing.has_value());
    EXPECT_LT(clock.elapsed(), 300) << "no owner is answered at once";
    EXPECT_TRUE(nothing->types.isEmpty());
    EXPECT_FALSE(nothing->text.has_value());

    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("pixel.png"));
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(png));
    const QString text = QStringLiteral("Grüße from the clipboard ✓\nsecond line");
    struct Owner {
        QStringList arguments;
        QByteArray input;
        QStringList types;
        std::optional<QString> text;
    };
    const Owner xclips[] = {
        {{}, text.toUtf8(), {PasteboardType::string}, text},
        {{"-t", "image/png", "-i", png}, {}, {PasteboardType::png}, std::nullopt},
        {{"-t", "text/uri-list"}, "file:///tmp/x\n", {PasteboardType::fileURL}, std::nullopt},
    };
    quint64 ticket = 1;
    for (const Owner& owner : xclips) {
        ASSERT_TRUE(startXclip(owner.arguments, owner.input))
            << owner.types.join(',').toStdString();
        const auto answer = readSnapshot(reader, ++ticket);
        ASSERT_TRUE(answer.has_value());
        EXPECT_EQ(answer->types, owner.types);
        EXPECT_EQ(answer->text, owner.text);
        owners.clear();
        ASSERT_TRUE(noOwner());
    }

    ASSERT_TRUE(adopt(startHelper(QStringLiteral("secret-owner"))));
    const auto secret = readSnapshot(reader, ++ticket);
    ASSERT_TRUE(secret.has_value());
    EXPECT_TRUE(secret->types.contains(PasteboardType::concealed))
        << secret->types.join(',').toStdString();
    EXPECT_FALSE(secret->text.has_value()) << "a secret's text is not even read";
}

TEST_F(X11ClipboardReaderTest, LargeTextArrivesWholeThroughIncrementalTransfer) {
    // xclip switches to INCR above about 1 MiB; this is three times that.
    QString text;
    for (int line = 0; text.size() < 3 * 1024 * 1024; ++line)
        text += QStringLiteral("line %1 – ünïcödé\n").arg(line);
    ASSERT_TRUE(startXclip({}, text.toUtf8()));
    X11ClipboardReader reader(display());

    const auto answer = readSnapshot(reader, 1, 20s);

    ASSERT_TRUE(answer.has_value());
    ASSERT_TRUE(answer->text.has_value());
    EXPECT_EQ(answer->text->size(), text.size());
    EXPECT_TRUE(*answer->text == text);
}

TEST_F(X11ClipboardReaderTest, AStoppedOwnerIsAnsweredEmptyWithoutStallingThenReadOnceAwake) {
    ChildProcess* owner = startStoppedOwner("late but fine");
    ASSERT_TRUE(owner);
    X11ClipboardReader reader(display(), 300ms);
    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, clock.elapsed() - lastTick);
        lastTick = clock.elapsed();
    });
    ticker.start(20);

    const auto missed = readSnapshot(reader, 1, 3s);
    ASSERT_TRUE(missed.has_value());
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_TRUE(missed->types.isEmpty());
    EXPECT_FALSE(missed->text.has_value());
    EXPECT_LT(longestGap, 200) << "the caller's event loop stalled";

    // The owner now answers the abandoned request too; that answer must not be mistaken for
    // the next one.
    owner->sendSignal(SIGCONT);
    const auto answer = readSnapshot(reader, 2);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->types, QStringList{PasteboardType::string});
    EXPECT_EQ(answer->text, QStringLiteral("late but fine"));
}

TEST_F(X11ClipboardReaderTest, RequestsDuringAReadAreCoalescedIntoOneForTheLatestTicket) {
    ASSERT_TRUE(startStoppedOwner("stuck"));
    X11ClipboardReader reader(display(), 500ms);
    std::vector<quint64> answered;
    QObject::connect(&reader, &ClipboardReader::snapshotRead,
                     [&](quint64 ticket, const ClipboardSnapshot&) { answered.push_back(ticket); });
    QElapsedTimer clock;
    clock.start();

    reader.requestRead(1);
    ASSERT_TRUE(waitFor(readerWaitsForOwner, 2s));
    for (quint64 ticket = 2; ticket <= 6; ++ticket) reader.requestRead(ticket);

    ASSERT_TRUE(waitFor([&] { return !answered.empty() && answered.back() == 6; }, 5s));
    // The read that was running, then one for the latest request: not one per request.
    EXPECT_EQ(answered, (std::vector<quint64>{1, 6}));
    EXPECT_LT(clock.elapsed(), 1400);
}

// xclip -loops 1 quits once it has handed its text out: while it runs, nobody read it.
TEST_F(X11ClipboardReaderTest, APausedReaderLetsNewOwnersGoUnreadEvenAfterThePause) {
    X11ClipboardReader reader(display());
    std::vector<ClipboardSnapshot> changes;
    QObject::connect(&reader, &ClipboardReader::changeRead,
                     [&](const ClipboardSnapshot& snapshot) { changes.push_back(snapshot); });
    ASSERT_TRUE(readSnapshot(reader, 1).has_value());
    ASSERT_TRUE(reader.watchesOwner()) << "this server lacks XFixes";

    ASSERT_TRUE(startXclip({}, "followed"));
    ASSERT_TRUE(waitFor([&] { return !changes.empty(); }, 5s)) << "the new owner was not read";
    EXPECT_EQ(changes.back().text, QStringLiteral("followed"));
    owners.clear();
    ASSERT_TRUE(noOwner());
    changes.clear();

    reader.setPaused(true);
    ChildProcess* secret = startXclip({"-loops", "1"}, "secret");
    ASSERT_TRUE(secret);
    EXPECT_FALSE(waitFor([&] { return !changes.empty() || !secret->isRunning(); }, 1s))
        << "the owner that came during the pause was read";
    reader.setPaused(false);
    EXPECT_FALSE(waitFor([&] { return !changes.empty() || !secret->isRunning(); }, 1s))
        << "lifting the pause read the owner that came during it";

    // Asked for, it is read even while paused: our own writes are confirmed this way.
    reader.setPaused(true);
    const auto asked = readSnapshot(reader, 2);
    ASSERT_TRUE(asked.has_value());
    EXPECT_EQ(asked->text, QStringLiteral("secret"));
}

TEST_F(X11ClipboardReaderTest, DestroyingTheReaderDoesNotWaitForAStoppedOwner) {
    ASSERT_TRUE(startStoppedOwner("stuck"));
    auto reader = std::make_unique<X11ClipboardReader>(display(), 10s);
    reader->requestRead(1);
    ASSERT_TRUE(waitFor(readerWaitsForOwner, 2s));
    QElapsedTimer clock;
    clock.start();

    reader.reset();

    EXPECT_LT(clock.elapsed(), 500);
}

}  // namespace
}  // namespace quillet::test
