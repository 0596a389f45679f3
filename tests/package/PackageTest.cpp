// The .deb that `make package` builds, unpacked with dpkg-deb into a private root: its control
// fields, the files its desktop entry names, and the program run from there under a private X
// server.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <algorithm>

#include "support/ChildProcess.h"
#include "support/TempDir.h"
#include "support/Wait.h"
#include "support/XvfbSession.h"

using namespace std::chrono_literals;

namespace quillet::test {
namespace {

const QString kAppId = QStringLiteral(QUILLET_APP_ID);
const QList<int> kIconSizes{16, 22, 24, 32, 48, 64, 128, 256};

// Standard output (and standard error with `withErrors`) of a short command.
QByteArray outputOf(const QStringList& arguments, const QStringList& environment = {},
                    bool withErrors = false) {
    ChildProcess::Options options;
    options.environment = environment;
    QStringList command = arguments;
    if (withErrors) command = QStringList{"sh", "-c", "exec \"$@\" 2>&1", "sh"} + arguments;
    const CommandResult result = runCommand(command, 30s, options);
    EXPECT_TRUE(result.finished && result.exitCode == 0)
        << qPrintable(arguments.join(' ')) << " failed: " << result.output.constData();
    return result.output;
}

// The package made by the `package_deb` step before this test, unpacked once for every test.
class Package : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const QStringList debs = QDir(QStringLiteral(PACKAGE_DIR))
                                     .entryList({QStringLiteral("quillet_*.deb")}, QDir::Files);
        ASSERT_EQ(debs.size(), 1) << "expected one package in " PACKAGE_DIR;
        deb = new QString(QStringLiteral(PACKAGE_DIR "/") + debs.first());
        unpacked = new TempDir;
        outputOf({"dpkg-deb", "-x", *deb, unpacked->path()});
    }
    static void TearDownTestSuite() {
        delete deb;
        delete unpacked;
        deb = nullptr;
        unpacked = nullptr;
    }
    void SetUp() override {
        if (!deb || !unpacked) GTEST_SKIP() << "no package to look at";
    }

    static QString root() { return unpacked->path(); }
    static QString file(const QString& path) { return root() + u'/' + path; }
    static QString field(const char* name) {
        return QString::fromUtf8(outputOf({"dpkg-deb", "--field", *deb, name}).trimmed());
    }

    static QString* deb;
    static TempDir* unpacked;
};
QString* Package::deb = nullptr;
TempDir* Package::unpacked = nullptr;

TEST_F(Package, ControlFieldsNameTheProgramAndItsLibraries) {
    EXPECT_EQ(field("Package"), "quillet");
    EXPECT_TRUE(field("Version").startsWith(QStringLiteral(PROJECT_VERSION "-")))
        << qPrintable(field("Version"));
    EXPECT_TRUE(QRegularExpression(R"(^.+ <[^@ ]+@[^@ ]+>$)").match(field("Maintainer")).hasMatch())
        << qPrintable(field("Maintainer"));
    EXPECT_FALSE(field("Description").isEmpty());
    // Computed by dpkg-shlibdeps from what the program links, never written by hand.
    const QString depends = field("Depends");
    for (const char* library : {"libqt6widgets6", "libqt6network6", "libsqlite3-0", "libxcb1",
                                "libxcb-xtest0", "libxcb-keysyms1"})
        EXPECT_TRUE(depends.contains(QLatin1String(library)))
            << library << " missing from Depends: " << qPrintable(depends);
}

TEST_F(Package, DesktopEntryAndMetainfoPointAtPackagedFiles) {
    QSettings entry(file("usr/share/applications/quillet.desktop"), QSettings::IniFormat);
    entry.beginGroup("Desktop Entry");
    const QString exec = entry.value("Exec").toString().section(u' ', 0, 0);
    EXPECT_TRUE(QFileInfo(file("usr/bin/" + exec)).isFile()) << qPrintable(exec);
    const QString icon = entry.value("Icon").toString();
    EXPECT_TRUE(QFileInfo::exists(file("usr/share/icons/hicolor/scalable/apps/" + icon + ".svg")))
        << qPrintable(icon);

    QFile metainfo(file("usr/share/metainfo/" + kAppId + ".metainfo.xml"));
    ASSERT_TRUE(metainfo.open(QIODevice::ReadOnly));
    const QString xml = QString::fromUtf8(metainfo.readAll());
    EXPECT_TRUE(xml.contains("<id>" + kAppId + "</id>"));
    EXPECT_TRUE(xml.contains("<launchable type=\"desktop-id\">quillet.desktop</launchable>"));
    EXPECT_TRUE(xml.contains("<binary>" + exec + "</binary>"));
    EXPECT_TRUE(xml.contains(QStringLiteral("<release version=\"" PROJECT_VERSION "\"")));
    // The screenshots are those of the README, published under the site's screenshot folder.
    static const QRegularExpression image(R"(<image>[^<]*/([^/<]+)</image>)");
    int images = 0;
    for (auto it = image.globalMatch(xml); it.hasNext(); ++images) {
        const QString name = it.next().captured(1);
        EXPECT_TRUE(QFileInfo::exists(QStringLiteral(SOURCE_DIR "/docs/screenshots/") + name))
            << qPrintable(name) << " is not in docs/screenshots";
    }
    EXPECT_GE(images, 1);
}

