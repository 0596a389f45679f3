#include "phrases/PhraseManagementView.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QAction>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QSplitter>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "phrases/FileChooser.h"
#include "phrases/PhraseEditors.h"
#include "phrases/PhraseFileActions.h"
#include "phrases/PhraseImport.h"
#include "phrases/PhraseImportBar.h"
#include "phrases/PhraseLibrary.h"
#include "phrases/PhraseListModels.h"
#include "phrases/PhraseRowDelegate.h"
#include "phrases/PhraseUndoStack.h"
#include "phrases/SymbolIcons.h"
#include "base/Logging.h"
#include "store/PhraseCategory.h"
#include "store/PhraseItem.h"
#include "store/StorageContext.h"

namespace quillet {

namespace {

QLabel* paneTitle(const QString& text) {
    auto* label = new QLabel(text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QToolButton* toolButton(const QString& symbol, const QString& toolTip) {
    auto* button = new QToolButton;
    button->setIcon(symbolIcon(symbol));
    button->setToolTip(toolTip);
    button->setAutoRaise(true);
    return button;
}

// Lists reordered by dragging a row between others.
void makeReorderable(QListView* list) {
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setDragDropMode(QAbstractItemView::InternalMove);
    list->setDefaultDropAction(Qt::MoveAction);
    list->setDragDropOverwriteMode(false);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    list->setUniformItemSizes(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

// A key that acts on the list's current row while the list has the focus.
void addRowKey(QListView* list, const QList<QKeySequence>& keys,
               const std::function<void(int row)>& act) {
    auto* action = new QAction(list);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WidgetShortcut);
    QObject::connect(action, &QAction::triggered, list, [list, act] {
        if (list->currentIndex().isValid()) act(list->currentIndex().row());
    });
    list->addAction(action);
}

}  // namespace

PhraseManagementView::PhraseManagementView(StorageContext& context, FileChooser& fileChooser,
                                           QWidget* parent)
    : QWidget(parent),
      m_library(std::make_unique<PhraseLibrary>(context)),
      m_fileChooser(fileChooser),
      m_categories(new CategoryListModel(*m_library, this)),
      m_phrases(new PhraseListModel(*m_library, this)),
      m_undoStack(new PhraseUndoStack(*m_library, this)) {
    setObjectName(QStringLiteral("phraseManagementView"));
    m_categories->setObjectName(QStringLiteral("categoryModel"));
    m_phrases->setObjectName(QStringLiteral("phraseModel"));
    // Opens at 600x400, but may shrink to fit a small screen (1280x800 at scale 2 leaves
    // less than 400 pixels under a title bar).
    setMinimumSize(480, 300);
    resize(600, 400);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(buildSidebar());
    splitter->addWidget(buildDetail());
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 580});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter, 1);
    m_importBar = new PhraseImportBar(this);
    layout->addWidget(m_importBar);

    connect(m_categories, &QAbstractItemModel::modelReset, this,
            &PhraseManagementView::categoriesReset);
    connect(m_categories, &QAbstractItemModel::dataChanged, this,
            &PhraseManagementView::updateDetail);
    connect(m_categoryList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &PhraseManagementView::selectionChanged);
    setTabOrder(m_categoryList, m_newCategoryButton);
    setTabOrder(m_newCategoryButton, m_csvButton);
    setTabOrder(m_csvButton, m_newPhraseButton);
    setTabOrder(m_newPhraseButton, m_phraseList);
    m_undoStack->bindKeys(this);
    m_categoryList->setFocus();
    updateDetail();
}

PhraseManagementView::~PhraseManagementView() = default;

QWidget* PhraseManagementView::buildSidebar() {
    auto* sidebar = new QWidget;
    //% "カテゴリ"
    auto* title = paneTitle(qtTrId("PHRASE_CATEGORIES"));
    //% "新しいカテゴリ"
    m_newCategoryButton =
        toolButton(QStringLiteral("folder.badge.plus"), qtTrId("PHRASE_NEW_CATEGORY"));
    m_newCategoryButton->setObjectName(QStringLiteral("newCategoryButton"));
    connect(m_newCategoryButton, &QToolButton::clicked, this,
            &PhraseManagementView::showNewCategoryEditor);
    auto* header = new QHBoxLayout;
    header->addWidget(title);
    header->addStretch(1);
    header->addWidget(m_newCategoryButton);

    m_categoryList = new QListView;
    m_categoryList->setObjectName(QStringLiteral("categoryList"));
    makeReorderable(m_categoryList);
    m_categoryList->setModel(m_categories);
    connect(m_categoryList, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QModelIndex index = m_categoryList->indexAt(pos);
        if (index.isValid()) popUp(categoryMenu(index.row()), m_categoryList, pos);
    });
    // The keys of the row menus: the selection stays on a deleted category, as with its menu.
    addRowKey(m_categoryList, {Qt::Key_F2}, [this](int row) { showCategoryEditor(row); });
    addRowKey(m_categoryList, {QKeySequence::Delete},
              [this](int row) { m_library->deleteCategory(m_categories->category(row)); });

