#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <memory>

#include "e2e/QuilletDriver.h"
#include "support/KWinSession.h"
#include "support/TempDir.h"
#include "support/Wait.h"

namespace quillet::test {

extern const KWinSession* kwinCompositor;
extern QString kwinUnavailable;

namespace {

using namespace std::chrono_literals;

// evdev key codes, as KWin's keyboard gives them.
constexpr int keyEscape = 1;
constexpr int key2 = 3;
const QStringList superShiftV{"125", "42", "47"};

class KdeE2E : public ::testing::Test {
protected:
    void SetUp() override {
        if (kwinCompositor == nullptr)
            GTEST_SKIP() << "no headless KWin here: " << qPrintable(kwinUnavailable);
        // The chord chosen for each window is a debug line of its own.
        qputenv("QT_LOGGING_RULES", "quillet.paste.debug=true");
        quillet = std::make_unique<QuilletDriver>(*kwinCompositor);
        quillet->keepErrors();
        ASSERT_TRUE(started(*quillet));
        QDir().mkpath(clientRuntime.path());
    }

    // Foreign clients (wl-copy, the target window) run as we do, in a runtime folder of ours.
    ChildProcess::Options clientOptions() const {
        ChildProcess::Options options = ChildProcess::silent(kwinCompositor->environment());
        options.environment << QStringLiteral("XDG_RUNTIME_DIR=") + clientRuntime.path()
                            << QStringLiteral("QT_QPA_PLATFORM=wayland");
        return options;
    }

    // The test's own client, which KWin trusts as it trusts quillet.
    QByteArray kwinClient(const QStringList& arguments) const {
        ChildProcess::Options options;
        options.environment = kwinCompositor->environment();
        return runCommand(kwinCompositor->runAsSessionUser() +
                              QStringList{QStringLiteral(KWIN_CLIENT_BINARY)} + arguments,
                          5s, options)
            .output;
    }
    QString activeApp() const { return QString::fromUtf8(kwinClient({"active"})).trimmed(); }
    bool activeBecomes(const QString& appId) const {
        return waitFor([&] { return activeApp() == appId; }, 5s);
    }

    void copy(const QString& text) {
        ASSERT_EQ(runCommand({"wl-copy", text}, 5s, clientOptions()).exitCode, 0);
        ASSERT_TRUE(quillet->recordedFirst(text))
            << "not recorded: " << qPrintable(text);
    }
    QString clipboard() const {
        ChildProcess::Options options = clientOptions();
        options.captureOutput = options.keepErrors = true;
        return QString::fromUtf8(runCommand({"wl-paste", "-n"}, 5s, options).output);
    }

    void startTarget() {
        ASSERT_TRUE(target.start({QStringLiteral(TARGET_BINARY), targetFile}, clientOptions()));
        ASSERT_TRUE(activeBecomes(QStringLiteral("quillet-target")))
            << "the target window never became active";
    }
    QString received() const {
        QFile file(targetFile);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    TempDir clientRuntime;
    std::unique_ptr<QuilletDriver> quillet;
    QString targetFile = clientRuntime.path() + QStringLiteral("/target.txt");
    ChildProcess target;
};

}  // namespace

TEST_F(KdeE2E, CopiesAreRecordedAndAChosenClipIsOnTheClipboard) {
    QByteArray status;
    ASSERT_EQ(quillet->command("--status", &status), 0);
    EXPECT_TRUE(status.contains("Paste: KWin fake input")) << status.constData();
    EXPECT_TRUE(status.contains("org_kde_plasma_window_management")) << status.constData();
    EXPECT_EQ(status.count("V: KDE global shortcuts (org.kde.kglobalaccel)"), 1)
        << "the history menu's key" << status.constData();

    for (const char* text : {"first copy", "second copy", "third copy"}) copy(text);
    EXPECT_EQ(quillet->clips(), (QStringList{"third copy", "second copy", "first copy"}));

    ASSERT_EQ(quillet->command("--history-menu"), 0);
    ASSERT_TRUE(activeBecomes(QStringLiteral("quillet")));
    kwinClient({"keys", QString::number(key2)});
    EXPECT_TRUE(waitFor([&] { return clipboard() == QLatin1String("second copy"); }, 5s))
        << qPrintable(clipboard());
}

// The whole round, twenty times: the menu takes the keyboard, a digit chooses, KWin gives the
// focus back and fake input's Ctrl+V pastes the clip into the window before.
TEST_F(KdeE2E, AutomaticPasteReachesTheFocusedWindowEveryTime) {
    startTarget();
    copy("alpha");
    copy("beta");
    QString expected;
    int pasted = 0;
    for (int round = 0; round < 20; ++round) {
        ASSERT_EQ(quillet->command("--history-menu"), 0);
        ASSERT_TRUE(activeBecomes(QStringLiteral("quillet"))) << "round " << round;
        // A chosen clip becomes the newest, so the second entry alternates.
        expected += quillet->clips().value(1);
        kwinClient({"keys", QString::number(key2)});
        if (waitFor([&] { return received() == expected; }, 5s)) ++pasted;
        expected = received();  // a lost round does not fail the ones after it
        ASSERT_TRUE(activeBecomes(QStringLiteral("quillet-target"))) << "round " << round;
    }
    EXPECT_EQ(pasted, 20);
    EXPECT_TRUE(quillet->process().output().contains("quillet-target"))
        << "the chord was chosen for the target's app id";
}

TEST_F(KdeE2E, TheStoredChordOpensTheHistoryMenuThroughKdesShortcuts) {
    startTarget();
    copy("by the key");
    kwinClient(QStringList{"keys"} + superShiftV);
    ASSERT_TRUE(activeBecomes(QStringLiteral("quillet"))) << "Super+Shift+V opened no menu";
    kwinClient({"keys", QString::number(keyEscape)});
    EXPECT_TRUE(activeBecomes(QStringLiteral("quillet-target")));
    EXPECT_TRUE(received().isEmpty()) << "Escape pastes nothing";
}

}  // namespace quillet::test
