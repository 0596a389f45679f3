#pragma once

#include <QDialog>
#include <QPointer>
#include <QUuid>
#include <QWidget>
#include <memory>

class QAction;
class QLabel;
class QListView;
class QMenu;
class QStackedWidget;
class QToolButton;

namespace quillet {

class CategoryListModel;
class FileChooser;
class PhraseCategory;
class PhraseImportBar;
class PhraseLibrary;
class PhraseListModel;
class PhraseUndoStack;
class StorageContext;

// The phrase library window: categories on the left, the selected category's phrases on the
// right, editors as sheets over it, CSV import, export and template from the "CSV" menu.
// Both lists are live models over the store. Changes made here can be undone while it is open.
class PhraseManagementView : public QWidget {
    Q_OBJECT
public:
    PhraseManagementView(StorageContext& context, FileChooser& fileChooser,
                         QWidget* parent = nullptr);
    ~PhraseManagementView() override;

    // The category the detail pane shows: the selected one, none when nothing is selected or
    // it no longer exists.
    std::shared_ptr<PhraseCategory> selectedCategory() const;
    QUuid selectedCategoryId() const { return m_selectedCategoryId; }
    void selectCategory(const QUuid& id);

    void showNewCategoryEditor();
    void showCategoryEditor(int row);
    void showNewPhraseEditor();
    void showPhraseEditor(int row);

    void importPhrases();
    void exportPhrases();
    void saveTemplate();

    // The two-entry menus ("編集", "削除") of a row; the caller owns them.
    QMenu* categoryMenu(int row);
    QMenu* phraseMenu(int row);

private:
    QWidget* buildSidebar();
    QWidget* buildDetail();
    void categoriesReset();
    void selectionChanged();
    void updateDetail();
    void openSheet(QDialog* sheet);
    void popUp(QMenu* menu, QListView* list, const QPoint& pos);
    void startImport(const std::shared_ptr<PhraseCategory>& category, const QString& path);

    std::unique_ptr<PhraseLibrary> m_library;
    FileChooser& m_fileChooser;
    CategoryListModel* m_categories;
    PhraseListModel* m_phrases;
    PhraseUndoStack* m_undoStack;
    QUuid m_selectedCategoryId;
    QPointer<QDialog> m_sheet;

    QListView* m_categoryList = nullptr;
    QListView* m_phraseList = nullptr;
    QToolButton* m_newCategoryButton = nullptr;
    QToolButton* m_csvButton = nullptr;
    QToolButton* m_newPhraseButton = nullptr;
    QMenu* m_csvMenu = nullptr;
    QAction* m_importAction = nullptr;
    PhraseImportBar* m_importBar = nullptr;
    QStackedWidget* m_detail = nullptr;
    QLabel* m_detailTitle = nullptr;
};

}  // namespace quillet
