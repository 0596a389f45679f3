#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "menus/MenuFixture.h"
#include "menus/PlaceholderForm.h"
#include "store/PhraseCategory.h"
#include "store/PhraseItem.h"
#include "support/Wait.h"

namespace quillet {
namespace {

using Key = test::FakeKeyboardEvents::PostedKey;

class PhrasePasteTest : public test::MenuFixture {
protected:
    PhrasePasteTest() {
        monitor.startMonitoring();
        focus.captureFrontmostApp();
        paster.setTooLargeNotice([this] { ++tooLargeNotices; });
    }

    void addPhrase(const QString& category, const QString& title, const QString& body) {
        auto& context = storage->context();
        std::shared_ptr<PhraseCategory> found;
        for (const auto& c : storage->fetchCategories())
            if (c->name() == category) found = c;
        if (!found) {
            found = std::make_shared<PhraseCategory>(category, 0);
            context.insert(found);
        }
        auto phrase = std::make_shared<PhraseItem>(title, body, 0);
        phrase->setCategory(found);
        context.insert(phrase);
        ASSERT_TRUE(context.save());
    }

    // Runs the paste sequence to its end: the previous application back, the chord, and
    // whatever follows it.
    void finishSequence() {
        clock.advance(AppFocusService::activationDelayMs + PasteActionService::caretDelayMs + 10);
    }
    std::vector<Key> leftPresses(int count) const {
        std::vector<Key> keys;
        for (int i = 0; i < count; ++i) {
            keys.push_back({KeyCode::left, true, 0});
            keys.push_back({KeyCode::left, false, 0});
        }
        return keys;
    }
    std::vector<Key> chordThenLeft(int count) const {
        std::vector<Key> keys{{KeyCode::v, true, EventFlag::pasteModifier},
                              {KeyCode::v, false, EventFlag::pasteModifier}};
        const std::vector<Key> left = leftPresses(count);
        keys.insert(keys.end(), left.begin(), left.end());
        return keys;
    }
    static PlaceholderForm* openForm() {
        test::drainEvents();
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* form = qobject_cast<PlaceholderForm*>(widget); form && form->isVisible())
                return form;
        return nullptr;
    }

    int tooLargeNotices = 0;
};

TEST_F(PhrasePasteTest, APhraseWithoutPlaceholdersIsPastedAsItIsWithNoCaretMove) {
    const QString body = "plain\r\n text 😀 with no braces";
    const int readsBefore = pasteboard.reads;
    paster.paste(body);
    EXPECT_EQ(pasteboard.string(), body);
    EXPECT_EQ(pasteboard.reads, readsBefore + 1) << "only the check above read the clipboard";
    finishSequence();
    EXPECT_EQ(keyboard.posted, chordThenLeft(0));
}

TEST_F(PhrasePasteTest, TheClipboardBeforeThePasteIsFilledInAndTheCaretMovesOnceItLanded) {
    pasteboard.copyText("Ann");
    paster.paste("Dear {clipboard},\n{cursor}\nBye 😀");
    EXPECT_EQ(pasteboard.string(), QString("Dear Ann,\n\nBye 😀"));

    clock.advance(AppFocusService::activationDelayMs);
    EXPECT_EQ(keyboard.posted, chordThenLeft(0)) << "the chord alone at first";
    clock.advance(PasteActionService::caretDelayMs - 1);
    EXPECT_EQ(keyboard.posted.size(), 2u);
    clock.advance(1);
    EXPECT_EQ(keyboard.posted, chordThenLeft(6)) << "a line break and five characters";

    // Far from the end, the caret stays there rather than sending thousands of presses.
    keyboard.posted.clear();
    paster.paste("{cursor}" + QString(PasteActionService::maxCaretLeft + 1, u'x'));
    finishSequence();
    EXPECT_EQ(keyboard.posted, chordThenLeft(0));
}

TEST_F(PhrasePasteTest, OtherPhrasesComeFromTheLibraryAndTheDateFromTheClockInLocalTime) {
    addPhrase("Mail", "Sign", "-- {phrase:Mail/Name}");
    addPhrase("Mail", "Name", "Ann");
    addPhrase("Mail/Old", "Name", "Bo");
    paster.paste("{date:yyyy-MM-dd HH} {phrase:Mail/Sign} {phrase:Mail/Old/Name} {phrase:Mail/X}");
    const QString today = clock.now().toLocalTime().toString("yyyy-MM-dd HH");
    EXPECT_EQ(pasteboard.string(), today + " -- Ann Bo {phrase:Mail/X}");
}

TEST_F(PhrasePasteTest, AFormAsksFirstThenReturnPastesTheAnswersTypedIntoIt) {
    addPhrase("F", "Tone", "{choice:Tone=warm|cool}");
    paster.paste("Hi {input:Name}, {phrase:F/Tone}{cursor}!", "Reply\nto a friend");
    PlaceholderForm* form = openForm();
    ASSERT_TRUE(form);
    auto* heading = form->findChild<QLabel*>("placeholderPhraseTitle");
    ASSERT_TRUE(heading);
    EXPECT_EQ(heading->text(), "Reply to a friend") << "the phrase's title on one line";
    EXPECT_EQ(pasteboard.writes, 0) << "nothing is written before the answers";
    auto* name = form->findChild<QLineEdit*>("placeholderField0");
    auto* tone = form->findChild<QComboBox*>("placeholderField1");
    ASSERT_TRUE(name && tone);
    EXPECT_EQ(QApplication::focusWidget(), name) << "the first field has the keyboard";

    QTest::keyClicks(QApplication::focusWidget(), "Bo");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), tone);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(pasteboard.string(), QString("Hi Bo, cool!"));
    EXPECT_FALSE(openForm()) << "the form is gone";
    finishSequence();
    EXPECT_EQ(keyboard.posted, chordThenLeft(1));
}

