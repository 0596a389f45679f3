#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>

#include "menus/KeyedMenu.h"
#include "store/ClipList.h"

class QAction;

namespace quillet {

class AppFocusService;
class HistoryViewModel;
class PanelCoordinator;
class PasteActionService;

// The history pop-up at the pointer: the ten newest clips on keys 1-9 and 0, the rest in
// submenus of a hundred (filled when they open), and an entry for the search panel.
class QuickMenuService : public QObject {
    Q_OBJECT
public:
    QuickMenuService(HistoryViewModel& viewModel, PasteActionService& paste, AppFocusService& focus,
                     PanelCoordinator& panels, QObject* parent = nullptr);
    ~QuickMenuService() override;

    void showMenu();
    // Builds the menu as showMenu does, without showing it.
    KeyedMenu* buildMenu();
    // Builds the menu ahead of time, with its window and its first rendering, so that
    // showing it is mapping and painting only. From then on it is rebuilt a moment after the
    // history changes, while it is hidden.
    void prepare();
    static constexpr int rebuildDelayMs = 1000;
    KeyedMenu* menu() const { return m_menu.get(); }

    // A clip's one-line title: line feeds become spaces, at most 50 user-perceived characters;
    // a clip of white space only shows its marker.
    static QString titleFor(const QString& content);
    static constexpr int titleLength = 50;
    static constexpr qsizetype topLevelCount = 10;
    static constexpr qsizetype blockSize = 100;
    // Beyond this many blocks they are grouped a hundred per submenu, because a menu of
    // thousands of entries cannot be laid out or read at once.
    static constexpr qsizetype maxTopLevelBlocks = 100;

private:
    void menuItemAction(QAction* action);
    void searchAction();
    QAction* clipAction(QMenu* parent, qsizetype index);
    void addBlocks(QMenu* into, qsizetype firstBlock, qsizetype endBlock);
    QString rangeLabel(qsizetype firstBlock, qsizetype endBlock) const;

    HistoryViewModel& m_viewModel;
    PasteActionService& m_paste;
    AppFocusService& m_focus;
    PanelCoordinator& m_panels;
    void rebuildIfStale();
    // Whether the menu shows the list as it stands.
    bool isCurrent();

    std::unique_ptr<KeyedMenu> m_menu;
    // The history changed since the menu was built.
    bool m_stale = true;
    bool m_prepared = false;
    QTimer m_rebuild;
    // The list the current menu was built from; entries carry their index into it.
    ClipList m_menuItems;
};

}  // namespace quillet
