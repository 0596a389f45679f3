#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include "phrases/PhraseEditors.h"
#include "phrases/PhraseWindowFixture.h"
#include "support/Wait.h"

namespace quillet {
namespace {

class PhraseWindowKeysTest : public test::PhraseWindowFixture {
protected:
    // Keys reach shortcuts only in the active window.
    void activate(QWidget* window) {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
    QListView* list(const char* name) { return view.findChild<QListView*>(name); }
    void press(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(target, key, modifiers);
        test::drainEvents();
    }
    // A closed sheet gives the activation back to the window (the window manager does so
    // on a desktop; the offscreen platform does not).
    void backToWindow() { activate(&view); }
    void undo() { press(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier); }
    void redo() {
        press(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    }
    // A category and its phrases as stored, ids and numbers included, to tell that what
    // came back is the same.
    QStringList stored(const QUuid& categoryId) {
        auto found = std::static_pointer_cast<PhraseCategory>(
            storage->context().recordWithId(Record::Entity::Category, categoryId));
        if (!found) return {};
        QStringList lines{found->id().toString() + " " + found->name() + " " +
                          QString::number(found->sortOrder())};
        for (const auto& p : found->sortedItems())
            lines << p->id().toString() + " " + p->title() + "|" + p->body() + "|" +
                         p->abbreviation() + " " + QString::number(p->sortOrder());
        return lines;
    }
    QStringList shownCategories() {
        QStringList names;
        for (int row = 0; row < categoryModel()->rowCount(); ++row)
            names << categoryModel()->index(row).data().toString();
        return names;
    }
    template <class Editor>
    Editor* sheet(const char* name) {
        test::drainEvents();
        auto* editor = view.findChild<Editor*>(name);
        return editor && editor->isVisible() ? editor : nullptr;
    }
};

TEST_F(PhraseWindowKeysTest, ReturnSavesTheOneLineFieldsAndCtrlReturnTheBody) {
    auto work = category("Work");
    activate(&view);
    view.selectCategory(work->id());

    QTest::mouseClick(view.findChild<QToolButton*>("newCategoryButton"), Qt::LeftButton);
    auto* categoryEditor = sheet<CategoryEditor>("categoryEditor");
    ASSERT_NE(categoryEditor, nullptr);
    auto* name = categoryEditor->findChild<QLineEdit*>("categoryName");
    press(name, Qt::Key_Space);
    press(name, Qt::Key_Return);
    EXPECT_TRUE(categoryEditor->isVisible()) << "a blank name is not saved";
    QTest::keyClicks(name, "Home");
    press(name, Qt::Key_Return);
    ASSERT_EQ(sheet<CategoryEditor>("categoryEditor"), nullptr);
    EXPECT_EQ(shownCategories(), (QStringList{"Work", " Home"}));

    // The new category is selected at once, and its "+" is there for the first phrase.
    ASSERT_NE(view.selectedCategory(), nullptr);
    EXPECT_EQ(view.selectedCategory()->name(), " Home");
    auto* plus = view.findChild<QToolButton*>("newPhraseButton");
    EXPECT_TRUE(plus->isVisibleTo(&view));
    EXPECT_EQ(view.findChild<QLabel*>("categoryTitle")->text(), " Home");

    QTest::mouseClick(plus, Qt::LeftButton);
    auto* phraseEditor = sheet<PhraseEditor>("phraseEditor");
    ASSERT_NE(phraseEditor, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(phraseEditor));
    auto* title = phraseEditor->findChild<QLineEdit*>("phraseTitle");
    auto* body = phraseEditor->findChild<QPlainTextEdit*>("phraseBody");
    QTest::keyClicks(title, "Sig");
    press(title, Qt::Key_Return);
    EXPECT_TRUE(body->hasFocus()) << "no body yet: Return goes on to it";
    QTest::keyClicks(body, "Regards,");
    press(body, Qt::Key_Return);
    QTest::keyClicks(body, "Me");
    EXPECT_TRUE(phraseEditor->isVisible()) << "Return in the body is a line break";
    press(body, Qt::Key_Return, Qt::ControlModifier);
    ASSERT_EQ(sheet<PhraseEditor>("phraseEditor"), nullptr);
    EXPECT_EQ(shownTitles(), QStringList{"Sig"});
    EXPECT_EQ(view.selectedCategory()->sortedItems()[0]->body(), "Regards,\nMe");

    // Return on a listed phrase opens it; Return in its title saves the edit.
    backToWindow();
    list("phraseList")->setFocus();
    list("phraseList")->setCurrentIndex(phraseModel()->index(0));
    press(list("phraseList"), Qt::Key_Return);
    phraseEditor = sheet<PhraseEditor>("phraseEditor");
    ASSERT_NE(phraseEditor, nullptr);
    title = phraseEditor->findChild<QLineEdit*>("phraseTitle");
    title->setText("Signature");
    press(title, Qt::Key_Return);
    EXPECT_EQ(shownTitles(), QStringList{"Signature"});
    EXPECT_EQ(storage->context().fetchPhrases({}).size(), 1u) << "saved once";

    // Tab leads from the body to the abbreviation, where Return saves too.
    backToWindow();
    list("phraseList")->setFocus();
    press(list("phraseList"), Qt::Key_Return);
    phraseEditor = sheet<PhraseEditor>("phraseEditor");
    ASSERT_NE(phraseEditor, nullptr);
    body = phraseEditor->findChild<QPlainTextEdit*>("phraseBody");
    body->setFocus();
    press(body, Qt::Key_Tab);
    auto* abbreviation = phraseEditor->findChild<QLineEdit*>("phraseAbbreviation");
    ASSERT_TRUE(abbreviation->hasFocus());
    QTest::keyClicks(abbreviation, " sg ");
    press(abbreviation, Qt::Key_Return);
    ASSERT_EQ(sheet<PhraseEditor>("phraseEditor"), nullptr);
    EXPECT_EQ(view.selectedCategory()->sortedItems()[0]->abbreviation(), "sg") << "trimmed";
    EXPECT_EQ(view.selectedCategory()->sortedItems()[0]->body(), "Regards,\nMe");
}

TEST_F(PhraseWindowKeysTest, DeleteRemovesTheFocusedRowAndUndoBringsItBackWhole) {
    auto greetings = category("Greetings", {{"Hi", "Hello\nthere"}, {"Bye", "Goodbye"}});
    library.createPhrase(greetings, "Thanks", "Thank you");
    auto other = category("Other", {{"x", "y"}});
    auto last = category("Last");  // three categories tied at sortOrder 0
    const QStringList whole = stored(greetings->id());
    const QStringList order = shownCategories();
    activate(&view);
    view.selectCategory(greetings->id());
    list("categoryList")->setFocus();

    press(list("categoryList"), Qt::Key_Delete);
    EXPECT_TRUE(stored(greetings->id()).isEmpty());
    EXPECT_EQ(storage->context().fetchPhrases({}).size(), 1u) << "its phrases went with it";
    EXPECT_EQ(view.findChild<QStackedWidget*>()->currentIndex(), 0) << "the placeholder";

    undo();
    EXPECT_EQ(stored(greetings->id()), whole) << "same ids, texts and numbers";
    EXPECT_EQ(shownCategories(), order) << "in its place among categories tied with it";
    EXPECT_EQ(view.selectedCategoryId(), greetings->id());
    EXPECT_EQ(shownTitles(), (QStringList{"Hi", "Bye", "Thanks"})) << "shown again";

    redo();
    EXPECT_TRUE(stored(greetings->id()).isEmpty());
    undo();
    EXPECT_EQ(stored(greetings->id()), whole);

    // In the phrase list the next phrase takes the deleted one's place.
    list("phraseList")->setFocus();
    list("phraseList")->setCurrentIndex(phraseModel()->index(0));
    press(list("phraseList"), Qt::Key_Delete);
    EXPECT_EQ(shownTitles(), (QStringList{"Bye", "Thanks"}));
    press(list("phraseList"), Qt::Key_Delete);
    EXPECT_EQ(shownTitles(), QStringList{"Thanks"});
    undo();
    undo();
    EXPECT_EQ(stored(greetings->id()), whole);
    EXPECT_EQ(stored(other->id()).size(), 2);
    EXPECT_EQ(stored(last->id()).size(), 1);
}

TEST_F(PhraseWindowKeysTest, EditsDragsAndImportsAreUndoneAndRedoneInTurn) {
    auto work = category("Work", {{"a", "1"}, {"b", "2"}, {"c", "3"}});
    category("Home");
    const QStringList before = stored(work->id());
    activate(&view);
    view.selectCategory(work->id());

    // A rename through the category editor (F2), a drag of the last phrase to the top, an
    // import of two rows.
    list("categoryList")->setFocus();
    list("categoryList")->setCurrentIndex(categoryModel()->index(0));
    press(list("categoryList"), Qt::Key_F2);
    auto* editor = sheet<CategoryEditor>("categoryEditor");
    ASSERT_NE(editor, nullptr);
    editor->findChild<QLineEdit*>("categoryName")->setText("Job");
    press(editor->findChild<QLineEdit*>("categoryName"), Qt::Key_Return);
    backToWindow();
    ASSERT_TRUE(phraseModel()->moveRows({}, 2, 1, {}, 0));
    const QString in = dir.file("in.csv");
    writeFile(in, "title,body,abbreviation\nd,4,dd\ne,5\n");
    chooser.answer = in;
    view.importPhrases();
    ASSERT_TRUE(importEnds());
    const QStringList after = stored(work->id());
    ASSERT_EQ(shownTitles(), (QStringList{"c", "a", "b", "d", "e"}));
    list("phraseList")->setFocus();

    undo();
    EXPECT_EQ(shownTitles(), (QStringList{"c", "a", "b"})) << "the import taken out";
    undo();
    EXPECT_EQ(shownTitles(), (QStringList{"a", "b", "c"}));
    undo();
    EXPECT_EQ(stored(work->id()), before) << "names and numbers as they were";
    EXPECT_EQ(view.findChild<QLabel*>("categoryTitle")->text(), "Work");

    redo();
    redo();
    redo();
    EXPECT_EQ(stored(work->id()), after) << "the imported phrases back with their ids";
    redo();
    EXPECT_EQ(stored(work->id()), after) << "nothing more to redo";
}

}  // namespace
}  // namespace quillet
