#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStringEncoder>
#include <QTest>
#include <QToolButton>

#include "phrases/PhraseCSVService.h"
#include "phrases/PhraseJsonFile.h"
#include "phrases/PhraseWindowFixture.h"
#include "phrases/PhraseEditors.h"
#include "phrases/PhraseLibrary.h"
#include "phrases/PhraseListModels.h"
#include "phrases/PhraseManagementView.h"
#include "store/PhraseCategory.h"
#include "store/PhraseItem.h"
#include "support/Wait.h"
#include "support/Widgets.h"

namespace quillet {
namespace {

using test::named;

using PhraseWindowTest = test::PhraseWindowFixture;

TEST(PhraseEditorRules, SaveNeedsVisibleTextAfterTrimmingSpacesAndLineBreaks) {
    const struct {
        QString text;
        bool visible;
    } cases[] = {
        {"", false},
        {"   ", false},
        {"\n\r\n", false},
        {"\t\u3000\u00a0", false},
        {"\u2028\u0085", false},
        {"x", true},
        {" \n x", true},
        {"\u200b", true},
    };
    for (const auto& c : cases) EXPECT_EQ(hasVisibleText(c.text), c.visible) << qPrintable(c.text);
}

TEST_F(PhraseWindowTest, TheCategoryEditorEnablesSaveOnAVisibleNameAndStoresItAsTyped) {
    CategoryEditor editor(library, nullptr);
    auto* save = named<QPushButton>(editor, "saveButton");
    auto* name = named<QLineEdit>(editor, "categoryName");
    EXPECT_FALSE(save->isEnabled());
    QTest::keyClicks(name, "  ");
    EXPECT_FALSE(save->isEnabled());
    QTest::keyClicks(name, "Work");
    ASSERT_TRUE(save->isEnabled());
    QTest::mouseClick(save, Qt::LeftButton);
    const auto stored = library.categories();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0]->name(), "  Work") << "the leading spaces are kept";
    EXPECT_EQ(stored[0]->sortOrder(), 0);

    CategoryEditor rename(library, stored[0]);
    EXPECT_EQ(named<QLineEdit>(rename, "categoryName")->text(), "  Work");
    named<QLineEdit>(rename, "categoryName")->setText("Home");
    QTest::mouseClick(named<QPushButton>(rename, "cancelButton"), Qt::LeftButton);
    EXPECT_EQ(stored[0]->name(), "  Work") << "cancel writes nothing";
}

TEST_F(PhraseWindowTest, ThePhraseEditorNeedsATitleAndABodyAndKeepsTheOrderOnEdits) {
    auto work = category("work", {{"a", "x"}});
    library.createPhrase(work, "b", "y");
    work->sortedItems().back()->setSortOrder(7);
    storage->context().save();

    PhraseEditor editor(library, work, nullptr);
    auto* save = named<QPushButton>(editor, "saveButton");
    auto* body = named<QPlainTextEdit>(editor, "phraseBody");
    QTest::keyClicks(named<QLineEdit>(editor, "phraseTitle"), "Sig");
    EXPECT_FALSE(save->isEnabled());
    body->setPlainText("\n\n");
    EXPECT_FALSE(save->isEnabled()) << "a body of line breaks only";
    body->setPlainText("Regards,\nMe\n");
    ASSERT_TRUE(save->isEnabled());
    QTest::mouseClick(save, Qt::LeftButton);
    auto created = work->sortedItems().back();
    EXPECT_EQ(created->title(), "Sig");
    EXPECT_EQ(created->body(), "Regards,\nMe\n");
    EXPECT_EQ(created->sortOrder(), 8);

    PhraseEditor edit(library, work, created);
    EXPECT_EQ(named<QPlainTextEdit>(edit, "phraseBody")->toPlainText(), "Regards,\nMe\n");
    named<QLineEdit>(edit, "phraseTitle")->setText("Signature");
    QTest::mouseClick(named<QPushButton>(edit, "saveButton"), Qt::LeftButton);
    EXPECT_EQ(created->title(), "Signature");
    EXPECT_EQ(created->sortOrder(), 8);
    EXPECT_EQ(created->category(), work);

    // An imported body with CR LF keeps it when only the title is edited.
    library.updatePhrase(created, "Signature", "Regards,\r\nMe");
    PhraseEditor retitle(library, work, created);
    named<QLineEdit>(retitle, "phraseTitle")->setText("Sig");
    QTest::mouseClick(named<QPushButton>(retitle, "saveButton"), Qt::LeftButton);
    EXPECT_EQ(created->body(), "Regards,\r\nMe");

    PhraseEditor homeless(library, nullptr, nullptr);
    named<QLineEdit>(homeless, "phraseTitle")->setText("t");
    named<QPlainTextEdit>(homeless, "phraseBody")->setPlainText("b");
    QTest::mouseClick(named<QPushButton>(homeless, "saveButton"), Qt::LeftButton);
    EXPECT_EQ(homeless.result(), QDialog::Accepted);
    EXPECT_EQ(storage->context().fetchPhrases({}).size(), 3u) << "nothing made without a category";
}