TEST_F(PhrasePasteTest, EscapeOnTheFormPastesNothingAndGivesTheKeyboardBack) {
    pasteboard.copyText("kept");
    paster.paste("{input:Name}");
    PlaceholderForm* form = openForm();
    ASSERT_TRUE(form);
    workspace.activations.clear();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(openForm());
    finishSequence();
    EXPECT_EQ(pasteboard.string(), QString("kept"));
    EXPECT_EQ(pasteboard.writes, 0);
    EXPECT_TRUE(keyboard.posted.empty());
    ASSERT_EQ(workspace.activations.size(), 1u);
    EXPECT_EQ(workspace.activations[0], editor);

    // A second phrase's form replaces an open one; only the answered one is pasted.
    paster.paste("{input:First}");
    ASSERT_TRUE(openForm());
    paster.paste("second {input:Second}");
    PlaceholderForm* second = openForm();
    ASSERT_TRUE(second);
    EXPECT_TRUE(second->findChild<QLineEdit*>("placeholderField0"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(pasteboard.string(), QString("second "));
    EXPECT_EQ(pasteboard.writes, 1);
}

TEST_F(PhrasePasteTest, AFormOfTooManyFieldsShowsTheFirstAndTheRestKeepTheirDefaults) {
    QString body = "{choice:Many=" + QStringList(QList<QString>(10000, "x")).join('|') + "}";
    body += "{input:" + QString(5000, u'L') + "}";
    for (int i = 0; i < PlaceholderForm::maxFields; ++i) body += QString("{input:F%1}").arg(i);
    body += "{choice:Late=first|second}";
    paster.paste(body);
    PlaceholderForm* form = openForm();
    ASSERT_TRUE(form);
    EXPECT_EQ(form->findChildren<QLineEdit*>().size() + form->findChildren<QComboBox*>().size(),
              PlaceholderForm::maxFields);
    EXPECT_EQ(form->findChild<QComboBox*>("placeholderField0")->count(),
              PlaceholderForm::maxChoices);
    EXPECT_LE(form->width(), form->screen()->availableGeometry().width())
        << "a long label does not widen the form past the screen";
    QTest::keyClicks(QApplication::focusWidget(), "x");  // nothing to type into a choice
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    const QString pasted = pasteboard.string().value_or(QString());
    EXPECT_TRUE(pasted.startsWith("x")) << qPrintable(pasted.left(20));
    EXPECT_TRUE(pasted.endsWith("first")) << "the field left out takes its first answer";
}

TEST_F(PhrasePasteTest, APhraseThatWouldFillInTooMuchIsNotPastedAndTheUserIsTold) {
    pasteboard.copyText(QString(1024 * 1024, u'c'));
    const qsizetype copies = PlaceholderFiller::maxOutputLength / (1024 * 1024) + 1;
    paster.paste(QString("{clipboard}").repeated(copies));
    finishSequence();
    EXPECT_EQ(tooLargeNotices, 1);
    EXPECT_EQ(pasteboard.writes, 0);
    EXPECT_TRUE(keyboard.posted.empty());
}

}  // namespace
}  // namespace quillet
