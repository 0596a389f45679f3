#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMenu>
#include <QTest>

#include "menus/MenuFixture.h"
#include "menus/QuickMenuService.h"
#include "menus/QuickPhraseMenuService.h"
#include "store/PhraseCategory.h"
#include "store/PhraseItem.h"
#include "support/Wait.h"

namespace quillet {
namespace {

// Entries of a menu as text: titles, "---" for separators, "[label]" for submenus, a
// trailing "!" for disabled entries.
QStringList describe(const QMenu* menu) {
    QStringList lines;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            lines << "---";
        } else if (action->menu()) {
            lines << "[" + action->text() + "]";
        } else {
            lines << action->text() + (action->isEnabled() ? "" : "!");
        }
    }
    return lines;
}

// A submenu as it is when shown: the phrase menu fills its submenus as they open.
QMenu* opened(QMenu* submenu) {
    emit submenu->aboutToShow();
    return submenu;
}

class MenuTest : public test::MenuFixture {
protected:
    void addClips(int count) {
        for (int i = 1; i <= count; ++i) {
            storage->context().insert(
                std::make_shared<ClipItem>(QString("clip %1").arg(i), start.addSecs(i)));
        }
        ASSERT_TRUE(storage->context().save());
        model.loadItems();
    }

    QuickMenuService history{model, paste, focus, *coordinator};
    QList<QUuid> shownCategories;
    QuickPhraseMenuService phrases{*storage, focus, paster,
                                   [this](const QUuid& id) { shownCategories << id; }};
};

TEST_F(MenuTest, EmptyHistoryShowsADisabledEntryAndSearch) {
    model.loadItems();
    EXPECT_EQ(describe(history.buildMenu()), (QStringList{"No history!", "---", "Search...\tF"}));
}

TEST_F(MenuTest, TenClipsAreKeyedOneToNineThenZero) {
    addClips(10);
    const QStringList lines = describe(history.buildMenu());
    ASSERT_EQ(lines.size(), 12);
    EXPECT_EQ(lines[0], "clip 10\t1");
    EXPECT_EQ(lines[8], "clip 2\t9");
    EXPECT_EQ(lines[9], "clip 1\t0");
    EXPECT_EQ(lines.mid(10), (QStringList{"---", "Search...\tF"}));
    EXPECT_EQ(history.menu()->actionForKey(Qt::Key_0)->text(), "clip 1\t0");
}

TEST_F(MenuTest, RemainingClipsAreGroupedInBlocksOfAHundred) {
    struct Case {
        int clips;
        QStringList blocks;
    };
    for (const Case& c : {Case{11, {"Items 11-11"}}, Case{110, {"Items 11-110"}},
                          Case{111, {"Items 11-110", "Items 111-111"}},
                          Case{250, {"Items 11-110", "Items 111-210", "Items 211-250"}}}) {
        recreate();
        HistoryViewModel fresh(*storage, monitor, clock);
        QuickMenuService menus(fresh, paste, focus, *coordinator);
        for (int i = 1; i <= c.clips; ++i)
            storage->context().insert(
                std::make_shared<ClipItem>(QString::number(i), start.addSecs(i)));
        ASSERT_TRUE(storage->context().save());
        fresh.loadItems();
        QMenu* menu = menus.buildMenu();
        const QStringList lines = describe(menu);
        QStringList expectedTail{"---"};
        for (const QString& label : c.blocks) expectedTail << "[" + label + "]";
        expectedTail << "---"
                     << "Search...\tF";
        EXPECT_EQ(lines.mid(10), expectedTail) << c.clips << " clips";

        // Blocks fill when they open, with untitled keys, newest first.
        QMenu* last = menu->actions()[10 + qsizetype(c.blocks.size())]->menu();
        EXPECT_TRUE(last->isEmpty());
        emit last->aboutToShow();
        const int lastCount = (c.clips - 10) % 100 == 0 ? 100 : (c.clips - 10) % 100;
        ASSERT_EQ(last->actions().size(), lastCount);
        EXPECT_EQ(last->actions().back()->text(), "1") << "the oldest clip ends the last block";
        EXPECT_FALSE(last->actions().front()->text().contains('\t'));
    }
}

