#pragma once

#include <QMenu>
#include <QObject>
#include <QUuid>
#include <functional>
#include <memory>
#include <vector>

class QAction;

namespace quillet {

class AppFocusService;
class PhraseCategory;
class PhraseItem;
class PhrasePaster;
class StorageService;

// The phrase pop-up at the pointer: a submenu per category, its phrases by title (and
// abbreviation). Choosing a phrase pastes its body, placeholders filled in; the history is
// left alone.
class QuickPhraseMenuService : public QObject {
    Q_OBJECT
public:
    // Opens the phrase window on a category: where "More…" leads.
    using ShowCategory = std::function<void(const QUuid& category)>;
    // A menu of thousands of entries takes seconds to lay out and fills more than a screen:
    // past this, a category's submenu ends in "More…" instead.
    static constexpr int maxPhrasesPerCategory = 300;

    QuickPhraseMenuService(StorageService& storage, AppFocusService& focus, PhrasePaster& paster,
                           ShowCategory showCategory = {}, QObject* parent = nullptr);
    ~QuickPhraseMenuService() override;

    void showMenu();
    QMenu* buildMenu();
    QMenu* menu() const { return m_menu.get(); }
    // Pastes the phrase into the application in front before our menu or panel: the one way
    // a phrase is pasted, whichever of them chose it.
    void pastePhrase(const std::shared_ptr<PhraseItem>& phrase);
    // The same for the phrase with this id, if it is still there.
    void pastePhrase(const QUuid& id);

private:
    void phraseItemAction(QAction* action);
    void fillSubmenu(QMenu* submenu, const std::shared_ptr<PhraseCategory>& category);

    StorageService& m_storage;
    AppFocusService& m_focus;
    PhrasePaster& m_paster;
    ShowCategory m_showCategory;
    std::unique_ptr<QMenu> m_menu;
    // The phrases of the current menu's opened submenus; entries carry their index into it.
    std::vector<std::shared_ptr<PhraseItem>> m_phrases;
};

}  // namespace quillet
