#include <QDate>

#include "e2e/PasteTargetFixture.h"
#include "support/Wait.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

// A real xterm as the target: Ctrl+V would type ^V into it; our paste must deliver the text.
class TerminalPasteE2E : public PasteTargetFixture {
protected:
    // Starts an xterm that shows `shown` on its first line, then writes what it receives, raw,
    // into one file per expected paste: the first `sizes[0]` bytes into output(0), the next
    // `sizes[1]` into output(1)...
    void startTerminal(const QList<qsizetype>& sizes, const QString& shown = {}) {
        QStringList steps{QStringLiteral("stty raw -echo")};
        for (qsizetype i = 0; i < sizes.size(); ++i)
            steps << QStringLiteral("head -c %1 > '%2'").arg(sizes[i]).arg(output(i));
        runInTerminal(steps, shown);
    }
    // Starts an xterm that shows `shown`, then runs the shell commands `steps`.
    void runInTerminal(QStringList steps, const QString& shown = {}) {
        steps.prepend(QStringLiteral("printf '%s\\n' '%1'").arg(shown));
        ASSERT_TRUE(terminal.start({"xterm", "-e", "sh", "-c", steps.join("; ")},
                                   ChildProcess::silent({x.displayVariable()})));
        ASSERT_TRUE(waitFor(
            [&] {
                const QByteArray active = xdotool(x, {"getactivewindow"});
                return !active.isEmpty() &&
                       xdotool(x, {"search", "--class", "^XTerm$"}).split('\n').contains(active);
            },
            10s))
            << "the terminal became active";
    }
    QString output(qsizetype i) const {
        return quillet.home().file(QStringLiteral("out%1").arg(i));
    }
    bool receives(qsizetype i, const QByteArray& bytes) {
        return waitFor(
            [&] {
                QFile file(output(i));
                return file.open(QIODevice::ReadOnly) && file.readAll() == bytes;
            },
            5s);
    }

    // PRIMARY's text as another program reads it.
    QByteArray primary() {
        ChildProcess::Options options;
        options.environment = {x.displayVariable()};
        return runCommand({"xclip", "-o", "-selection", "primary"}, 10s, options).output;
    }

    ChildProcess terminal;
};

TEST_F(TerminalPasteE2E, ClipsFromMenuAndPanelArriveInTheTerminalByteForByte) {
    ASSERT_TRUE(started(quillet));
    const QByteArray first = "echo 'a  b' | tr a-z A-Z";
    const QByteArray second = "ls -la ~/.config";
    copyAll({QString::fromUtf8(first), QString::fromUtf8(second)});
    startTerminal({second.size(), first.size()});

    ASSERT_EQ(quillet.command("--history-menu"), 0);
    ASSERT_TRUE(waitFor([&] { return quilletWindowVisible(x); }, 5s));
    xdotool(x, {"key", "1"});
    EXPECT_TRUE(receives(0, second));

    // The older clip, found by what is typed into the panel's field.
    ASSERT_EQ(quillet.command("--search"), 0);
    ASSERT_TRUE(waitFor([&] { return quilletWindowVisible(x); }, 5s));
    xdotool(x, {"type", "--delay", "30", "tr a-z"});
    xdotool(x, {"key", "Return"});
    EXPECT_TRUE(receives(1, first));
}

TEST_F(TerminalPasteE2E, PhrasesLeaveTheCaretAtTheirMarkInTheShellsLineEditorAfterAForm) {
    // The debug line says when the caret has been moved, so the test types after it.
    quillet.addEnvironment({"QT_LOGGING_RULES=quillet.paste.debug=true"});
    quillet.keepErrors();
    ASSERT_TRUE(started(quillet));
    quillet.addPhraseCategory(
        "Fill", 0,
        {{"Caret", "{date:yyyy-MM-dd} a{cursor}b"}, {"Form", "Dear {input:Name}{cursor}!"}});
    // Two lines read by readline, each written to its own file.
    QStringList steps;
    for (int i = 0; i < 2; ++i)
        steps << QStringLiteral("read -e -r line; printf %s \"$line\" > %1").arg(output(i));
    runInTerminal({"bash --norc --noprofile -c '" + steps.join("; ") + "'"});
    const auto caretMoves = [&] { return quillet.process().output().count("moved the caret"); };

    ASSERT_EQ(quillet.command("--phrase-menu"), 0);
    ASSERT_TRUE(waitFor([&] { return quilletWindowVisible(x); }, 5s));
    chooseInFirstSubmenu(x, {"Return"});
    ASSERT_TRUE(waitFor([&] { return caretMoves() == 1; }, 5s));
    xdotool(x, {"type", "X"});
    xdotool(x, {"key", "Return"});
    const QByteArray today = QDate::currentDate().toString(Qt::ISODate).toUtf8();
    EXPECT_TRUE(receives(0, today + " aXb"));

    ASSERT_EQ(quillet.command("--phrase-menu"), 0);
    ASSERT_TRUE(waitFor([&] { return quilletWindowVisible(x); }, 5s));
    chooseInFirstSubmenu(x, {"Down", "Return"});
    ASSERT_TRUE(waitFor([&] { return quilletIsActive(x); }, 5s)) << "the form has the keyboard";
    xdotool(x, {"type", "--delay", "30", "Bo"});
    xdotool(x, {"key", "Return"});
    ASSERT_TRUE(waitFor([&] { return caretMoves() == 2; }, 5s));
    xdotool(x, {"type", "X"});
    xdotool(x, {"key", "Return"});
    EXPECT_TRUE(receives(1, "Dear BoX!"));
}

TEST_F(TerminalPasteE2E, TheUsersSelectionIsPrimaryAgainAfterAPaste) {
    ASSERT_TRUE(started(quillet));
    const QByteArray clip = "git status --short";
    copyAll({QString::fromUtf8(clip)});
    startTerminal({clip.size()}, QStringLiteral("selectedword"));

    // A double click on the word xterm shows at its top left selects it: xterm owns PRIMARY.
    // The shell may print the word a moment after the window is up: click until it is there.
    const QByteArray window = xdotool(x, {"getactivewindow"}).trimmed();
    bool selected = false;
    for (int attempt = 0; attempt < 10 && !selected; ++attempt) {
        xdotool(x, {"mousemove", "--window", QString::fromLatin1(window), "20", "8", "click",
                    "--repeat", "2", "--delay", "80", "1"});
        selected = waitFor([&] { return primary() == "selectedword"; }, 500ms);
    }
    ASSERT_TRUE(selected) << "got: " << primary().constData();

    ASSERT_EQ(quillet.command("--history-menu"), 0);
    ASSERT_TRUE(waitFor([&] { return quilletWindowVisible(x); }, 5s));
    xdotool(x, {"key", "1"});
    EXPECT_TRUE(receives(0, clip)) << "xterm pasted PRIMARY, which held the clip";
    EXPECT_TRUE(waitFor([&] { return primary() == "selectedword"; }, 5s))
        << "PRIMARY holds: " << primary().constData();
}

}  // namespace
}  // namespace quillet::test
