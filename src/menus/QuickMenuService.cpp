#include "menus/QuickMenuService.h"

#include <QTextBoundaryFinder>

#include "history/HistoryViewModel.h"
#include "menus/BlankTextMarker.h"
#include "menus/PanelCoordinator.h"
#include "paste/AppFocusService.h"
#include "paste/PasteActionService.h"
#include "paste/PasteSequence.h"
#include "store/ClipItem.h"

namespace quillet {

QuickMenuService::QuickMenuService(HistoryViewModel& viewModel, PasteActionService& paste,
                                   AppFocusService& focus, PanelCoordinator& panels,
                                   QObject* parent)
    : QObject(parent), m_viewModel(viewModel), m_paste(paste), m_focus(focus), m_panels(panels) {
    m_rebuild.setSingleShot(true);
    m_rebuild.setInterval(rebuildDelayMs);
    connect(&m_rebuild, &QTimer::timeout, this, &QuickMenuService::rebuildIfStale);
    connect(&m_viewModel, &HistoryViewModel::itemsChanged, this, [this] {
        m_stale = true;
        // Rebuilt for the whole history only, not while the panel searches (its steps change
        // the list many times a second; a search left in the list is built for on request).
        if (m_prepared && m_viewModel.searchText().isEmpty()) m_rebuild.start();
    });
    // The menu made ahead may list the forgotten clip's text: it goes at once, and the next
    // one is made from the history without it (a search in the panel waits until it ends).
    connect(&m_viewModel, &HistoryViewModel::itemForgotten, this, [this] {
        m_stale = true;
        if (m_menu && !m_menu->isVisible()) {
            m_menu.reset();
            m_menuItems = ClipList();
        }
        if (m_prepared && m_viewModel.searchText().isEmpty()) m_rebuild.start();
    });
}

QuickMenuService::~QuickMenuService() = default;

QString QuickMenuService::titleFor(const QString& content) {
    if (isBlankText(content)) return blankTextMarker(content);
    QString flat = content;
    flat.replace(u'\n', u' ');
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, flat);
    int count = 0;
    while (count < titleLength && graphemes.toNextBoundary() != -1) ++count;
    if (count < titleLength || graphemes.position() < 0) return flat;
    return flat.left(graphemes.position());
}

QAction* QuickMenuService::clipAction(QMenu* parent, qsizetype index) {
    const auto clip = m_menuItems.at(index);
    auto* action = new QAction(menuText(clip ? titleFor(clip->content()) : QString()), parent);
    action->setData(QVariant::fromValue<qint64>(index));
    connect(action, &QAction::triggered, this, [this, action] { menuItemAction(action); });
    return action;
}

KeyedMenu* QuickMenuService::buildMenu() {
    auto menu = std::make_unique<KeyedMenu>();
    //% "Quick Paste"
    menu->setTitle(qtTrId("QUICK_MENU_TITLE"));
    m_menuItems = m_viewModel.items();
    const qsizetype n = m_menuItems.size();

    if (n == 0) {
        // The list may still hold the panel's search.
        const QString empty = m_viewModel.searchText().isEmpty()
                                  //% "No history"
                                  ? qtTrId("NO_HISTORY_MESSAGE")
                                  //% "No matches"
                                  : qtTrId("NO_MATCHES_MESSAGE");
        menu->addAction(empty)->setEnabled(false);
    }
    for (qsizetype i = 0; i < std::min(n, topLevelCount); ++i) {
        const int digit = int((i + 1) % 10);
        menu->addKeyedAction(clipAction(menu.get(), i), Qt::Key(Qt::Key_0 + digit),
                             QString::number(digit));
    }
    if (n > topLevelCount) {
        menu->addSeparator();
        const qsizetype blocks = (n - topLevelCount + blockSize - 1) / blockSize;
        if (blocks <= maxTopLevelBlocks) {
            addBlocks(menu.get(), 0, blocks);
        } else {
            // More blocks than a menu can lay out at once: group them a hundred at a time.
            for (qsizetype group = 0; group < blocks; group += maxTopLevelBlocks) {
                const qsizetype end = std::min(group + maxTopLevelBlocks, blocks);
                QMenu* groupMenu = menu->addMenu(rangeLabel(group, end));
                connect(groupMenu, &QMenu::aboutToShow, this, [this, groupMenu, group, end] {
                    if (groupMenu->isEmpty()) addBlocks(groupMenu, group, end);
                });
            }
        }
    }
    menu->addSeparator();
    //% "検索..."
    auto* search = new QAction(qtTrId("MENU_SEARCH"), menu.get());
    connect(search, &QAction::triggered, this, &QuickMenuService::searchAction);
    menu->addKeyedAction(search, Qt::Key_F, QStringLiteral("F"));

    m_menu = std::move(menu);
    m_stale = false;
    return m_menu.get();
}

QString QuickMenuService::rangeLabel(qsizetype firstBlock, qsizetype endBlock) const {
    const qsizetype first = topLevelCount + firstBlock * blockSize;
    const qsizetype last = std::min(topLevelCount + endBlock * blockSize, m_menuItems.size());
    //% "Items %1-%2"
    return qtTrId("SUBMENU_RANGE_LABEL").arg(first + 1).arg(last);
}

void QuickMenuService::addBlocks(QMenu* into, qsizetype firstBlock, qsizetype endBlock) {
    for (qsizetype b = firstBlock; b < endBlock; ++b) {
        const qsizetype first = topLevelCount + b * blockSize;
        const qsizetype last = std::min(first + blockSize, m_menuItems.size());  // exclusive
        QMenu* block = into->addMenu(rangeLabel(b, b + 1));
        // Each block is filled only when it opens: a long history makes thousands of them.
        connect(block, &QMenu::aboutToShow, this, [this, block, first, last] {
            if (!block->isEmpty()) return;
            for (qsizetype i = first; i < last; ++i) block->addAction(clipAction(block, i));
        });
    }
}

void QuickMenuService::prepare() {
    m_prepared = true;
    rebuildIfStale();
}

bool QuickMenuService::isCurrent() {
    // A search that ends where it began (the panel cleared) gives back the same list.
    if (m_stale && m_menu && m_menuItems == m_viewModel.items()) m_stale = false;
    return m_menu && !m_stale;
}

void QuickMenuService::rebuildIfStale() {
    m_viewModel.ensureLoaded();
    if (isCurrent() || (m_menu && m_menu->isVisible())) return;
    KeyedMenu* menu = buildMenu();
    // Creating the window and rendering once (fonts, glyphs, style) leaves nothing for the
    // show but the mapping and a paint.
    menu->ensurePolished();
    menu->adjustSize();
    menu->winId();
    menu->grab();
}

void QuickMenuService::showMenu() {
    m_focus.captureFrontmostApp();
    m_viewModel.ensureLoaded();
    m_viewModel.scheduleLoad();  // not awaited: the menu shows the list as it stands
    KeyedMenu* menu = isCurrent() ? m_menu.get() : buildMenu();
    popupForUser(menu);
}

void QuickMenuService::menuItemAction(QAction* action) {
    bool ok = false;
    const qint64 index = action->data().toLongLong(&ok);
    const auto clip = ok ? m_menuItems.at(index) : nullptr;
    if (!clip) return;
    m_viewModel.selectItem(clip);
    finishPaste(m_focus, m_paste, this);
}

void QuickMenuService::searchAction() {
    m_panels.showHistoryPanel();
}

}  // namespace quillet