    auto* layout = new QVBoxLayout(sidebar);
    layout->setContentsMargins(8, 8, 0, 8);
    layout->addLayout(header);
    layout->addWidget(m_categoryList);
    return sidebar;
}

QWidget* PhraseManagementView::buildDetail() {
    m_detail = new QStackedWidget;
    m_detail->setObjectName(QStringLiteral("phraseDetail"));
    //% "カテゴリを選択してください"
    auto* placeholder = new QLabel(qtTrId("PHRASE_SELECT_CATEGORY"));
    placeholder->setObjectName(QStringLiteral("phrasePlaceholder"));
    placeholder->setAlignment(Qt::AlignCenter);
    placeholder->setEnabled(false);
    m_detail->addWidget(placeholder);

    auto* page = new QWidget;
    m_detailTitle = paneTitle(QString());
    m_detailTitle->setObjectName(QStringLiteral("categoryTitle"));

    m_csvMenu = new QMenu(this);
    m_csvMenu->setObjectName(QStringLiteral("csvMenu"));
    //% "インポート..."
    m_importAction = m_csvMenu->addAction(qtTrId("PHRASE_FILE_IMPORT"), this, &PhraseManagementView::importPhrases);
    //% "エクスポート..."
    m_csvMenu->addAction(qtTrId("PHRASE_FILE_EXPORT"), this, &PhraseManagementView::exportPhrases);
    m_csvMenu->addSeparator();
    //% "CSV雛形を保存..."
    m_csvMenu->addAction(qtTrId("PHRASE_CSV_SAVE_TEMPLATE"), this,
                         &PhraseManagementView::saveTemplate);
    m_csvButton = toolButton(QStringLiteral("arrow.up.doc.fill"), QString());
    m_csvButton->setObjectName(QStringLiteral("csvButton"));
    //% "ファイル"
    m_csvButton->setText(qtTrId("PHRASE_FILE_MENU"));
    m_csvButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_csvButton->setPopupMode(QToolButton::InstantPopup);
    m_csvButton->setMenu(m_csvMenu);

    //% "新しい定型文"
    m_newPhraseButton = toolButton(QStringLiteral("plus"), qtTrId("PHRASE_NEW_PHRASE"));
    m_newPhraseButton->setObjectName(QStringLiteral("newPhraseButton"));
    connect(m_newPhraseButton, &QToolButton::clicked, this,
            &PhraseManagementView::showNewPhraseEditor);

    auto* header = new QHBoxLayout;
    header->addWidget(m_detailTitle, 1);
    header->addWidget(m_csvButton);
    header->addWidget(m_newPhraseButton);

    m_phraseList = new QListView;
    m_phraseList->setObjectName(QStringLiteral("phraseList"));
    makeReorderable(m_phraseList);
    m_phraseList->setItemDelegate(new PhraseRowDelegate(m_phraseList));
    m_phraseList->setModel(m_phrases);
    // `clicked` comes on release over the row it was pressed on: a drag opens nothing.
    connect(m_phraseList, &QListView::clicked, this,
            [this](const QModelIndex& index) { showPhraseEditor(index.row()); });
    connect(m_phraseList, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QModelIndex index = m_phraseList->indexAt(pos);
        if (index.isValid()) popUp(phraseMenu(index.row()), m_phraseList, pos);
    });
    addRowKey(m_phraseList, {Qt::Key_Return, Qt::Key_Enter, Qt::Key_F2},
              [this](int row) { showPhraseEditor(row); });
    addRowKey(m_phraseList, {QKeySequence::Delete}, [this](int row) {
        m_library->deletePhrase(m_phrases->phrase(row));
        // The next phrase takes the place, so Delete can be pressed again.
        const int left = m_phrases->rowCount();
        if (left > 0) m_phraseList->setCurrentIndex(m_phrases->index(std::min(row, left - 1)));
    });

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 8, 8, 8);
    layout->addLayout(header);
    layout->addWidget(m_phraseList);
    m_detail->addWidget(page);
    return m_detail;
}

std::shared_ptr<PhraseCategory> PhraseManagementView::selectedCategory() const {
    return m_categories->category(m_categories->rowOf(m_selectedCategoryId));
}

void PhraseManagementView::selectCategory(const QUuid& id) {
    const int row = m_categories->rowOf(id);
    if (row < 0) return;
    m_categoryList->selectionModel()->setCurrentIndex(m_categories->index(row),
                                                      QItemSelectionModel::ClearAndSelect);
}

void PhraseManagementView::selectionChanged() {
    const QModelIndexList rows = m_categoryList->selectionModel()->selectedRows();
    // A selection cleared by a reload keeps the remembered id: it is selected again below.
    if (!rows.isEmpty()) m_selectedCategoryId = m_categories->category(rows.first().row())->id();
    updateDetail();
}

void PhraseManagementView::categoriesReset() {
    const int row = m_categories->rowOf(m_selectedCategoryId);
    if (row >= 0) {
        const QSignalBlocker block(m_categoryList->selectionModel());
        m_categoryList->selectionModel()->setCurrentIndex(m_categories->index(row),
                                                          QItemSelectionModel::ClearAndSelect);
    }
    updateDetail();
}