TEST_F(MenuTest, MoreThanAHundredBlocksAreGroupedAHundredAtATime) {
    addClips(10'011);  // 10 keyed + 10,001 in 101 blocks
    QMenu* menu = history.buildMenu();
    EXPECT_EQ(describe(menu).mid(10), (QStringList{"---", "[Items 11-10010]", "[Items 10011-10011]",
                                                   "---", "Search...\tF"}));
    QMenu* group = menu->actions()[11]->menu();
    EXPECT_TRUE(group->isEmpty()) << "groups fill when they open";
    emit group->aboutToShow();
    const QStringList blocks = describe(group);
    ASSERT_EQ(blocks.size(), 100);
    EXPECT_EQ(blocks.first(), "[Items 11-110]");
    EXPECT_EQ(blocks.last(), "[Items 9911-10010]");
    QMenu* lastBlock = group->actions().back()->menu();
    emit lastBlock->aboutToShow();
    ASSERT_EQ(lastBlock->actions().size(), 100);
    EXPECT_EQ(lastBlock->actions().front()->text(), "clip 101");
    EXPECT_EQ(lastBlock->actions().back()->text(), "clip 2");
    QMenu* tail = menu->actions()[12]->menu();
    emit tail->aboutToShow();
    ASSERT_EQ(tail->actions().size(), 1);
    emit tail->actions()[0]->menu()->aboutToShow();
    EXPECT_EQ(describe(tail->actions()[0]->menu()), QStringList{"clip 1"});
}

TEST_F(MenuTest, TitlesAreOneLineAndAtMostFiftyCharacters) {
    EXPECT_EQ(QuickMenuService::titleFor("a\nb"), "a b");
    EXPECT_EQ(QuickMenuService::titleFor("a\r\n\tb"), "a\r \tb");
    EXPECT_EQ(QuickMenuService::titleFor(QString(60, 'x')), QString(50, 'x'));
    EXPECT_EQ(QuickMenuService::titleFor("  spaced  "), "  spaced  ");
    // User-perceived characters: a flag or an accented letter is one of the fifty.
    const QString flag = QString::fromUtf8("🇯🇵");
    const QString accented = QString::fromUtf8("e\u0301");
    EXPECT_EQ(QuickMenuService::titleFor(flag.repeated(60)), flag.repeated(50));
    EXPECT_EQ(QuickMenuService::titleFor(accented.repeated(51)), accented.repeated(50));
    // Shown literally in the menu: '&' is not a mnemonic there.
    EXPECT_EQ(menuText("Tom & Jerry"), "Tom && Jerry");
}

TEST_F(MenuTest, AClipOfWhiteSpaceOnlyShowsWhatItHoldsAndPastesUnchanged) {
    const QString blank = " \t\r\n\u3000";
    storage->context().insert(std::make_shared<ClipItem>(blank, start.addSecs(1)));
    storage->context().insert(std::make_shared<ClipItem>(QString("word "), start.addSecs(2)));
    ASSERT_TRUE(storage->context().save());
    model.loadItems();

    history.showMenu();
    EXPECT_EQ(describe(history.menu()),
              (QStringList{"word \t1", "␣⇥↵␣  (white space only)\t2", "---", "Search...\tF"}));
    QKeyEvent press(QEvent::KeyPress, Qt::Key_2, Qt::NoModifier, "2");
    QCoreApplication::sendEvent(history.menu(), &press);
    EXPECT_EQ(pasteboard.string(), blank) << "the marker is only shown";

    // A phrase title of line breaks alone (a quoted one, imported) is marked the same way.
    auto category = std::make_shared<PhraseCategory>("C", 0);
    storage->context().insert(category);
    for (const char* title : {"\n\n", ""}) {
        auto phrase = std::make_shared<PhraseItem>(title, "body", 0);
        phrase->setCategory(category);
        storage->context().insert(phrase);
    }
    ASSERT_TRUE(storage->context().save());
    EXPECT_EQ(describe(opened(phrases.buildMenu()->actions()[0]->menu())),
              (QStringList{"↵↵  (white space only)", ""}));
}

TEST_F(MenuTest, ADigitChoosesItsClipWhichIsPastedIntoThePreviousApplication) {
    addClips(3);
    history.showMenu();
    ASSERT_TRUE(history.menu()->isVisible());
    EXPECT_EQ(workspace.frontmostQueries, 1) << "captured before anything else";
    QKeyEvent press(QEvent::KeyPress, Qt::Key_2, Qt::NoModifier, "2");
    QCoreApplication::sendEvent(history.menu(), &press);
    EXPECT_FALSE(history.menu()->isVisible());
    EXPECT_EQ(pasteboard.string(), QString("clip 2"));
    ASSERT_EQ(workspace.activations.size(), 1u);
    EXPECT_EQ(workspace.activations[0].bundleIdentifier, QString("editor"));
    clock.advance(AppFocusService::activationDelayMs);
    EXPECT_EQ(keyboard.posted.size(), 2u);
    test::drainEvents();
    EXPECT_EQ(texts(model.items()), (QStringList{"clip 2", "clip 3", "clip 1"}));
}

TEST_F(MenuTest, APreparedMenuFollowsTheHistoryWhetherOrNotItsRebuildHasRun) {
    addClips(2);
    history.prepare();
    const QMenu* prepared = history.menu();
    ASSERT_NE(prepared, nullptr);
    history.showMenu();
    EXPECT_EQ(history.menu(), prepared) << "an unchanged history reuses the menu";
    history.menu()->hide();
    // A copy, and the menu asked for before the rebuild's pause is over.
    addClips(3);
    history.showMenu();
    EXPECT_EQ(describe(history.menu()).first(), "clip 3\t1");
    history.menu()->hide();
    // A change while it is open waits for it to close.
    history.showMenu();
    storage->context().insert(std::make_shared<ClipItem>(QString("newest"), start.addSecs(99)));
    ASSERT_TRUE(storage->context().save());
    model.loadItems();
    QTest::qWait(QuickMenuService::rebuildDelayMs + 50);
    EXPECT_EQ(describe(history.menu()).first(), "clip 3\t1");
    history.menu()->hide();
    history.showMenu();
    EXPECT_EQ(describe(history.menu()).first(), "newest\t1");
}

TEST_F(MenuTest, AForgottenClipLeavesThePreparedMenuAtOnce) {
    addClips(3);
    history.prepare();
    ASSERT_EQ(describe(history.menu()).first(), "clip 3\t1");
    model.forgetItem(model.items().at(0));
    EXPECT_EQ(history.menu(), nullptr) << "the menu holding its title is dropped";
    ASSERT_TRUE(test::waitFor([&] { return history.menu() != nullptr; }))
        << "and made again ahead of time";
    EXPECT_EQ(describe(history.menu()).first(), "clip 2\t1");
}

TEST_F(MenuTest, ASearchLeftInTheModelRestrictsTheMenu) {
    addClips(12);
    model.setSearchText("clip 1");
    test::drainEvents();
    EXPECT_EQ(describe(history.buildMenu()), (QStringList{"clip 12\t1", "clip 11\t2", "clip 10\t3",
                                                          "clip 1\t4", "---", "Search...\tF"}));
}

TEST_F(MenuTest, PhraseMenuOrdersCategoriesAndPhrasesAndDisablesEmptyOnes) {
    EXPECT_EQ(describe(phrases.buildMenu()), QStringList{"No phrases!"});

    auto& context = storage->context();
    auto two = std::make_shared<PhraseCategory>("Two", 2);
    auto zero = std::make_shared<PhraseCategory>("Zero", 0);
    auto one = std::make_shared<PhraseCategory>("Zero", 1);  // names may repeat
    for (const auto& c : {two, zero, one}) context.insert(c);
    auto add = [&](const std::shared_ptr<PhraseCategory>& c, const char* title, qint64 order) {
        auto p = std::make_shared<PhraseItem>(title, QString(title) + " body", order);
        p->setCategory(c);
        context.insert(p);
        return p;
    };
    // An abbreviation shows in the shortcut column, its '&' and tab as plain text.
    add(zero, "five", 5)->setAbbreviation("5&\tv");
    add(zero, "one", 1);
    add(zero, "five again", 5);
    add(two, "", 0);
    ASSERT_TRUE(context.save());

    QMenu* menu = phrases.buildMenu();
    EXPECT_EQ(describe(menu), (QStringList{"[Zero]", "[Zero]", "[Two]"}));
    EXPECT_EQ(describe(opened(menu->actions()[0]->menu())),
              (QStringList{"one", "five\t5&& v", "five again"}));
    EXPECT_EQ(describe(opened(menu->actions()[1]->menu())), QStringList{"No items!"});
    EXPECT_EQ(describe(opened(menu->actions()[2]->menu())), QStringList{""});
    EXPECT_EQ(describe(opened(menu->actions()[2]->menu())), QStringList{""}) << "filled once";
}

TEST_F(MenuTest, ChoosingAPhrasePastesItsBodyAndLeavesTheHistoryAlone) {
    auto category = std::make_shared<PhraseCategory>("C", 0);
    storage->context().insert(category);
    auto phrase = std::make_shared<PhraseItem>("Title", "The body", 0);
    phrase->setCategory(category);
    storage->context().insert(phrase);
    ASSERT_TRUE(storage->context().save());
    monitor.startMonitoring();

    phrases.showMenu();
    opened(phrases.menu()->actions()[0]->menu())->actions()[0]->trigger();
    EXPECT_EQ(pasteboard.string(), QString("The body"));
    clock.advance(AppFocusService::activationDelayMs);
    EXPECT_EQ(keyboard.posted.size(), 2u);
    monitor.checkForChanges();
    test::drainEvents();
    EXPECT_TRUE(model.items().isEmpty()) << "a phrase never enters the history";
}

TEST_F(MenuTest, ALargeCategoryShowsItsFirstPhrasesThenMoreWhichOpensTheWindowOnIt) {
    const int cap = QuickPhraseMenuService::maxPhrasesPerCategory;
    auto& context = storage->context();
    auto full = std::make_shared<PhraseCategory>("Full", 0);
    auto large = std::make_shared<PhraseCategory>("Large", 1);
    context.insert(full);
    context.insert(large);
    // Stored out of order, with ties, so the cut must follow sortOrder then the stored order.
    for (int i = cap; i >= 0; --i) {
        auto p = std::make_shared<PhraseItem>(QString("p%1").arg(i), "b", i / 2);
        p->setCategory(large);
        context.insert(p);
    }
    for (int i = 0; i < cap; ++i) {
        auto p = std::make_shared<PhraseItem>(QString("f%1").arg(i), "b", i);
        p->setCategory(full);
        context.insert(p);
    }
    ASSERT_TRUE(context.save());

    QMenu* menu = phrases.buildMenu();
    const QStringList fullEntries = describe(opened(menu->actions()[0]->menu()));
    EXPECT_EQ(fullEntries.size(), cap) << "exactly the cap: every phrase and no More";
    EXPECT_EQ(fullEntries.last(), QString("f%1").arg(cap - 1));

    QMenu* largeMenu = opened(menu->actions()[1]->menu());
    const QStringList entries = describe(largeMenu);
    ASSERT_EQ(entries.size(), cap + 2);
    // Pairs share a sortOrder (p1 and p0 at 0, ...) and keep the order they were stored in.
    EXPECT_EQ(entries.mid(0, 4), (QStringList{"p1", "p0", "p3", "p2"}));
    EXPECT_EQ(entries[cap - 1], QString("p%1").arg(cap - 2));
    EXPECT_EQ(entries.mid(cap), (QStringList{"---", "More…"}));

    largeMenu->actions().last()->trigger();
    EXPECT_EQ(shownCategories, QList<QUuid>{large->id()});
    EXPECT_FALSE(pasteboard.string().has_value()) << "More pastes nothing";
}

}  // namespace
}  // namespace quillet
