// The privacy section of the settings window: the list of applications whose copies are never
// recorded, as the user edits it with the keyboard, and what reaches the settings file.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "settings/TestSettings.h"
#include "settings/IgnoredApplications.h"
#include "settings/PrivacySection.h"
#include "settings/SettingsView.h"

namespace quillet {
namespace {

QStringList shown(const QListWidget* list) {
    QStringList names;
    for (int row = 0; row < list->count(); ++row) names << list->item(row)->text();
    return names;
}

class PrivacySectionTest : public ::testing::Test {
protected:
    QStringList stored() {
        return settings.settings.value(QLatin1String(IgnoredApplications::key)).toStringList();
    }

    test::TestSettings settings;
    IgnoredApplications& model = settings.model.ignoredApplications();
    SettingsView view{settings.model};
    QListWidget* list = view.findChild<QListWidget*>("ignoredApplications");
    QLineEdit* edit = view.findChild<QLineEdit*>("ignoredApplicationName");
    QPushButton* add = view.findChild<QPushButton*>("addIgnoredApplication");
    QPushButton* remove = view.findChild<QPushButton*>("removeIgnoredApplication");
    QLabel* note = view.findChild<QLabel*>("attributionNote");
};

TEST_F(PrivacySectionTest, StartsWithThePasswordManagersUntilTheUserChangesTheList) {
    ASSERT_TRUE(list && edit && add && remove && note);
    EXPECT_FALSE(settings.settings.contains(QLatin1String(IgnoredApplications::key)));
    EXPECT_EQ(shown(list), IgnoredApplications::defaults());
    for (const char* name : {"keepassxc", "org.keepassxc.KeePassXC", "bitwarden", "1password",
                             "enpass", "keeweb", "qtpass", "org.gnome.World.Secrets", "seahorse",
                             "org.gnome.seahorse.Application"})
        EXPECT_TRUE(IgnoredApplications::defaults().contains(name)) << name;
    EXPECT_FALSE(add->isEnabled()) << "nothing typed yet";
    EXPECT_FALSE(remove->isEnabled()) << "nothing chosen yet";
}

TEST_F(PrivacySectionTest, NamesAreAddedWithReturnAndRemovedWithDelete) {
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    edit->setFocus();
    QTest::keyClicks(edit, "  org.example.Vault ");
    EXPECT_TRUE(add->isEnabled());
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_EQ(shown(list).last(), "org.example.Vault");
    EXPECT_EQ(stored(), IgnoredApplications::defaults() + QStringList{"org.example.Vault"});

    // A name already listed, in another case, or a blank one, is not added twice.
    QTest::keyClicks(edit, "KEEPASSXC");
    QTest::mouseClick(add, Qt::LeftButton);
    QTest::keyClicks(edit, "   ");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(list->count(), IgnoredApplications::defaults().size() + 1);

    // Delete takes the chosen name away and chooses the next, so Delete goes on down the list.
    list->setFocus();
    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Delete);
    QTest::keyClick(list, Qt::Key_Delete);
    QStringList expected = IgnoredApplications::defaults().mid(2) + QStringList{"org.example.Vault"};
    EXPECT_EQ(shown(list), expected);
    EXPECT_EQ(stored(), expected);
    EXPECT_EQ(list->currentItem()->text(), expected.first());
    QTest::mouseClick(remove, Qt::LeftButton);
    expected.removeFirst();
    EXPECT_EQ(model.names(), expected);
}

TEST_F(PrivacySectionTest, AnEmptiedListStaysEmptyAcrossRuns) {
    for (const QString& name : model.names()) model.remove(name);
    EXPECT_EQ(list->count(), 0);
    IgnoredApplications again(settings.settings);
    EXPECT_TRUE(again.names().isEmpty()) << "an emptied list is not the defaults again";
}

TEST_F(PrivacySectionTest, TheNoteSaysWhetherThisDesktopCanApplyTheList) {
    const QString unavailable = note->text();
    EXPECT_TRUE(unavailable.contains("cannot be applied")) << unavailable.toStdString();
    model.setAttribution(CopyAttribution::ownerWindowClass);
    EXPECT_TRUE(note->text().contains("WM_CLASS")) << note->text().toStdString();
    model.setAttribution(CopyAttribution::activeAppId);
    EXPECT_TRUE(note->text().contains("app id")) << note->text().toStdString();
}

}  // namespace
}  // namespace quillet