void PhraseManagementView::updateDetail() {
    const auto category = selectedCategory();
    m_phrases->setCategory(category);
    if (!category) {
        m_detail->setCurrentIndex(0);
        return;
    }
    m_detailTitle->setText(category->name());
    m_detail->setCurrentIndex(1);
}

void PhraseManagementView::openSheet(QDialog* sheet) {
    if (m_sheet) m_sheet->close();
    m_sheet = sheet;
    sheet->open();
}

void PhraseManagementView::showNewCategoryEditor() {
    auto* editor = new CategoryEditor(*m_library, nullptr, this);
    // The new category is shown at once, with the "+" for its first phrase.
    connect(editor, &CategoryEditor::categoryCreated, this, &PhraseManagementView::selectCategory);
    openSheet(editor);
}

void PhraseManagementView::showCategoryEditor(int row) {
    if (auto category = m_categories->category(row))
        openSheet(new CategoryEditor(*m_library, category, this));
}

void PhraseManagementView::showNewPhraseEditor() {
    openSheet(new PhraseEditor(*m_library, selectedCategory(), nullptr, this));
}

void PhraseManagementView::showPhraseEditor(int row) {
    if (auto phrase = m_phrases->phrase(row))
        openSheet(new PhraseEditor(*m_library, phrase->category(), phrase, this));
}

QMenu* PhraseManagementView::categoryMenu(int row) {
    // The menu acts on the record it was opened for, whatever reloads happen while it is open.
    auto* menu = new QMenu(this);
    const auto category = m_categories->category(row);
    //% "編集"
    menu->addAction(qtTrId("PHRASE_EDIT"), this, [this, category] {
        if (category && !category->isDeleted())
            openSheet(new CategoryEditor(*m_library, category, this));
    });
    //% "削除"
    QAction* remove = menu->addAction(qtTrId("PHRASE_DELETE"), this,
                                      [this, category] { m_library->deleteCategory(category); });
    remove->setIcon(QIcon::fromTheme(QStringLiteral("edit-delete")));
    return menu;
}

QMenu* PhraseManagementView::phraseMenu(int row) {
    auto* menu = new QMenu(this);
    const auto phrase = m_phrases->phrase(row);
    menu->addAction(qtTrId("PHRASE_EDIT"), this, [this, phrase] {
        if (phrase && !phrase->isDeleted())
            openSheet(new PhraseEditor(*m_library, phrase->category(), phrase, this));
    });
    QAction* remove = menu->addAction(qtTrId("PHRASE_DELETE"), this,
                                      [this, phrase] { m_library->deletePhrase(phrase); });
    remove->setIcon(QIcon::fromTheme(QStringLiteral("edit-delete")));
    return menu;
}

void PhraseManagementView::popUp(QMenu* menu, QListView* list, const QPoint& pos) {
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(list->viewport()->mapToGlobal(pos));
}

void PhraseManagementView::importPhrases() {
    const auto category = selectedCategory();
    if (!category || m_importBar->isFollowing()) return;
    QPointer<PhraseManagementView> self(this);
    m_fileChooser.chooseToOpen(
        this, PhraseFileActions::dialogCaption(qtTrId("PHRASE_FILE_IMPORT")), [self, category](const QString& path) {
            if (!self || category->isDeleted() || self->m_importBar->isFollowing()) return;
            self->startImport(category, path);
        });
}

void PhraseManagementView::startImport(const std::shared_ptr<PhraseCategory>& category,
                                       const QString& path) {
    // The import belongs to the store, not the window: closing the window midway neither
    // leaves half a file imported nor keeps the window alive.
    StorageContext& context = m_library->context();
    auto* import = new PhraseImport(context, category, path, {}, &context);
    // The list shows the imported rows by the time the progress strip goes.
    auto ended = [this] {
        m_importAction->setEnabled(true);
        m_phrases->setRefreshHeld(false);
    };
    connect(import, &PhraseImport::stageChanged, this, [this, import, ended](PhraseImport::Stage stage) {
        if (stage != PhraseImport::Stage::Done) return;
        m_library->noteAppended(import->category()->id(), import->takeImported());
        ended();
        // What the file held that could not be imported as written (a YAML variable that
        // would run a program) is said once.
        if (!import->warnings().isEmpty())
            PhraseFileActions::showMessage(this, import->warnings().join(u'\n'));
    });
    connect(import, &QObject::destroyed, this, ended);
    // Also when this window has gone.
    connect(import, &PhraseImport::stageChanged, import, [import](PhraseImport::Stage stage) {
        if (stage == PhraseImport::Stage::Done) import->deleteLater();
    });
    connect(import, &PhraseImport::failed, this, [this](const QString& message) {
        PhraseFileActions::showMessage(this, message);
    });
    m_importAction->setEnabled(false);
    m_phrases->setRefreshHeld(true);
    m_importBar->follow(import);
    import->start();
}

void PhraseManagementView::exportPhrases() {
    PhraseFileActions::exportCategory(this, m_fileChooser, selectedCategory());
}

void PhraseManagementView::saveTemplate() {
    PhraseFileActions::saveTemplate(this, m_fileChooser);
}

}  // namespace quillet
