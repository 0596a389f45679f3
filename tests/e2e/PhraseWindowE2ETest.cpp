#include <QFile>
#include <functional>

#include "e2e/PasteTargetFixture.h"
#include "support/Wait.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;
using Phrases = QList<QPair<QString, QString>>;

// The phrase library window of the real program, used by keys only: Tab order runs category
// list, new category, file menu, new phrase, phrase list.
class PhraseWindowE2E : public PasteTargetFixture {
protected:
    void keys(const QStringList& names) { xdotool(x, QStringList{"key", "--delay", "60"} + names); }
    void type(const QString& text) { xdotool(x, {"type", "--delay", "30", text}); }
    // A sheet or file dialog over the window (two quillet windows), or none (one).
    bool windowsBecome(int count) {
        return waitFor([&] { return visibleQuilletWindows(x) == count && quilletIsActive(x); }, 5s);
    }
    bool storeHas(const QString& category, const Phrases& phrases) {
        return waitFor([&] { return quillet.phrases(category) == phrases; }, 5s);
    }
};

TEST_F(PhraseWindowE2E, APhraseTypedInTheWindowPastesAndCSVFilesGoInAndOut) {
    startQuilletAndTarget();
    ASSERT_EQ(quillet.command("--manage-phrases"), 0);
    ASSERT_TRUE(windowsBecome(1)) << "the phrase window opened in front";

    keys({"Tab", "space"});
    ASSERT_TRUE(windowsBecome(2)) << "the category editor opened";
    type("Greetings");
    keys({"Return"});
    ASSERT_TRUE(windowsBecome(1));

    // The new category is selected: its "+" follows the CSV menu at once.
    keys({"Tab", "Tab", "space"});
    ASSERT_TRUE(windowsBecome(2)) << "the phrase editor opened for the new category";
    type("Hi");
    keys({"Return"});  // on to the body
    type("Hello there");
    keys({"ctrl+Return"});
    ASSERT_TRUE(storeHas("Greetings", {{"Hi", "Hello there"}}));
    ASSERT_TRUE(windowsBecome(1));

    // Deleted from the list by its key, and back with Ctrl+Z.
    keys({"Tab", "Delete"});
    ASSERT_TRUE(storeHas("Greetings", {}));
    keys({"ctrl+z"});
    ASSERT_TRUE(storeHas("Greetings", {{"Hi", "Hello there"}}));
    keys({"shift+Tab"});

    const QString in = quillet.home().file("in.csv");
    QFile file(in);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "title,body\r\nBye,\"Goodbye,\r\nsee you\"\r\n \xe6\x97\xa5\xe6\x9c\xac "
        ",\"\"\"q\"\"\"\r\n");
    file.close();
    keys({"shift+Tab", "space", "Down", "Return"});
    ASSERT_TRUE(windowsBecome(2)) << "the open dialog came up";
    type(in);
    keys({"Return"});
    ASSERT_TRUE(storeHas(
        "Greetings", {{"Hi", "Hello there"}, {"Bye", "Goodbye,\r\nsee you"}, {"日本", "\"q\""}}));
    ASSERT_TRUE(windowsBecome(1));

    const QString out = quillet.home().file("out.csv");
    keys({"space", "Down", "Down", "Return"});
    ASSERT_TRUE(windowsBecome(2)) << "the save dialog came up";
    keys({"ctrl+a"});
    type(out);
    keys({"Return"});
    ASSERT_TRUE(waitFor([&] { return QFile::exists(out); }, 5s));
    QFile written(out);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(),
              "title,body,abbreviation\nHi,Hello there,\nBye,\"Goodbye,\r\nsee you\",\n"
              "\xe6\x97\xa5\xe6\x9c\xac,\"\"\"q\"\"\",");

    // Closed through the window manager; the target comes back to the front.
    keys({"alt+F4"});
    ASSERT_TRUE(waitFor([&] { return visibleQuilletWindows(x) == 0; }, 5s));
    ASSERT_TRUE(waitFor([&] { return targetIsActive(x); }, 5s));
    ASSERT_EQ(quillet.command("--phrase-menu"), 0);
    ASSERT_TRUE(waitFor([&] { return quilletWindowVisible(x); }, 5s));
    chooseInFirstSubmenu(x, {"Return"});
    ASSERT_TRUE(targetReceives("Hello there")) << "got: " << qPrintable(targetText());
}

// A file of `rows` phrases, written in large pieces.
void writeRows(const QString& path, int rows) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QByteArray piece = "title,body\n";
    for (int i = 0; i < rows; ++i) {
        piece += "phrase " + QByteArray::number(i) + ",body of phrase " + QByteArray::number(i) + "\n";
        if (piece.size() > (1 << 20)) {
            file.write(piece);
            piece.clear();
        }
    }
    file.write(piece);
}

TEST_F(PhraseWindowE2E, HugeFilesAreRefusedOrImportedWhileTheProgramKeepsAnsweringAndTheMenuOpens) {
    startQuilletAndTarget();
    const QString huge = quillet.home().file("huge.csv");
    writeRows(huge, 1'000'000);
    const QString atCap = quillet.home().file("cap.csv");
    writeRows(atCap, 100'000);
    ASSERT_EQ(quillet.command("--manage-phrases"), 0);
    ASSERT_TRUE(windowsBecome(1));
    keys({"Tab", "space"});
    ASSERT_TRUE(windowsBecome(2)) << "the category editor opened";
    type("Big");
    keys({"Tab", "Tab", "space"});
    ASSERT_TRUE(windowsBecome(1));
    keys({"shift+Tab", "space"});  // the new category, selected

    // Every request gets its answer within a second while the file is read or saved.
    auto answersUntil = [&](const std::function<bool()>& done) {
        int requests = 0;
        while (!done()) {
            if (quillet.socketRoundTripMs(1000) < 0) return ::testing::AssertionFailure()
                                                             << "no answer after " << requests;
            if (++requests > 5000) return ::testing::AssertionFailure() << "never done";
        }
        return ::testing::AssertionSuccess() << requests;
    };
    auto importThroughTheMenu = [&](const QString& path) {
        keys({"Tab", "Tab", "space", "Down", "Return"});
        ASSERT_TRUE(windowsBecome(2)) << "the open dialog came up";
        type(path);
        keys({"Return"});
    };

    importThroughTheMenu(huge);
    // Refused at the first row past the cap: a message over the window, nothing imported.
    EXPECT_TRUE(answersUntil([&] { return visibleQuilletWindows(x) == 2; }));
    EXPECT_EQ(quillet.phraseCount("Big"), 0);
    keys({"Return"});
    ASSERT_TRUE(windowsBecome(1));

    keys({"shift+Tab", "shift+Tab"});  // back to the category list, as after the editor
    importThroughTheMenu(atCap);
    EXPECT_TRUE(answersUntil([&] { return quillet.phraseCount("Big") == 100'000; }));

    keys({"alt+F4"});
    ASSERT_TRUE(waitFor([&] { return visibleQuilletWindows(x) == 0; }, 5s));
    ASSERT_EQ(quillet.command("--phrase-menu"), 0);
    ASSERT_TRUE(waitFor([&] { return quilletWindowVisible(x); }, 5s));
    keys({"Down", "Right"});
    EXPECT_TRUE(waitFor([&] { return visibleQuilletWindows(x) == 2; }, 5s))
        << "the category of 100,000 phrases opens as a submenu";
    keys({"Escape", "Escape"});
}

}  // namespace
}  // namespace quillet::test
