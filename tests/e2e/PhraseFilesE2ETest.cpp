// Phrase files through the running program's command line, and phrases found by their
// abbreviation in the search panel: all as a user does it, pasted into a foreign window.

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "e2e/PasteTargetFixture.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

class PhraseFilesE2E : public PasteTargetFixture {
protected:
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = quillet.home().file(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) return {};
        file.write(bytes);
        return path;
    }
};

TEST_F(PhraseFilesE2E, AnImportedYamlFileIsInThePhraseMenuAndABadFileImportsNothing) {
    startQuilletAndTarget();
    const QString yaml = write("snippets.yml",
                               "matches:\n"
                               "  - trigger: \":sig\"\n"
                               "    label: \"Signature\"\n"
                               "    replace: \"Best regards\"\n"
                               "  - trigger: \":ip\"\n"
                               "    replace: \"{{ip}}\"\n"
                               "    vars:\n"
                               "      - name: ip\n"
                               "        type: shell\n"
                               "        params: {cmd: \"touch should-never-exist\"}\n");
    QByteArray output;
    ASSERT_EQ(quillet.command({"--import-phrases", yaml}, &output), 0) << output.constData();
    EXPECT_TRUE(output.contains("Imported 2 phrases into snippets")) << output.constData();
    EXPECT_TRUE(output.contains("\"ip\"")) << "the shell variable is named in a warning";
    EXPECT_EQ(quillet.phrases("snippets"),
              (QList<QPair<QString, QString>>{{"Signature", "Best regards"}, {":ip", "{{{{ip}}}}"}}));

    // A file that breaks the format names its line, and leaves no category behind.
    const QString bad = write("bad.yml", "matches:\n  - trigger: x\n    replace: [open\n");
    EXPECT_EQ(quillet.command({"--import-phrases", bad, "--category", "Other"}, &output), 1);
    EXPECT_EQ(quillet.categoryNames(), QStringList{"snippets"});

    ASSERT_EQ(quillet.command("--phrase-menu"), 0);
    ASSERT_TRUE(waitFor([&] { return quilletWindowVisible(x); }, 5s));
    chooseInFirstSubmenu(x, {"Return"});
    ASSERT_TRUE(targetReceives("Best regards")) << "got: " << qPrintable(targetText());

    // The library goes out as JSON with the abbreviations.
    const QString json = quillet.home().file("library.json");
    ASSERT_EQ(quillet.command({"--export-phrases", json}, &output), 0) << output.constData();
    QFile exported(json);
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
    const QJsonArray categories = QJsonDocument::fromJson(exported.readAll())["categories"].toArray();
    ASSERT_EQ(categories.size(), 1);
    EXPECT_EQ(categories[0]["name"].toString(), "snippets");
    EXPECT_EQ(categories[0]["phrases"][0]["abbreviation"].toString(), ":sig");
}

TEST_F(PhraseFilesE2E, APhraseFoundByItsAbbreviationInThePanelIsPasted) {
    startQuilletAndTarget();
    // The first phrase holds the text in its body, the second is abbreviated by it: the
    // abbreviation ranks first.
    const QString csv = write("abbreviated.csv",
                              "title,body,abbreviation\n"
                              "Other,a body with hg inside,zz\n"
                              "Greet,Hello there,hg\n");
    QByteArray output;
    ASSERT_EQ(quillet.command({"--import-phrases", csv, "--category", "Mine"}, &output), 0)
        << output.constData();
    EXPECT_TRUE(output.contains("Imported 2 phrases into Mine")) << output.constData();

    ASSERT_EQ(quillet.command("--search-phrases"), 0);
    ASSERT_TRUE(waitFor([&] { return quilletWindowVisible(x); }, 5s));
    xdotool(x, {"type", "--delay", "30", "hg"});
    xdotool(x, {"key", "Return"});
    ASSERT_TRUE(targetReceives("Hello there")) << "got: " << qPrintable(targetText());
}

}  // namespace
}  // namespace quillet::test
