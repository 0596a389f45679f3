#include "menus/QuickPhraseMenuService.h"

#include "menus/BlankTextMarker.h"
#include "menus/KeyedMenu.h"
#include "menus/PhrasePaster.h"
#include "paste/AppFocusService.h"
#include "store/PhraseCategory.h"
#include "store/PhraseItem.h"
#include "store/StorageContext.h"
#include "store/StorageService.h"

namespace quillet {

QuickPhraseMenuService::QuickPhraseMenuService(StorageService& storage, AppFocusService& focus,
                                               PhrasePaster& paster, ShowCategory showCategory,
                                               QObject* parent)
    : QObject(parent),
      m_storage(storage),
      m_focus(focus),
      m_paster(paster),
      m_showCategory(std::move(showCategory)) {}

QuickPhraseMenuService::~QuickPhraseMenuService() = default;

QMenu* QuickPhraseMenuService::buildMenu() {
    auto menu = std::make_unique<QMenu>();
    //% "QuickPhrases"
    menu->setTitle(qtTrId("QUICK_PHRASE_MENU_TITLE"));
    m_phrases.clear();

    const auto categories = m_storage.fetchCategories();
    if (categories.empty()) {
        //% "定型文がありません"
        menu->addAction(qtTrId("NO_PHRASES_MESSAGE"))->setEnabled(false);
    }
    // A submenu gets its phrases when it opens: the menu comes up at once however large the
    // library, and only the category the user looks into is read.
    for (const auto& category : categories) {
        QMenu* submenu = menu->addMenu(menuText(category->name()));
        connect(submenu, &QMenu::aboutToShow, this,
                [this, submenu, category] { fillSubmenu(submenu, category); });
    }
    m_menu = std::move(menu);
    return m_menu.get();
}

void QuickPhraseMenuService::fillSubmenu(QMenu* submenu,
                                         const std::shared_ptr<PhraseCategory>& category) {
    if (!submenu->isEmpty()) return;
    // Only the phrases shown are read: one more tells whether there are more.
    const FetchDescriptor firstPhrases{
        Predicate::equals(QStringLiteral("category"), category->id().toString(QUuid::WithoutBraces)),
        {SortKey{QStringLiteral("sortOrder")}, SortKey{QStringLiteral("rowid")}},
        maxPhrasesPerCategory + 1};
    auto phrases = m_storage.context().fetchPhrases(firstPhrases);
    const bool hasMore = phrases.size() > size_t(maxPhrasesPerCategory);
    if (hasMore) phrases.resize(size_t(maxPhrasesPerCategory));
    if (phrases.empty()) {
        //% "項目なし"
        submenu->addAction(qtTrId("EMPTY_CATEGORY"))->setEnabled(false);
        return;
    }
    QList<QAction*> actions;
    actions.reserve(qsizetype(phrases.size()));
    for (const auto& phrase : phrases) {
        // A title of line breaks only (a quoted one, imported) would be an empty row.
        const QString& title = phrase->title();
        QString text = menuText(isBlankText(title) ? blankTextMarker(title) : title);
        // The abbreviation sits in the shortcut column, right-aligned, as a reminder of the
        // word that finds the phrase in the search panel.
        if (!phrase->abbreviation().isEmpty())
            text += u'\t' + menuText(phrase->abbreviation().simplified());
        auto* action = new QAction(text, submenu);
        action->setData(QVariant::fromValue<qint64>(qint64(m_phrases.size())));
        m_phrases.push_back(phrase);
        connect(action, &QAction::triggered, this, [this, action] { phraseItemAction(action); });
        actions.append(action);
    }
    submenu->addActions(actions);
    if (hasMore && m_showCategory) {
        submenu->addSeparator();
        //% "さらに表示…"
        QAction* more = submenu->addAction(qtTrId("QUICK_PHRASE_MORE"));
        more->setObjectName(QStringLiteral("morePhrases"));
        connect(more, &QAction::triggered, this,
                [this, id = category->id()] { m_showCategory(id); });
    }
}

void QuickPhraseMenuService::showMenu() {
    m_focus.captureFrontmostApp();
    popupForUser(buildMenu());
}

void QuickPhraseMenuService::phraseItemAction(QAction* action) {
    bool ok = false;
    const qint64 index = action->data().toLongLong(&ok);
    if (!ok || index < 0 || index >= qint64(m_phrases.size())) return;
    pastePhrase(m_phrases[size_t(index)]);
}

void QuickPhraseMenuService::pastePhrase(const QUuid& id) {
    pastePhrase(std::static_pointer_cast<PhraseItem>(
        m_storage.context().recordWithId(Record::Entity::Phrase, id)));
}

void QuickPhraseMenuService::pastePhrase(const std::shared_ptr<PhraseItem>& phrase) {
    if (!phrase || phrase->isDeleted()) return;
    m_paster.paste(phrase->body(), phrase->title());
}

}  // namespace quillet
