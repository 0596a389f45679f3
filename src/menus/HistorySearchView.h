#pragma once

#include <QTimer>
#include <QUuid>
#include <QWidget>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QStackedWidget;

namespace quillet {

class ClipItem;
class Clock;
class HistoryItemDelegate;
class HistoryListModel;
class HistoryViewModel;
class PhraseSearchModel;

// The search panel's content: a search field and its Match case toggle over the list of
// matching clips. The keyboard drives it while the field keeps the focus: typing filters, Up
// and Down move the highlight, Return chooses the highlighted clip, Escape hides the window
// and Alt+C toggles Match case. A click chooses the clicked clip. Delete (when the field has
// nothing after its cursor to delete) and the context menu's Forget… remove a clip from the
// history for good, once the user confirms. An empty list says whether the history is empty
// or the search matches nothing. Everything shown comes from the view model.
//
// Given the phrases too, the panel searches either: Tab in the field switches between clips
// and phrases, keeping the text typed. Phrases are matched by title, abbreviation and body;
// Return or a click chooses one; Match case and Delete are for clips only.
class HistorySearchView : public QWidget {
    Q_OBJECT
public:
    enum class Mode { Clips, Phrases };

    HistorySearchView(HistoryViewModel& viewModel, Clock& clock,
                      PhraseSearchModel* phrases = nullptr, QWidget* parent = nullptr);
    ~HistorySearchView() override;

    void focusSearchField();
    // Empties the search field (and so the search).
    void clearSearch();
    Mode mode() const { return m_mode; }
    // Searches clips or phrases for the text in the field.
    void setMode(Mode mode);
    QListView* phraseListView() const { return m_phraseList; }

    QListView* listView() const { return m_list; }

    // Repaints the rows whose relative time reads differently now than when they were
    // painted, and only those; returns how many. Runs every `timeRefreshMs` while shown.
    int refreshTimes();
    static constexpr int timeRefreshMs = 1000;
    // How long the history must stay unchanged before a hidden panel lays out its list.
    static constexpr int hiddenLayoutDelayMs = 1000;
    // The smallest the panel gets, unless the screen is smaller still.
    static constexpr QSize preferredMinimumSize{400, 500};

signals:
    // A clip was chosen, by Return or by a click.
    void select(std::shared_ptr<ClipItem> clip);
    // A phrase was chosen, by Return or by a click.
    void selectPhrase(const QUuid& id);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Acts on the keys the panel answers to; false for every other key.
    bool handleKey(int key);
    std::shared_ptr<ClipItem> selectedClip() const;
    void chooseSelected();
    // The row's menu (Forget…) at `globalPos`, for the clip on `row`, which becomes the
    // highlighted one.
    void showRowMenu(int row, const QPoint& globalPos);
    // Asks, window-modal, whether to forget the clip; Forget is the default button.
    void confirmForget(const std::shared_ptr<ClipItem>& clip);
    void itemsChanged();
    void showListOrEmptyState();
    Qt::CaseSensitivity caseSensitivity() const;
    void scrollToSelection();
    void setUpPhraseList();
    void searchTyped(const QString& text);
    void choosePhrase(int row);

    HistoryViewModel& m_viewModel;
    HistoryListModel* m_model;
    HistoryItemDelegate* m_delegate;
    QLineEdit* m_searchField;
    QCheckBox* m_matchCase;
    QStackedWidget* m_stack;
    QListView* m_list;
    QLabel* m_emptyLabel;
    PhraseSearchModel* m_phrases;  // not owned; null when the panel searches clips alone
    QListView* m_phraseList = nullptr;
    Mode m_mode = Mode::Clips;
    QTimer m_timeRefresh;
    QTimer m_hiddenLayout;
    bool m_justHidden = false;  // no change of the list since the panel hid
    bool m_focusedOnce = false;
};

}  // namespace quillet
