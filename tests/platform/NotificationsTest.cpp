#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QSettings>
#include <QTest>
#include <memory>
#include <optional>

#include "fakes/FakeNotificationService.h"
#include "platform/xdg/FreedesktopNotifications.h"
#include "settings/OneTimeNotice.h"
#include "support/TempDir.h"
#include "support/Wait.h"

// Runs on a private session bus (dbus-run-session, from CTest): the notification service is a
// fake on a second connection of this process, or absent.
namespace quillet {
namespace {

using test::FakeNotificationService;

class NotificationsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()); }

    std::unique_ptr<QSettings> openSettings() const {
        return std::make_unique<QSettings>(directory.file("settings.ini"), QSettings::IniFormat);
    }

    // One start of the program: its notifier and the notice; what the service answered, or
    // nullopt when nothing was sent.
    std::optional<bool> start(int timeoutMs = 2000) {
        auto settings = openSettings();
        FreedesktopNotifications notifications(QDBusConnection::sessionBus(), timeoutMs);
        std::optional<bool> answer;
        bool sent = false;
        // Wrapped so the test sees the answer the notice acts on.
        struct Watching final : Notifications {
            Notifications& inner;
            std::optional<bool>& answer;
            bool& sent;
            Watching(Notifications& inner, std::optional<bool>& answer, bool& sent)
                : inner(inner), answer(answer), sent(sent) {}
            void notify(const QString& t, const QString& b, Done done) override {
                sent = true;
                inner.notify(t, b, [this, done](bool shown) {
                    answer = shown;
                    done(shown);
                });
            }
        } watching(notifications, answer, sent);
        OneTimeNotice watched(*settings, watching);
        watched.show(QStringLiteral("noTrayNoticeShown"), "Quillet runs without a tray icon",
                     "Start it again to search.");
        const std::chrono::milliseconds bound(timeoutMs + 2000);
        if (sent && !test::waitFor([&] { return answer.has_value(); }, bound))
            ADD_FAILURE() << "the notifier never said how the call ended";
        return answer;
    }

    test::TempDir directory;
};

TEST_F(NotificationsTest, TheNoticeIsShownOnceAcrossStarts) {
    FakeNotificationService service(QStringLiteral("notifications-once"));
    ASSERT_TRUE(service.registered);

    EXPECT_EQ(start(), true);
    ASSERT_EQ(service.received.size(), 1u);
    EXPECT_EQ(service.received[0].summary, "Quillet runs without a tray icon");
    EXPECT_EQ(service.received[0].body, "Start it again to search.");
    EXPECT_EQ(service.received[0].icon, "quillet");
    EXPECT_EQ(service.received[0].expiry, 0) << "kept until the user closes it";
    EXPECT_TRUE(openSettings()->value("noTrayNoticeShown").toBool());

    EXPECT_EQ(start(), std::nullopt) << "nothing sent at the next start";
    EXPECT_EQ(service.received.size(), 1u);
}

TEST_F(NotificationsTest, WithoutAServiceNothingIsRememberedAndTheNextStartTriesAgain) {
    EXPECT_EQ(start(), false);
    EXPECT_FALSE(openSettings()->value("noTrayNoticeShown").toBool());

    FakeNotificationService service(QStringLiteral("notifications-late"));
    EXPECT_EQ(start(), true);
    EXPECT_EQ(service.received.size(), 1u);
}

TEST_F(NotificationsTest, AHungServiceCostsABoundedWait) {
    FakeNotificationService service(QStringLiteral("notifications-hung"));
    service.silent = true;
    QElapsedTimer waited;
    waited.start();
    EXPECT_EQ(start(300), false);
    EXPECT_LT(waited.elapsed(), 2000);
    EXPECT_EQ(service.received.size(), 1u);
    EXPECT_FALSE(openSettings()->value("noTrayNoticeShown").toBool());
}

}  // namespace
}  // namespace quillet