TEST_F(Package, ManualPageDocumentsEveryOption) {
    const QByteArray help = outputOf({file("usr/bin/quillet"), "--help"});
    const QString manual = QString::fromUtf8(
        outputOf({"man", "-l", file("usr/share/man/man1/quillet.1.gz")}, {"MANWIDTH=200"}));
    ASSERT_TRUE(manual.contains("NAME")) << qPrintable(manual.left(200));
    EXPECT_TRUE(manual.contains("FILES") && manual.contains("ENVIRONMENT"));
    static const QRegularExpression longOption(R"((--[a-z][a-z-]+))");
    int options = 0;
    for (auto it = longOption.globalMatch(QString::fromUtf8(help)); it.hasNext(); ++options) {
        const QString option = it.next().captured(1);
        EXPECT_TRUE(manual.contains(option)) << qPrintable(option) << " is not in the manual";
    }
    EXPECT_GE(options, 5) << help.constData();
    for (const char* name : {"LANGUAGE", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR",
                             "QT_LOGGING_RULES", "history.sqlite", "quillet.ini"})
        EXPECT_TRUE(manual.contains(QLatin1String(name))) << name << " is not in the manual";
}

// The sizes of the icon the program says it took from `source` in its start-up log, smallest
// first; empty when it took its icon from elsewhere.
QList<int> iconSizes(const QString& log, const QString& source) {
    const QRegularExpression line("icon " + QRegularExpression::escape(source) +
                                  ", sizes ([0-9 ]+)");
    QList<int> sizes;
    for (const QString& size : line.match(log).captured(1).split(u' ', Qt::SkipEmptyParts))
        sizes << size.toInt();
    std::sort(sizes.begin(), sizes.end());
    return sizes;
}

// The unpacked program on a private X server, in a private home, with the package's share folder
// (and the system's hicolor index, which a real system has) as the only data folders.
class InstalledProgram : public Package {
protected:
    void SetUp() override {
        Package::SetUp();
        if (IsSkipped()) return;
        QString error;
        x = XvfbSession::start({}, &error);
        ASSERT_TRUE(x) << qPrintable(error);
        for (const char* folder : {"config", "data", "run", "system/icons/hicolor"})
            QDir(home.path()).mkpath(folder);
        QFile::setPermissions(home.file("run"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ASSERT_TRUE(QFile::copy("/usr/share/icons/hicolor/index.theme",
                                home.file("system/icons/hicolor/index.theme")))
            << "the hicolor icon theme (Debian: hicolor-icon-theme) is not installed";
    }
    void TearDown() override {
        if (quillet) quillet->stop();
    }

    QStringList environment(const QString& dataDirs, const QString& language) const {
        return {x->displayVariable(),
                "QT_QPA_PLATFORM=xcb",
                "HOME=" + home.path(),
                "XDG_CONFIG_HOME=" + home.file("config"),
                "XDG_DATA_HOME=" + home.file("data"),
                "XDG_RUNTIME_DIR=" + home.file("run"),
                "XDG_DATA_DIRS=" + dataDirs,
                "LANGUAGE=" + language,
                "QT_LOGGING_RULES=quillet.app.debug=true"};
    }
    int ask(const QString& option) const {
        ChildProcess::Options options;
        options.environment = environment({}, "en");
        options.captureOutput = false;
        const CommandResult result = runCommand({file("usr/bin/quillet"), option}, 10s, options);
        return result.finished ? result.exitCode : -1;
    }
    // Starts the unpacked program, waits until it answers, asks it to quit; its start-up log.
    QString runOnce(const QString& dataDirs, const QString& language) {
        quillet = std::make_unique<ChildProcess>();
        ChildProcess::Options options;
        options.environment = environment(dataDirs, language);
        EXPECT_TRUE(
            quillet->start({"sh", "-c", "exec \"$0\" 2>&1", file("usr/bin/quillet")}, options));
        EXPECT_TRUE(waitFor([&] { return !quillet->isRunning() || ask("--status") == 0; }, 15s))
            << quillet->output().constData();
        EXPECT_TRUE(quillet->isRunning()) << quillet->output().constData();
        EXPECT_EQ(ask("--quit"), 0);
        EXPECT_TRUE(quillet->waitForExit(10s));
        EXPECT_EQ(quillet->exitCode().value_or(-1), 0);
        return QString::fromUtf8(quillet->output());
    }

    std::unique_ptr<XvfbSession> x;
    TempDir home;
    std::unique_ptr<ChildProcess> quillet;
};

TEST_F(InstalledProgram, RunsWithTheThemeIconAndItsCatalogue) {
    const QString log = runOnce(file("usr/share") + u':' + home.file("system"), "ja");
    EXPECT_EQ(iconSizes(log, "from the icon theme"), kIconSizes) << qPrintable(log);
    EXPECT_TRUE(log.contains("texts in ja from the built-in catalogue")) << qPrintable(log);
    EXPECT_TRUE(QFileInfo::exists(home.file("data/quillet/history.sqlite")));
    EXPECT_NE(ask("--status"), 0) << "still answering after --quit";
}

TEST_F(InstalledProgram, FallsBackToItsBuiltInIconOutsideTheTheme) {
    const QString log = runOnce(home.file("system"), "en");
    EXPECT_EQ(iconSizes(log, "built in"), kIconSizes) << qPrintable(log);
    EXPECT_TRUE(log.contains("texts in en from the built-in catalogue")) << qPrintable(log);
}

}  // namespace
}  // namespace quillet::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