TEST_F(PhraseWindowTest, TheDetailPaneFollowsTheSelectionAndTheStore) {
    EXPECT_TRUE(placeholderShown());
    auto greetings = category("Greetings", {{"Hi", "Hello\nthere"}, {"Bye", "Goodbye"}});
    ASSERT_EQ(categoryModel()->rowCount(), 1) << "a new category shows at once";
    EXPECT_TRUE(placeholderShown());

    view.selectCategory(greetings->id());
    EXPECT_FALSE(placeholderShown());
    EXPECT_EQ(named<QLabel>(view, "categoryTitle")->text(), "Greetings");
    EXPECT_EQ(shownTitles(), (QStringList{"Hi", "Bye"}));

    library.createPhrase(greetings, "Thanks", "Thank you");
    library.renameCategory(greetings, "Hello");
    EXPECT_EQ(shownTitles(), (QStringList{"Hi", "Bye", "Thanks"}));
    EXPECT_EQ(named<QLabel>(view, "categoryTitle")->text(), "Hello");
    category("Other");
    EXPECT_EQ(view.selectedCategory(), greetings) << "a reload keeps the selection";

    std::unique_ptr<QMenu> menu(view.categoryMenu(categoryModel()->rowOf(greetings->id())));
    ASSERT_EQ(menu->actions().size(), 2);
    menu->actions()[1]->trigger();
    EXPECT_TRUE(greetings->isDeleted());
    EXPECT_TRUE(placeholderShown()) << "the placeholder replaces the toolbar and the list";
    EXPECT_EQ(view.selectedCategoryId(), greetings->id());
}

TEST_F(PhraseWindowTest, AClickAnywhereInARowOpensItsEditorAndTheMenuDeletes) {
    auto work = category("work", {{"Title", "Line one\nline two"}, {"Other", "x"}});
    view.selectCategory(work->id());
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    const QRect row = phraseList()->visualRect(phraseModel()->index(0));
    const QFontMetrics title(phraseList()->font());
    // Below the title's glyphs, above the body's: the gap between the two texts.
    const QPoint gap(row.right() - 4, row.top() + title.height() + 5);
    QTest::mouseClick(phraseList()->viewport(), Qt::LeftButton, {}, gap);
    auto* editor = view.findChild<PhraseEditor*>("phraseEditor");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->windowModality(), Qt::WindowModal);
    EXPECT_EQ(named<QPlainTextEdit>(*editor, "phraseBody")->toPlainText(), "Line one\nline two");
    QTest::mouseClick(named<QPushButton>(*editor, "cancelButton"), Qt::LeftButton);
    test::drainEvents();
    EXPECT_EQ(view.findChild<PhraseEditor*>("phraseEditor"), nullptr);

    std::unique_ptr<QMenu> menu(view.phraseMenu(1));
    menu->actions()[1]->trigger();
    EXPECT_EQ(shownTitles(), QStringList{"Title"});
    EXPECT_EQ(storage->context().fetchPhrases({}).size(), 1u);
}

