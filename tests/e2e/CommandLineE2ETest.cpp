// The command line as a newcomer meets it: mistakes are named and never start a second tray
// program, one store is never shared by two running instances, and a FIFO in place of one of
// its files never hangs the start.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QRegularExpression>

#include "e2e/E2EEnvironment.h"
#include "e2e/QuilletDriver.h"
#include "support/Wait.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

class CommandLineE2E : public ::testing::Test {
protected:
    // Runs quillet with `arguments` (standard error folded into the output) in `environment`.
    CommandResult run(const QStringList& arguments, const QStringList& environment) {
        ChildProcess::Options options;
        options.environment = environment;
        options.showErrors = false;
        return runCommand(
            QStringList{"sh", "-c", "\"$0\" \"$@\" 2>&1", quilletBinary()} + arguments, 10s,
            options);
    }

    QuilletDriver quillet{*e2eDisplay};
};

TEST_F(CommandLineE2E, AMistakeIsNamedWithTheOptionMeantAndStartsNothing) {
    struct Case {
        QString argument;
        QByteArray named;
        QByteArray meant;  // empty: nothing close enough to suggest
    };
    for (const Case& c :
         {Case{"history-menu", "unexpected argument history-menu", "--history-menu"},
          Case{"--histroy-menu", "unknown option --histroy-menu", "--history-menu"},
          Case{"--categry", "unknown option --categry", "--category"},
          Case{"-x", "unknown option -x", {}}}) {
        const CommandResult result = run({c.argument}, quillet.environment() << "LANGUAGE=en");
        ASSERT_TRUE(result.finished)
            << "a mistake started the tray program: " << qPrintable(c.argument);
        EXPECT_EQ(result.exitCode, 2) << qPrintable(c.argument);
        EXPECT_TRUE(result.output.contains(c.named)) << result.output.constData();
        EXPECT_EQ(result.output.contains("did you mean"), !c.meant.isEmpty())
            << result.output.constData();
        if (!c.meant.isEmpty()) {
            EXPECT_TRUE(result.output.contains("did you mean " + c.meant + "?"))
                << result.output.constData();
        }
    }
    EXPECT_EQ(quillet.command("--history-menu"), 1);
    QByteArray status;
    EXPECT_EQ(quillet.command("--status", &status), 1);
    EXPECT_EQ(status, "Quillet is not running.\n");
}

TEST_F(CommandLineE2E, APauseOfNoWholeNumberOfMinutesIsRefusedByName) {
    ASSERT_TRUE(started(quillet));
    const QStringList english = quillet.environment() << "LANGUAGE=en";
    for (const QStringList& arguments :
         {QStringList{"--pause-for", "0"}, QStringList{"--pause-for", "abc"},
          QStringList{"--pause-for=10081"}, QStringList{"--pause-for", "-5"},
          QStringList{"--pause-for", "1.5"}}) {
        const CommandResult result = run(arguments, english);
        ASSERT_TRUE(result.finished) << qPrintable(arguments.join(' '));
        EXPECT_EQ(result.exitCode, 2) << qPrintable(arguments.join(' '));
        EXPECT_TRUE(result.output.contains(
            "--pause-for takes a whole number of minutes from 1 to 10080, not \"" +
            arguments.last().section('=', -1).toUtf8() + '"'))
            << result.output.constData();
    }
    const CommandResult missing = run({"--pause-for"}, english);
    EXPECT_EQ(missing.exitCode, 2) << missing.output.constData();
    const CommandResult status = run({"--status"}, english);
    EXPECT_TRUE(status.output.contains("\nRecording: on\n")) << status.output.constData();
}

TEST_F(CommandLineE2E, JapaneseUsersReadNoEnglishSentence) {
    quillet.addEnvironment({"LANG=ja_JP.UTF-8", "LANGUAGE=ja"});
    const QStringList japanese = quillet.environment();
    const CommandResult help = run({"--help"}, japanese);
    ASSERT_TRUE(help.finished);
    EXPECT_EQ(help.exitCode, 0);
    for (const char* english : {"Usage:", "Options:", "Displays ", "Show ", " the "})
        EXPECT_FALSE(help.output.contains(english)) << english << " in:\n"
                                                    << help.output.constData();
    const CommandResult notRunning = run({"--status"}, japanese);
    EXPECT_EQ(notRunning.output, "クイレットは実行されていません。\n");

    ASSERT_TRUE(started(quillet));
    const CommandResult status = run({"--status"}, japanese);
    EXPECT_EQ(status.exitCode, 0);
    EXPECT_TRUE(status.output.startsWith("クイレットは実行中です。\n"))
        << status.output.constData();
}

TEST_F(CommandLineE2E, ASecondInstanceOnTheSameStoreIsRefusedWhateverItsRuntimeFolder) {
    ASSERT_TRUE(started(quillet));
    QStringList otherRuntime = quillet.environment();
    const QString elsewhere = quillet.home().file("run2");
    QDir().mkpath(elsewhere);
    QFile::setPermissions(elsewhere, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    otherRuntime.replaceInStrings(QRegularExpression("^XDG_RUNTIME_DIR=.*"),
                                  "XDG_RUNTIME_DIR=" + elsewhere);
    const CommandResult second = run({}, otherRuntime << "LANGUAGE=en");
    ASSERT_TRUE(second.finished) << "a second instance kept running on the same store";
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_TRUE(second.output.contains(quillet.storePath().toUtf8())) << second.output.constData();
}

// This display has no tray: starting Quillet again (as the application grid does) is how the
// user reaches it.
TEST_F(CommandLineE2E, StartingItAgainOpensTheSearchPanelAndEnds) {
    ASSERT_TRUE(started(quillet));
    ASSERT_FALSE(quilletWindowVisible(*e2eDisplay));
    const CommandResult second = run({}, quillet.environment() << "LANGUAGE=en");
    ASSERT_TRUE(second.finished) << "the second start kept running";
    EXPECT_EQ(second.exitCode, 0) << second.output.constData();
    EXPECT_TRUE(waitFor([] { return quilletWindowVisible(*e2eDisplay); }, 5s)) << "no search panel";
    EXPECT_EQ(quillet.command("--status"), 0) << "the first instance still runs";
}

TEST_F(CommandLineE2E, AFifoAsTheSettingsFileStartsWithDefaultsAndSaysSo) {
    const QString settingsFile = quillet.home().file("config/quillet/quillet.ini");
    QDir().mkpath(quillet.home().file("config/quillet"));
    ASSERT_EQ(mkfifo(QFile::encodeName(settingsFile).constData(), 0600), 0);
    quillet.keepErrors();
    ASSERT_TRUE(started(quillet));
    const QByteArray output = quillet.process().output();
    EXPECT_TRUE(output.contains(settingsFile.toUtf8() + " is not a regular file (FIFO)"))
        << output.constData();
    struct stat info {};
    ASSERT_EQ(stat(QFile::encodeName(settingsFile).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the user's FIFO was replaced";
}

TEST_F(CommandLineE2E, AFifoAsALockFileStopsTheStartWithItsName) {
    const QString storeLock = quillet.home().file("data/quillet/quillet.lock");
    QDir().mkpath(quillet.home().file("data/quillet"));
    ASSERT_EQ(mkfifo(QFile::encodeName(storeLock).constData(), 0600), 0);
    const CommandResult result = run({}, quillet.environment() << "LANGUAGE=en");
    ASSERT_TRUE(result.finished) << "the start hung on the FIFO";
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.output.contains(storeLock.toUtf8() + " is not a regular file"))
        << result.output.constData();
}

}  // namespace
}  // namespace quillet::test
