// The phrase files other programs write, read against golden files: an expander's YAML match
// files, CSV with and without the abbreviation column, and this program's own JSON.

#include <gtest/gtest.h>

#include <QFile>

#include "phrases/PhraseCSVService.h"
#include "phrases/PhraseFiles.h"
#include "phrases/PhraseJsonFile.h"
#include "phrases/PhraseYamlImport.h"
#include "support/TempDir.h"

namespace quillet {
namespace {

using Status = PhraseCSVFile::ParseResult::Status;
using Rows = std::vector<PhraseRow>;

QString dataFile(const QString& name) {
    return QStringLiteral(QUILLET_PHRASE_TEST_DATA "/") + name;
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The rows as this program writes them to CSV: what the golden files hold.
QByteArray asCSV(const Rows& rows) {
    return PhraseCSVService().exportRows(rows).toUtf8() + '\n';
}

TEST(PhraseFileFormatsTest, YamlMatchFilesBecomeTheGoldenPhrasesWithTheirWarnings) {
    const struct {
        const char* name;
        int warnings;
        QStringList mentioned;  // what the warnings name, in order
    } files[] = {
        {"triggers", 1, {"Line 13"}},
        {"form", 0, {}},
        {"date", 1, {"%V"}},
        {"shell", 3, {"\"ip\"", "shell", "\"out\"", "script", "\"rnd\"", "random"}},
    };
    for (const auto& f : files) {
        const QString name = QString::fromLatin1(f.name);
        const auto result = PhraseFiles::read(dataFile(name + ".yml"));
        ASSERT_EQ(result.status, Status::Ok) << f.name << ": " << qPrintable(result.reason);
        EXPECT_EQ(asCSV(result.rows), bytesOf(dataFile(name + ".expected.csv"))) << f.name;
        EXPECT_EQ(result.warnings.size(), f.warnings)
            << f.name << ": " << qPrintable(result.warnings.join('\n'));
        const QString all = result.warnings.join('\n');
        qsizetype at = 0;
        for (const QString& word : f.mentioned) {
            at = all.indexOf(word, at);
            EXPECT_NE(at, -1) << f.name << " lacks " << qPrintable(word) << " in "
                              << qPrintable(all);
        }
    }
}

TEST(PhraseFileFormatsTest, CSVReadsWithAndWithoutTheAbbreviationColumn) {
    for (const char* name : {"two-columns", "three-columns"}) {
        const QString base = QString::fromLatin1(name);
        const auto result = PhraseFiles::read(dataFile(base + ".csv"));
        ASSERT_EQ(result.status, Status::Ok) << name;
        EXPECT_EQ(asCSV(result.rows), bytesOf(dataFile(base + ".expected.csv"))) << name;
    }
}

TEST(PhraseFileFormatsTest, StrftimeFormatsBecomeQtFormatsWithTextQuoted) {
    const struct {
        QString strftime;
        QString qt;
        QStringList unsupported;
    } cases[] = {
        {"%Y-%m-%d", "yyyy-MM-dd", {}},
        {"%H:%M:%S", "HH:mm:ss", {}},
        {"%-d/%-m %-H:%M", "d/M H:mm", {}},
        {"%b %e, %y", "MMM d, yy", {}},
        {"%a %A %B", "ddd dddd MMMM", {}},
        {"%I %p", "hh AP", {}},
        {"%F %T", "yyyy-MM-dd HH:mm:ss", {}},
        {"100%% at %H o'clock", "'100% at 'HH' o''clock'", {}},
        {"day %j of %Y", "'day %j of 'yyyy", {"%j"}},
        {"trailing %", "'trailing %'", {}},
        {"", "", {}},
    };
    for (const auto& c : cases) {
        QStringList unsupported;
        EXPECT_EQ(PhraseYamlImport::qtDateFormat(c.strftime, &unsupported), c.qt)
            << qPrintable(c.strftime);
        EXPECT_EQ(unsupported, c.unsupported) << qPrintable(c.strftime);
    }
}

TEST(PhraseFileFormatsTest, HostileYamlIsRefusedWholeAndQuickly) {
    // One match of a kilobyte named a thousand times: a megabyte from a few kilobytes.
    QByteArray aliases = "base: &m\n  trigger: x\n  replace: \"" + QByteArray(1024, 'y') +
                         "\"\nmatches:\n";
    for (int i = 0; i < 1000; ++i) aliases += "  - *m\n";
    QByteArray deep = "matches: ";
    for (int i = 0; i < 200; ++i) deep += '[';
    const struct {
        const char* name;
        QByteArray text;
        Status status;
        qsizetype line;
    } cases[] = {
        {"aliases repeating more than the file", aliases, Status::Malformed, 0},
        {"nested past the depth limit", deep, Status::Malformed, 1},
        {"broken syntax", "matches:\n  - trigger: x\n    replace: [unclosed\n", Status::Malformed, 0},
        {"a list at the top", "- trigger: x\n  replace: y\n", Status::NoRows, 0},
        {"no matches", "other: 1\n", Status::NoRows, 0},
        {"an empty file", "", Status::NoRows, 0},
        {"entries without text", "matches:\n  - trigger: x\n", Status::NoRows, 0},
    };
    for (const auto& c : cases) {
        const auto result = PhraseYamlImport::parse(c.text);
        EXPECT_EQ(result.status, c.status) << c.name << ": " << qPrintable(result.reason);
        EXPECT_TRUE(result.rows.empty()) << c.name;
        if (c.line > 0) {
            EXPECT_EQ(result.line, c.line) << c.name;
        }
    }
    // A dense file is read whole: many small entries, a variable named at every turn.
    QByteArray dense = "global_vars:\n  - {name: d, type: date, params: {format: \"%Y-%m-%d %H:%M\"}}\n"
                       "matches:\n";
    for (int i = 0; i < 2000; ++i) dense += "- {trigger: a, replace: b}\n";
    dense += "- {trigger: z, replace: \"";
    for (int i = 0; i < 500; ++i) dense += "{{d}}";
    dense += "\"}\n";
    const auto denseResult = PhraseYamlImport::parse(dense);
    ASSERT_EQ(denseResult.status, Status::Ok) << qPrintable(denseResult.reason);
    ASSERT_EQ(denseResult.rows.size(), 2001u);
    EXPECT_EQ(denseResult.rows.back().body.count("{date:yyyy-MM-dd HH:mm}"), 500);

    // Within the budget the same aliases are fine.
    QByteArray few = "base: &m\n  trigger: x\n  replace: \"abc\"\nmatches:\n  - *m\n  - *m\n";
    EXPECT_EQ(PhraseYamlImport::parse(few).rows.size(), 2u);

    PhraseCSVFile::Limits small;
    small.maxBytes = 10;
    EXPECT_EQ(PhraseYamlImport::parse("matches:\n  - trigger: x\n", small).status,
              Status::TooLarge);
    small = {};
    small.parser.maxRows = 1;
    EXPECT_EQ(PhraseYamlImport::parse(few, small).status, Status::TooManyRows);
}

TEST(PhraseFileFormatsTest, JsonWrittenReadsBackTheSameAndStrangeFilesAreRefused) {
    const std::vector<PhraseJsonFile::Category> library{
        {"Work", {{"Sig", "Regards,\r\nMe", "sig"}, {"Quote \"q\"", "{date} 😀 \\ /", ""}}},
        {"Empty", {}},
        {"日本語", {{"挨拶", "こんにちは\n", "ai"}}},
    };
    const QByteArray written = PhraseJsonFile::write(library);
    const auto read = PhraseJsonFile::parse(written);
    ASSERT_EQ(read.status, Status::Ok) << qPrintable(read.reason);
    EXPECT_EQ(read.rows, (Rows{{"Sig", "Regards,\r\nMe", "sig"},
                               {"Quote \"q\"", "{date} 😀 \\ /", ""},
                               {"挨拶", "こんにちは\n", "ai"}}));

    const struct {
        const char* name;
        QByteArray text;
        Status status;
    } refused[] = {
        {"not JSON", "{\"format\": ", Status::Malformed},
        {"another program's JSON", "{\"categories\": []}", Status::Malformed},
        {"a newer version",
         R"({"format": "quillet-phrases", "version": 2, "categories": []})", Status::Malformed},
        {"a phrase without a body",
         R"({"format": "quillet-phrases", "version": 1,
             "categories": [{"name": "a", "phrases": [{"title": "t"}]}]})",
         Status::Malformed},
        {"a number for a title",
         R"({"format": "quillet-phrases", "version": 1,
             "categories": [{"name": "a", "phrases": [{"title": 1, "body": "b"}]}]})",
         Status::Malformed},
        {"no phrases", R"({"format": "quillet-phrases", "version": 1, "categories": []})",
         Status::NoRows},
    };
    for (const auto& r : refused) {
        const auto result = PhraseJsonFile::parse(r.text);
        EXPECT_EQ(result.status, r.status) << r.name;
        EXPECT_TRUE(result.rows.empty()) << r.name;
    }
}

TEST(PhraseFileFormatsTest, TheFormatFollowsTheFileNameAndAJsonFileIsReadThroughIt) {
    EXPECT_EQ(PhraseFiles::formatOf("/a/b.YAML"), PhraseFiles::Format::Yaml);
    EXPECT_EQ(PhraseFiles::formatOf("b.yml"), PhraseFiles::Format::Yaml);
    EXPECT_EQ(PhraseFiles::formatOf("b.json"), PhraseFiles::Format::Json);
    EXPECT_EQ(PhraseFiles::formatOf("b.yml.csv"), PhraseFiles::Format::Csv);
    EXPECT_EQ(PhraseFiles::formatOf("noextension"), PhraseFiles::Format::Csv);

    test::TempDir dir;
    const QString path = dir.file("library.json");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(PhraseJsonFile::write({{"c", {{"t", "b", "a"}}}}));
    file.close();
    const auto result = PhraseFiles::read(path);
    ASSERT_EQ(result.status, Status::Ok);
    EXPECT_EQ(result.rows, (Rows{{"t", "b", "a"}}));
    EXPECT_EQ(PhraseFiles::read(dir.file("missing.yml")).status, Status::Unreadable);
}

}  // namespace
}  // namespace quillet