TEST_F(PhraseWindowTest, CSVActionsImportExportAndSaveTheTemplateThroughTheChooser) {
    auto work = category("Work", {{"Old", "old"}});
    view.selectCategory(work->id());

    const QString in = dir.file("in.csv");
    writeFile(in, "\xef\xbb\xbftitle,body\r\nA,\"1,2\"\r\nB,\"line\nbreak\"");
    chooser.answer = in;
    view.importPhrases();
    ASSERT_TRUE(importEnds());
    EXPECT_EQ(shownTitles(), (QStringList{"Old", "A", "B"}));

    const QString out = dir.file("out.csv");
    chooser.answer = out;
    view.exportPhrases();
    EXPECT_EQ(chooser.proposedNames.last(), "Work.csv");
    EXPECT_EQ(chooser.offeredSuffixes.last(), (QStringList{"csv", "json"}));
    EXPECT_EQ(fileBytes(out), "title,body,abbreviation\nOld,old,\nA,\"1,2\",\nB,\"line\nbreak\",");

    // Named .json, the category goes out as this program's own file.
    const QString json = dir.file("out.json");
    chooser.answer = json;
    view.exportPhrases();
    const auto exported = PhraseJsonFile::parse(fileBytes(json));
    ASSERT_EQ(exported.status, PhraseCSVFile::ParseResult::Status::Ok);
    EXPECT_EQ(exported.rows, (std::vector<PhraseRow>{{"Old", "old"},
                                                     {"A", "1,2"},
                                                     {"B", "line\nbreak"}}));
    chooser.answer = out;

    view.saveTemplate();
    EXPECT_EQ(chooser.proposedNames.last(), "phrase_template.csv");
    EXPECT_EQ(fileBytes(out), PhraseCSVService().generateTemplate().toUtf8());

    chooser.answer.clear();  // cancelled
    view.importPhrases();
    EXPECT_EQ(shownTitles().size(), 3);
    EXPECT_EQ(failure(), nullptr);
}

TEST_F(PhraseWindowTest, CSVFailuresAreShownAndChangeNothing) {
    auto work = category("Work", {{"Old", "old"}});
    view.selectCategory(work->id());

    const QString latin1 = dir.file("latin1.csv");
    writeFile(latin1, "title,body\ncaf\xe9,x");
    chooser.answer = latin1;
    view.importPhrases();
    ASSERT_TRUE(test::waitFor([&] { return failure() != nullptr; }));
    EXPECT_TRUE(failure()->text().contains(latin1));
    EXPECT_TRUE(failure()->text().contains("UTF-8"));
    EXPECT_TRUE(failure()->text().contains("Shift_JIS")) << "neither encoding takes it";
    delete failure();
    EXPECT_EQ(storage->context().fetchPhrases({}).size(), 1u);

    ASSERT_TRUE(importEnds());
    chooser.answer = dir.file("missing.csv");
    view.importPhrases();
    ASSERT_TRUE(test::waitFor([&] { return failure() != nullptr; }));
    EXPECT_TRUE(failure()->text().contains("missing.csv"));
    delete failure();

    const QString existing = dir.file("existing.csv");
    writeFile(existing, "keep me");
    chooser.answer = existing + "/below.csv";
    view.exportPhrases();
    ASSERT_NE(failure(), nullptr);
    EXPECT_TRUE(failure()->text().contains("below.csv"));
    EXPECT_EQ(fileBytes(existing), "keep me");
}

