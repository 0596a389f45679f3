// Finding the user's Syncthing: its configuration file, the address and key in it, and which
// of its folders carries the synced folder.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>

#include "support/TempDir.h"
#include "sync/SyncthingConfig.h"

namespace quillet {
namespace {

QByteArray configWith(const QByteArray& gui) {
    return "<configuration version=\"35\">\n"
           "  <folder id=\"abcd-1234\" path=\"/home/me/Sync\"></folder>\n"
           "  <device id=\"AAAA\"><address>dynamic</address></device>\n" +
           gui +
           "\n  <options><listenAddress>default</listenAddress></options>\n</configuration>\n";
}

std::optional<SyncthingEndpoint> parsed(const QByteArray& gui, QString* why = nullptr) {
    QString ignored;
    return SyncthingConfig::parse(configWith(gui), why ? why : &ignored);
}

TEST(SyncthingConfigTest, TheGuiAddressBecomesAUrlWeCanReach) {
    const auto plain = parsed(
        "<gui enabled=\"true\" tls=\"false\"><address>127.0.0.1:8384</address>"
        "<apikey>k3y</apikey></gui>");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->url, QUrl(QStringLiteral("http://127.0.0.1:8384")));
    EXPECT_EQ(plain->apiKey, "k3y");

    const auto everywhere =
        parsed("<gui tls=\"true\"><address>0.0.0.0:9000</address><apikey> spaced </apikey></gui>");
    ASSERT_TRUE(everywhere);
    EXPECT_EQ(everywhere->url, QUrl(QStringLiteral("https://127.0.0.1:9000")));
    EXPECT_EQ(everywhere->apiKey, "spaced");

    const auto v6 = parsed("<gui><address>[::]:8384</address><apikey>k</apikey></gui>");
    ASSERT_TRUE(v6);
    EXPECT_EQ(v6->url.host(), QStringLiteral("::1"));
    EXPECT_EQ(v6->url.port(), 8384);
}

TEST(SyncthingConfigTest, ConfigurationsWithoutAUsableAddressSayWhy) {
    QString why;
    EXPECT_FALSE(
        parsed("<gui><address>/run/user/1/st.sock</address><apikey>k</apikey></gui>", &why));
    EXPECT_TRUE(why.contains(QLatin1String("Unix socket"))) << why.toStdString();
    EXPECT_FALSE(parsed("<gui><address>127.0.0.1:8384</address></gui>", &why));
    EXPECT_FALSE(parsed("<gui><address>127.0.0.1</address><apikey>k</apikey></gui>", &why));
    EXPECT_FALSE(parsed("<gui><address>127.0.0.1:99999</address><apikey>k</apikey></gui>", &why));
    EXPECT_FALSE(SyncthingConfig::parse("<configuration><gui><address>1:2", &why));
    // A device's address is not the GUI's.
    EXPECT_FALSE(parsed("", &why));
}

class SyncthingConfigFiles : public ::testing::Test {
protected:
    SyncthingConfigFiles() {
        qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    }
    ~SyncthingConfigFiles() override {
        qunsetenv("XDG_STATE_HOME");
        qunsetenv("XDG_CONFIG_HOME");
    }
    static void write(const test::TempDir& base, const QByteArray& text) {
        QDir(base.path()).mkpath(QStringLiteral("syncthing"));
        QFile file(base.file(QStringLiteral("syncthing/config.xml")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    test::TempDir state;
    test::TempDir config;
};

TEST_F(SyncthingConfigFiles, TheStateFolderComesFirstAndQuilletIniOverrides) {
    write(config, configWith("<gui><address>127.0.0.1:1111</address><apikey>old</apikey></gui>"));
    QString why;
    auto found = SyncthingConfig::find({}, {}, &why);
    ASSERT_TRUE(found) << why.toStdString();
    EXPECT_EQ(found->url.port(), 1111);
    EXPECT_EQ(found->source, config.file(QStringLiteral("syncthing/config.xml")));

    write(state, configWith("<gui><address>127.0.0.1:2222</address><apikey>new</apikey></gui>"));
    found = SyncthingConfig::find({}, {}, &why);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->url.port(), 2222);
    EXPECT_EQ(found->apiKey, "new");

    // Only the address overridden: the key still comes from the file.
    found = SyncthingConfig::find(QStringLiteral("http://127.0.0.1:3333"), {}, &why);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->url.port(), 3333);
    EXPECT_EQ(found->apiKey, "new");
    found = SyncthingConfig::find(QStringLiteral("http://127.0.0.1:4444"), "given", &why);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->apiKey, "given");
    EXPECT_EQ(found->source, QStringLiteral("quillet.ini"));
}

TEST_F(SyncthingConfigFiles, NoneOrABrokenOneIsSaidInTheReason) {
    QString why;
    EXPECT_FALSE(SyncthingConfig::find({}, {}, &why));
    EXPECT_TRUE(why.contains(state.path())) << why.toStdString();
    // A folder where the file should be, and a file too large to be one, are not read.
    QDir(state.path()).mkpath(QStringLiteral("syncthing/config.xml"));
    write(config, QByteArray(SyncthingConfig::maxConfigBytes + 1, ' '));
    EXPECT_FALSE(SyncthingConfig::find({}, {}, &why));
    EXPECT_TRUE(why.contains(QLatin1String("not a Syncthing configuration"))) << why.toStdString();
}

TEST(SyncthingFolderTest, TheDeepestFolderHoldingThePathCarriesIt) {
    test::TempDir home;
    QDir(home.path()).mkpath(QStringLiteral("Sync/Quillet"));
    QDir(home.path()).mkpath(QStringLiteral("SyncOther"));
    const QByteArray folders = QStringLiteral(
                                   R"([{"id":"outer","path":"%1"},{"id":"inner","path":"%1/Sync/"},
                                       {"id":"other","path":"%1/SyncOther"},{"id":"","path":"/"}])")
                                   .arg(home.path())
                                   .toUtf8();
    const QJsonDocument list = QJsonDocument::fromJson(folders);
    ASSERT_TRUE(list.isArray());
    auto holder = SyncthingConfig::folderHolding(list, home.file(QStringLiteral("Sync/Quillet")));
    ASSERT_TRUE(holder);
    EXPECT_EQ(holder->id, QStringLiteral("inner"));
    holder = SyncthingConfig::folderHolding(list, home.file(QStringLiteral("Sync")));
    ASSERT_TRUE(holder);
    EXPECT_EQ(holder->id, QStringLiteral("inner"));
    // A name that only begins like a folder's is not inside it.
    holder = SyncthingConfig::folderHolding(list, home.file(QStringLiteral("SyncOtherness")));
    ASSERT_TRUE(holder);
    EXPECT_EQ(holder->id, QStringLiteral("outer"));
    EXPECT_FALSE(SyncthingConfig::folderHolding(list, QStringLiteral("/elsewhere")));
}

TEST(SyncthingFolderTest, AHomeRelativeRootIsExpanded) {
    const QJsonDocument list = QJsonDocument::fromJson(R"([{"id":"t","path":"~/Shared"}])");
    const auto holder =
        SyncthingConfig::folderHolding(list, QDir::homePath() + QStringLiteral("/Shared/Q"));
    ASSERT_TRUE(holder);
    EXPECT_EQ(holder->root, QDir::homePath() + QStringLiteral("/Shared"));
}

}  // namespace
}  // namespace quillet
