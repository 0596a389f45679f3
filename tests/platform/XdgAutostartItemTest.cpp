#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <cerrno>
#include <cstring>

#include "platform/xdg/XdgAutostartItem.h"
#include "support/TempDir.h"

namespace quillet {
namespace {

using Status = LoginItem::Status;

// The autostart folders of a private home, taken from the environment as a session gives it.
class XdgAutostartItemTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", dir.file("config").toLocal8Bit());
        qputenv("XDG_CONFIG_DIRS", dir.file("system").toLocal8Bit());
        QDir(dir.path()).mkpath("bin dir");
        program = dir.file("bin dir/quillet");
        writeFile(program, "#!/bin/sh\n");
        QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner);
    }
    void TearDown() override {
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_CONFIG_DIRS");
    }

    static void writeFile(const QString& path, const QByteArray& text) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QString userEntry() const { return dir.file("config/autostart/quillet.desktop"); }
    QString systemEntry() const { return dir.file("system/autostart/quillet.desktop"); }
    QString entryValue(const QString& key) const {
        QSettings entry(userEntry(), QSettings::IniFormat);
        return entry.value("Desktop Entry/" + key).toString();
    }

    test::TempDir dir;
    QString program;
};

TEST_F(XdgAutostartItemTest, EnablingWritesAnEntryThatStartsThisProgramAndDisablingRemovesIt) {
    XdgAutostartItem item("quillet.desktop", program);
    EXPECT_EQ(item.status(), Status::notRegistered);
    QString error;
    ASSERT_TRUE(item.setEnabled(true, &error)) << qPrintable(error);
    EXPECT_EQ(item.status(), Status::enabled) << "the quoted path with a space reads back";
    EXPECT_EQ(entryValue("Type"), "Application");
    EXPECT_TRUE(entryValue("Exec").contains(program));

    ASSERT_TRUE(item.setEnabled(false, &error)) << qPrintable(error);
    EXPECT_FALSE(QFile::exists(userEntry()));
    EXPECT_EQ(item.status(), Status::notRegistered);
    EXPECT_TRUE(item.setEnabled(false, &error)) << "nothing to remove is no failure";
}

TEST_F(XdgAutostartItemTest, EntriesThatDoNotStartUsReadAsOff) {
    XdgAutostartItem item("quillet.desktop", program);
    writeFile(userEntry(), "[Desktop Entry]\nExec=/nowhere/quillet --x\n");
    EXPECT_EQ(item.status(), Status::notFound);
    writeFile(userEntry(), "[Desktop Entry]\nExec=sh\nHidden=true\n");
    EXPECT_EQ(item.status(), Status::notRegistered);
    writeFile(userEntry(), "[Desktop Entry]\nExec=sh\nX-GNOME-Autostart-enabled=false\n");
    EXPECT_EQ(item.status(), Status::notRegistered);
    writeFile(userEntry(), "[Desktop Entry]\nExec=sh -c true\n[Desktop Action x]\nHidden=true\n");
    EXPECT_EQ(item.status(), Status::enabled) << "a program on PATH; other groups do not count";
}

TEST_F(XdgAutostartItemTest, ASystemWideEntryIsHiddenRatherThanRemoved) {
    writeFile(systemEntry(), "[Desktop Entry]\nType=Application\nExec=sh\n");
    XdgAutostartItem item("quillet.desktop", program);
    EXPECT_EQ(item.status(), Status::enabled);
    QString error;
    ASSERT_TRUE(item.setEnabled(false, &error)) << qPrintable(error);
    EXPECT_EQ(entryValue("Hidden"), "true");
    EXPECT_TRUE(QFile::exists(systemEntry()));
    EXPECT_EQ(item.status(), Status::notRegistered);
    ASSERT_TRUE(item.setEnabled(true, &error));
    EXPECT_EQ(item.status(), Status::enabled);
}

TEST_F(XdgAutostartItemTest, RefusalsNameTheFileWithTheSystemsMessage) {
    // A file where the folder should be, and a folder where the entry should be: both fail
    // whatever the user's privileges.
    writeFile(dir.file("config/autostart"), "not a folder");
    XdgAutostartItem item("quillet.desktop", program);
    QString error;
    EXPECT_FALSE(item.setEnabled(true, &error));
    EXPECT_EQ(error, userEntry() + ": " + QString::fromLocal8Bit(std::strerror(ENOTDIR)));
    EXPECT_EQ(item.status(), Status::notRegistered);

    QFile::remove(dir.file("config/autostart"));
    QDir().mkpath(userEntry() + "/inside");
    EXPECT_FALSE(item.setEnabled(false, &error));
    EXPECT_EQ(error, userEntry() + ": " + QString::fromLocal8Bit(std::strerror(EISDIR)));
}

}  // namespace
}  // namespace quillet