TEST_F(PhraseWindowTest, AnImportShowsItsProgressAndItsRowsArriveWholeAndInOrder) {
    auto work = category("Work", {{"Old", "old"}});
    view.selectCategory(work->id());
    QByteArray bytes = "title,body\n";
    for (int i = 0; i < 20'000; ++i) bytes += "t" + QByteArray::number(i) + ",body\n";
    const QString in = dir.file("many.csv");
    writeFile(in, bytes);
    int resets = 0;
    QObject::connect(phraseModel(), &QAbstractItemModel::modelReset, [&] { ++resets; });

    chooser.answer = in;
    view.importPhrases();
    ASSERT_FALSE(importBar()->isHidden());
    EXPECT_TRUE(view.findChild<QLabel*>("importStatus")->text().contains("many.csv"));
    EXPECT_FALSE(importAction()->isEnabled()) << "one import at a time";
    ASSERT_TRUE(importEnds());

    const QStringList titles = shownTitles();
    ASSERT_EQ(titles.size(), 20'001);
    EXPECT_EQ(titles[0], "Old");
    EXPECT_EQ(titles[1], "t0");
    EXPECT_EQ(titles.last(), "t19999");
    EXPECT_EQ(resets, 1) << "the list is read again once, not after every slice";
    EXPECT_TRUE(importAction()->isEnabled());
    EXPECT_EQ(failure(), nullptr);
}

TEST_F(PhraseWindowTest, ARefusedFileIsNamedWithTheRuleItBreaksAndImportsNothing) {
    auto work = category("Work", {{"Old", "old"}});
    view.selectCategory(work->id());
    QByteArray manyRows = "title,body\n";
    for (int i = 0; i <= 100'000; ++i) manyRows += "t,b\n";
    const struct {
        const char* file;
        QByteArray bytes;
        QStringList said;
    } cases[] = {
        // A name that looks like a message's placeholders is shown as it is.
        {"open %2 %L2.csv",
         "title,body\na,1\nb,\"open\nc,3\n",
         {"open %2 %L2.csv", "line 3", "never closed"}},
        {"empty.csv", "", {"empty.csv", "no phrases"}},
        {"header.csv", "title,body\r\n", {"header.csv", "title,body"}},
        {"rows.csv", manyRows, {"rows.csv", QLocale().toString(100'000)}},
        {"field.csv",
         "title,body\nt,\"" + QByteArray(1024 * 1024 + 1, 'x') + "\"",
         {"field.csv", "line 2", "1 MiB"}},
        {"broken.yml", "matches:\n  - trigger: x\n    replace: [open\n", {"broken.yml", "Line "}},
        {"none.yaml", "matches: []\n", {"none.yaml", "matches:"}},
        {"other.json", "{\"categories\": []}", {"other.json", "not a phrase library"}},
    };
    for (const auto& c : cases) {
        const QString path = dir.file(c.file);
        writeFile(path, c.bytes);
        chooser.answer = path;
        view.importPhrases();
        ASSERT_TRUE(test::waitFor([&] { return failure() != nullptr; })) << c.file;
        for (const QString& part : c.said)
            EXPECT_TRUE(failure()->text().contains(part)) << qPrintable(failure()->text());
        delete failure();
        ASSERT_TRUE(importEnds());
        EXPECT_EQ(shownTitles(), QStringList{"Old"}) << c.file;
    }
    EXPECT_EQ(storage->context().fetchPhrases({}).size(), 1u);
}

TEST_F(PhraseWindowTest, AShiftJisFileFromASpreadsheetImportsItsJapaneseExactly) {
    auto work = category("仕事");
    view.selectCategory(work->id());
    const QString text = "title,body\r\n挨拶,お世話になっております。\r\n表示,\"ソフト①～\r\n髙橋\"\r\n";
    QStringEncoder cp932("Shift_JIS");
    const QByteArray bytes = cp932.encode(text);
    ASSERT_FALSE(cp932.hasError());
    ASSERT_NE(QString::fromUtf8(bytes), text) << "not UTF-8 as well";
    const QString in = dir.file("sjis.csv");
    writeFile(in, bytes);
    chooser.answer = in;
    view.importPhrases();
    ASSERT_TRUE(importEnds());
    EXPECT_EQ(failure(), nullptr);
    EXPECT_EQ(shownTitles(), (QStringList{"挨拶", "表示"}));
    EXPECT_EQ(work->sortedItems()[1]->body(), "ソフト①～\r\n髙橋");

    // Written back as UTF-8.
    const QString out = dir.file("out.csv");
    chooser.answer = out;
    view.exportPhrases();
    EXPECT_EQ(QString::fromUtf8(fileBytes(out)),
              "title,body,abbreviation\n挨拶,お世話になっております。,\n表示,\"ソフト①～\r\n髙橋\",");
}

}  // namespace
}  // namespace quillet
