// The settings window's sync section, driven from the keyboard as a user would: choosing a
// folder, starting or joining, the pairing code and its copy, failures, turning off.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

#include "fakes/FakeSyncControl.h"
#include "settings/TestSettings.h"
#include "settings/SettingsView.h"
#include "settings/SyncSection.h"
#include "support/Widgets.h"

namespace quillet {
namespace {

class SyncSectionTest : public ::testing::Test {
protected:
    SyncSectionTest() {
        settings.model.setSync(&sync);
        view = std::make_unique<SettingsView>(settings.model);
        section = view->findChild<SyncSection*>();
        section->setConfirmation([this](QWidget*) {
            ++confirmations;
            return confirmAnswer;
        });
        section->setFolderChooser(
            [this](QWidget*, std::function<void(const QString&)> done) { done(chosenFolder); });
        view->show();
        QApplication::setActiveWindow(view.get());
    }

    template <typename T>
    T* child(const char* name) const {
        return test::named<T>(*view, name);
    }
    QString problem() const {
        auto* label = child<QLabel>("syncProblem");
        return label->isVisible() ? label->text() : QString();
    }

    test::TestSettings settings;
    test::FakeSyncControl sync;
    std::unique_ptr<SettingsView> view;
    SyncSection* section = nullptr;
    QString chosenFolder = QStringLiteral("/home/me/Sync");
    int confirmations = 0;
    bool confirmAnswer = false;
};

TEST(SyncSectionAbsent, WithoutSyncTheWindowHasNoSectionAndItsUsualSize) {
    test::TestSettings settings;
    SettingsView view(settings.model);
    EXPECT_EQ(view.findChild<SyncSection*>(), nullptr);
    EXPECT_EQ(view.QWidget::height(), SettingsView::height);
}

TEST_F(SyncSectionTest, StartingTakesAChosenFolderAndShowsTheCodeToCopy) {
    auto* start = child<QPushButton>("startSync");
    EXPECT_FALSE(start->isEnabled()) << "nothing to start without a folder";
    QTest::mouseClick(child<QPushButton>("chooseSyncFolder"), Qt::LeftButton);
    EXPECT_EQ(child<QLineEdit>("syncFolder")->text(), chosenFolder);
    EXPECT_TRUE(start->hasFocus()) << "Space starts next";
    QTest::keyClick(start, Qt::Key_Space);
    ASSERT_EQ(sync.calls, QStringList{QStringLiteral("init /home/me/Sync")});
    EXPECT_FALSE(start->isEnabled()) << "one request at a time";

    sync.becomeOn(chosenFolder, QStringLiteral("ABCD-EFGH"));
    emit sync.pairingCodeReady(QStringLiteral("ABCD-EFGH"));
    auto* code = child<QLineEdit>("pairingCode");
    EXPECT_TRUE(code->isVisible());
    EXPECT_EQ(code->text(), QStringLiteral("ABCD-EFGH"));
    auto* copy = child<QPushButton>("copyPairingCode");
    EXPECT_TRUE(copy->hasFocus());
    QTest::keyClick(copy, Qt::Key_Space);
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->text(), QStringLiteral("ABCD-EFGH"));
    EXPECT_EQ(copied->data(QStringLiteral("x-kde-passwordManagerHint")), "secret")
        << "clipboard histories must not keep the key";
    EXPECT_TRUE(child<QLabel>("syncState")->text().contains(chosenFolder));
}

TEST_F(SyncSectionTest, JoiningWithReturnAndAWrongCodeSaysWhy) {
    auto* folder = child<QLineEdit>("syncFolder");
    auto* code = child<QLineEdit>("pairingCodeEntry");
    auto* join = child<QPushButton>("joinSync");
    folder->setFocus();
    QTest::keyClicks(folder, QStringLiteral("/srv/shared"));
    EXPECT_FALSE(join->isEnabled());
    QTest::keyClick(folder, Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), code) << "Tab reaches the code after the buttons";
    QTest::keyClicks(code, QStringLiteral("WRONG"));
    QTest::keyClick(code, Qt::Key_Return);
    ASSERT_EQ(sync.calls, QStringList{QStringLiteral("join /srv/shared WRONG")});

    emit sync.failed(QStringLiteral("The pairing code does not open this folder's history."));
    EXPECT_EQ(problem(), QStringLiteral("The pairing code does not open this folder's history."));
    EXPECT_TRUE(join->isEnabled()) << "another try";
    QTest::keyClick(code, Qt::Key_Return);
    EXPECT_EQ(sync.calls.size(), 2);
    EXPECT_TRUE(problem().isEmpty()) << "the old failure goes with a new request";
    sync.becomeOn(QStringLiteral("/srv/shared"), QStringLiteral("RIGHT"));
    emit sync.joined();
    EXPECT_TRUE(code->text().isEmpty()) << "the code typed is not kept in the field";
    EXPECT_EQ(child<QLineEdit>("pairingCode")->text(), QStringLiteral("RIGHT"));
}

TEST_F(SyncSectionTest, TurningOffAsksFirstAndShowsTheStatusAndProblems) {
    sync.current.devices = 2;
    sync.current.problem = QStringLiteral("Syncthing runs but does not share /srv/shared.");
    sync.current.keyInFile = true;
    sync.becomeOn(QStringLiteral("/srv/shared"), QStringLiteral("CODE"));
    EXPECT_TRUE(child<QLabel>("syncState")->text().contains(QLatin1String("2")));
    EXPECT_TRUE(problem().contains(sync.current.problem));
    EXPECT_TRUE(problem().contains(QLatin1String("file only you can read")));

    auto* off = child<QPushButton>("turnOffSync");
    QTest::keyClick(off, Qt::Key_Space);
    EXPECT_EQ(confirmations, 1);
    EXPECT_TRUE(sync.calls.isEmpty()) << "cancelled";
    confirmAnswer = true;
    QTest::keyClick(off, Qt::Key_Space);
    EXPECT_EQ(sync.calls, QStringList{QStringLiteral("off")});
    sync.becomeOff();
    EXPECT_TRUE(child<QPushButton>("startSync")->isVisible());
    EXPECT_FALSE(child<QLineEdit>("pairingCode")->isVisible());
    EXPECT_TRUE(problem().isEmpty());
}

TEST_F(SyncSectionTest, TheWindowGrowsToHoldTheSection) {
    EXPECT_EQ(view->QWidget::height(), SettingsView::height + SettingsView::syncHeight);
    // Every control lies inside the window.
    for (const char* name :
         {"syncFolder", "chooseSyncFolder", "startSync", "pairingCodeEntry", "joinSync"}) {
        auto* widget = child<QWidget>(name);
        const QRect inWindow(widget->mapTo(view.get(), QPoint(0, 0)), widget->size());
        EXPECT_TRUE(view->rect().contains(inWindow)) << name;
    }
}

}  // namespace
}  // namespace quillet
