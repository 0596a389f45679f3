#include "menus/HistorySearchView.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "history/HistoryViewModel.h"
#include "menus/HistoryItemDelegate.h"
#include "menus/HistoryListModel.h"
#include "menus/PhraseSearchModel.h"
#include "store/ClipItem.h"

namespace quillet {

namespace {

constexpr int searchIconSize = 16;

// The theme's search icon, or a drawn magnifying glass where the theme has none.
QPixmap searchIcon(const QColor& color, qreal devicePixelRatio) {
    const QIcon themed = QIcon::fromTheme(QStringLiteral("edit-find"));
    if (!themed.isNull())
        return themed.pixmap(QSize(searchIconSize, searchIconSize), devicePixelRatio,
                             QIcon::Disabled);

    QPixmap pixmap(QSize(searchIconSize, searchIconSize) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color, 1.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawEllipse(QRectF(2, 2, 9, 9));
    painter.drawLine(QPointF(10, 10), QPointF(14, 14));
    return pixmap;
}

QFrame* divider() {
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setForegroundRole(QPalette::Mid);
    line->setFixedHeight(1);
    return line;
}

}  // namespace

HistorySearchView::HistorySearchView(HistoryViewModel& viewModel, Clock& clock,
                                     PhraseSearchModel* phrases, QWidget* parent)
    : QWidget(parent),
      m_viewModel(viewModel),
      m_model(new HistoryListModel(viewModel, this)),
      m_delegate(new HistoryItemDelegate(clock, this)),
      m_searchField(new QLineEdit),
      //% "Match &case"
      m_matchCase(new QCheckBox(qtTrId("SEARCH_MATCH_CASE"))),
      m_stack(new QStackedWidget),
      m_list(new QListView),
      m_emptyLabel(new QLabel),
      m_phrases(phrases) {
    setMinimumSize(preferredMinimumSize);
    m_searchField->setObjectName(QStringLiteral("searchField"));
    m_emptyLabel->setObjectName(QStringLiteral("emptyLabel"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    auto* searchRow = new QWidget;
    searchRow->setAutoFillBackground(true);
    searchRow->setBackgroundRole(QPalette::Base);
    auto* rowLayout = new QHBoxLayout(searchRow);
    rowLayout->setContentsMargins(12, 0, 12, 0);
    auto* icon = new QLabel;
    icon->setPixmap(searchIcon(palette().color(QPalette::PlaceholderText), devicePixelRatioF()));
    rowLayout->addWidget(icon, 0, Qt::AlignVCenter);
    m_searchField->setFrame(false);
    m_searchField->setTextMargins(10, 10, 10, 10);
    //% "検索..."
    m_searchField->setPlaceholderText(qtTrId("SEARCH_PLACEHOLDER"));
    m_searchField->setText(m_viewModel.searchText());
    m_searchField->installEventFilter(this);
    rowLayout->addWidget(m_searchField, 1, Qt::AlignVCenter);
    // Reached by its mnemonic, Alt+C as in editors' find bars (Space toggles), and by Tab
    // where Tab does not switch to the phrases.
    m_matchCase->setObjectName(QStringLiteral("matchCase"));
    m_matchCase->setFocusPolicy(Qt::TabFocus);
    m_matchCase->setChecked(m_viewModel.matchCase());
    m_matchCase->installEventFilter(this);
    rowLayout->addWidget(m_matchCase, 0, Qt::AlignVCenter);

    m_list->setModel(m_model);
    m_list->setItemDelegate(m_delegate);
    m_delegate->setHighlight(m_viewModel.searchText(), caseSensitivity());
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The field keeps the keyboard; the list only shows and takes clicks.
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->viewport()->setBackgroundRole(QPalette::Window);
    m_list->installEventFilter(this);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QModelIndex index = m_list->indexAt(pos);
        if (index.isValid()) showRowMenu(index.row(), m_list->viewport()->mapToGlobal(pos));
    });

    m_emptyLabel->setAlignment(Qt::AlignCenter);
    m_emptyLabel->setForegroundRole(QPalette::PlaceholderText);

    m_stack->addWidget(m_list);
    m_stack->addWidget(m_emptyLabel);
    if (m_phrases) setUpPhraseList();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(searchRow);
    layout->addWidget(divider());
    layout->addWidget(m_stack, 1);

    connect(m_searchField, &QLineEdit::textEdited, this, &HistorySearchView::searchTyped);
    connect(&m_viewModel, &HistoryViewModel::searchTextChanged, this, [this] {
        if (m_mode == Mode::Clips && m_searchField->text() != m_viewModel.searchText())
            m_searchField->setText(m_viewModel.searchText());
        showListOrEmptyState();  // an empty list stays empty, but now for another reason
        m_delegate->setHighlight(m_viewModel.searchText(), caseSensitivity());
        m_list->viewport()->update();
    });
    connect(m_matchCase, &QCheckBox::toggled, this,
            [this](bool checked) { m_viewModel.setMatchCase(checked); });
    connect(&m_viewModel, &HistoryViewModel::matchCaseChanged, this, [this] {
        m_matchCase->setChecked(m_viewModel.matchCase());
        m_delegate->setHighlight(m_viewModel.searchText(), caseSensitivity());
        m_list->viewport()->update();
    });
    connect(&m_viewModel, &HistoryViewModel::itemsChanged, this, &HistorySearchView::itemsChanged);
    connect(&m_viewModel, &HistoryViewModel::itemsAppended, this,
            &HistorySearchView::showListOrEmptyState);
    m_hiddenLayout.setSingleShot(true);
    connect(&m_hiddenLayout, &QTimer::timeout, this, [this] {
        if (!isVisible()) m_list->doItemsLayout();
    });
    connect(&m_viewModel, &HistoryViewModel::selectedIndexChanged, this,
            &HistorySearchView::scrollToSelection);
    connect(m_list, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        // The clicked clip, whichever row is highlighted.
        if (std::shared_ptr<ClipItem> clip = m_model->clipAt(index.row())) emit select(clip);
    });

    m_timeRefresh.setInterval(timeRefreshMs);
    connect(&m_timeRefresh, &QTimer::timeout, this, &HistorySearchView::refreshTimes);

    itemsChanged();
}

HistorySearchView::~HistorySearchView() = default;

void HistorySearchView::setUpPhraseList() {
    m_phraseList = new QListView;
    m_phraseList->setObjectName(QStringLiteral("phraseSearchList"));
    m_phraseList->setModel(m_phrases);
    m_phraseList->setItemDelegate(new PhraseHitDelegate(m_phraseList));
    m_phraseList->setUniformItemSizes(true);
    m_phraseList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_phraseList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_phraseList->setFocusPolicy(Qt::NoFocus);
    m_phraseList->setFrameShape(QFrame::NoFrame);
    m_phraseList->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_phraseList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_phraseList->viewport()->setBackgroundRole(QPalette::Window);
    m_stack->addWidget(m_phraseList);
    connect(m_phrases, &PhraseSearchModel::highlightChanged, this, [this](int row) {
        const QModelIndex index = m_phrases->index(row);
        m_phraseList->setCurrentIndex(index);
        if (index.isValid()) m_phraseList->scrollTo(index);
    });
    connect(m_phraseList, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { choosePhrase(index.row()); });
}

void HistorySearchView::setMode(Mode mode) {
    if (!m_phrases) mode = Mode::Clips;
    m_mode = mode;
    m_matchCase->setVisible(mode == Mode::Clips);
    m_searchField->setPlaceholderText(mode == Mode::Clips
                                          ? qtTrId("SEARCH_PLACEHOLDER")
                                          //% "定型文を検索..."
                                          : qtTrId("SEARCH_PHRASES_PLACEHOLDER"));
    searchTyped(m_searchField->text());
}

void HistorySearchView::searchTyped(const QString& text) {
    if (m_mode == Mode::Phrases) {
        if (text.isEmpty())
            m_phrases->showAll();
        else
            m_phrases->search(text);
        showListOrEmptyState();
        return;
    }
    if (text != m_viewModel.searchText()) m_viewModel.setSearchText(text);
    showListOrEmptyState();
}

void HistorySearchView::choosePhrase(int row) {
    if (const PhraseHit* hit = m_phrases ? m_phrases->hitAt(row) : nullptr)
        emit selectPhrase(hit->id);
}

void HistorySearchView::focusSearchField() {
    m_searchField->setFocus(Qt::OtherFocusReason);
}

void HistorySearchView::clearSearch() {
    m_searchField->clear();
}

bool HistorySearchView::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == m_searchField || watched == m_list || watched == m_matchCase) &&
        event->type() == QEvent::KeyPress) {
        if (handleKey(static_cast<QKeyEvent*>(event)->key())) return true;
    }
    // The Menu key (a context menu asked for by keyboard) opens the highlighted row's menu,
    // not the field's editing menu; a right click in the field still gets that one.
    if (watched == m_searchField && event->type() == QEvent::ContextMenu &&
        static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
        if (m_mode == Mode::Phrases) return true;
        const qint64 row = m_viewModel.selectedIndex();
        if (row >= 0 && row < m_model->rowCount()) {
            const QRect rect = m_list->visualRect(m_model->index(int(row)));
            showRowMenu(int(row), m_list->viewport()->mapToGlobal(rect.center()));
        }
        return true;
    }
    // Alt+C toggles and typing goes on in the field; only Tab leaves the field for the box.
    if (watched == m_matchCase && event->type() == QEvent::FocusIn &&
        static_cast<QFocusEvent*>(event)->reason() == Qt::ShortcutFocusReason) {
        QMetaObject::invokeMethod(this, &HistorySearchView::focusSearchField, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

void HistorySearchView::keyPressEvent(QKeyEvent* event) {
    // Keys that reach the panel itself are its own: none of them goes further.
    handleKey(event->key());
    event->accept();
}

bool HistorySearchView::handleKey(int key) {
    if (m_mode == Mode::Phrases) {
        switch (key) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                choosePhrase(m_phrases->highlighted());
                return true;
            case Qt::Key_Down:
            case Qt::Key_Up:
                m_phrases->moveHighlight(key == Qt::Key_Down ? 1 : -1);
                return true;
            case Qt::Key_Delete:
                return false;
            default:
                break;
        }
    }
    switch (key) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            if (!m_phrases) return false;
            setMode(m_mode == Mode::Clips ? Mode::Phrases : Mode::Clips);
            focusSearchField();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            chooseSelected();
            return true;
        case Qt::Key_Escape:
            window()->hide();
            return true;
        case Qt::Key_Down:
            m_viewModel.moveSelection(1);
            return true;
        case Qt::Key_Up:
            m_viewModel.moveSelection(-1);
            return true;
        case Qt::Key_Delete:
            // Delete edits the search text while there is text after the cursor to delete.
            if (m_searchField->hasSelectedText() ||
                m_searchField->cursorPosition() < m_searchField->text().size())
                return false;
            confirmForget(selectedClip());
            return true;

        default:
            return false;
    }
}

std::shared_ptr<ClipItem> HistorySearchView::selectedClip() const {
    const ClipList& items = m_viewModel.items();
    const qint64 index = m_viewModel.selectedIndex();
    if (index < 0 || index >= items.size()) return nullptr;
    return items.at(index);
}

void HistorySearchView::chooseSelected() {
    if (std::shared_ptr<ClipItem> clip = selectedClip()) emit select(clip);
}

void HistorySearchView::showRowMenu(int row, const QPoint& globalPos) {
    const std::shared_ptr<ClipItem> clip = m_model->clipAt(row);
    if (!clip) return;
    m_viewModel.moveSelection(row - m_viewModel.selectedIndex());
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("clipMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    //% "Forget…"
    QAction* forget = menu->addAction(qtTrId("FORGET_CLIP_ACTION"));
    forget->setObjectName(QStringLiteral("forgetClip"));
    // Queued: the question opens once the menu is gone.
    connect(
        forget, &QAction::triggered, this, [this, clip] { confirmForget(clip); },
        Qt::QueuedConnection);
    menu->popup(globalPos);
}

void HistorySearchView::confirmForget(const std::shared_ptr<ClipItem>& clip) {
    if (!clip) return;
    auto* box = new QMessageBox(window());
    box->setObjectName(QStringLiteral("forgetConfirmation"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->setIcon(QMessageBox::Warning);
    //% "Forget Clip"
    box->setWindowTitle(qtTrId("FORGET_CLIP_TITLE"));
    //% "Forget this clip? It is removed from the history for good."
    box->setText(qtTrId("FORGET_CLIP_QUESTION"));
    //% "Forget"
    QPushButton* forget = box->addButton(qtTrId("FORGET_CLIP_CONFIRM"), QMessageBox::AcceptRole);
    forget->setObjectName(QStringLiteral("forgetButton"));
    QPushButton* cancel = box->addButton(QMessageBox::Cancel);
    box->setDefaultButton(forget);
    box->setEscapeButton(cancel);
    connect(box, &QMessageBox::buttonClicked, this, [this, clip, forget](QAbstractButton* button) {
        if (button == forget) m_viewModel.forgetItem(clip);
        focusSearchField();
    });
    box->open();
}

Qt::CaseSensitivity HistorySearchView::caseSensitivity() const {
    return m_viewModel.matchCase() ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

void HistorySearchView::showListOrEmptyState() {
    if (m_mode == Mode::Phrases) {
        const bool none = m_phrases->rowCount() == 0;
        m_emptyLabel->setText(m_phrases->searchText().isEmpty() ? qtTrId("NO_PHRASES_MESSAGE")
                                                                : qtTrId("NO_MATCHES_MESSAGE"));
        m_stack->setCurrentWidget(none ? static_cast<QWidget*>(m_emptyLabel) : m_phraseList);
        return;
    }
    // A search still under way may yet find something: its list stays up, empty, until then.
    const bool empty = m_viewModel.items().isEmpty() && !m_viewModel.isScanning();
    if (empty) {
        // A search that hides every clip is not an empty history.
        m_emptyLabel->setText(m_viewModel.searchText().isEmpty()
                                  //% "No history"
                                  ? qtTrId("NO_HISTORY_MESSAGE")
                                  //% "No matches"
                                  : qtTrId("NO_MATCHES_MESSAGE"));
    }
    m_stack->setCurrentWidget(empty ? static_cast<QWidget*>(m_emptyLabel) : m_list);
}

void HistorySearchView::itemsChanged() {
    showListOrEmptyState();
    if (!m_viewModel.items().isEmpty()) m_list->scrollToTop();
    m_delegate->forgetPaintedTimes();  // rows now hold other clips
    // A hidden list lays out its rows only when shown, and that is a walk over every row (a
    // million of them in a long history): it is done ahead. The list that replaces the search
    // as the panel hides is laid out at once; copies meanwhile once they pause.
    if (!isVisible()) {
        m_hiddenLayout.start(m_justHidden ? 0 : hiddenLayoutDelayMs);
        m_justHidden = false;
    }
}

int HistorySearchView::refreshTimes() {
    // An idle panel repaints nothing: a row is painted again only when its time text changed
    // ("just now" becoming "5 seconds ago"), which for older clips is rare.
    int repainted = 0;
    const QRect area = m_list->viewport()->rect();
    for (QModelIndex index = m_list->indexAt(area.topLeft());
         index.isValid() && m_list->visualRect(index).top() <= area.bottom();
         index = index.siblingAtRow(index.row() + 1)) {
        if (m_delegate->timeText(index) == m_delegate->paintedTime(index.row())) continue;
        m_list->update(index);
        ++repainted;
    }
    return repainted;
}

void HistorySearchView::scrollToSelection() {
    const qint64 row = m_viewModel.selectedIndex();
    if (row < 0 || row >= m_model->rowCount()) return;
    m_list->scrollTo(m_model->index(int(row)), QAbstractItemView::PositionAtCenter);
}

void HistorySearchView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_focusedOnce) {
        m_focusedOnce = true;
        focusSearchField();
    }
    // The times may have aged while hidden.
    m_list->viewport()->update();
    m_timeRefresh.start();
}

void HistorySearchView::hideEvent(QHideEvent* event) {
    m_timeRefresh.stop();
    m_justHidden = true;
    QWidget::hideEvent(event);
}

}  // namespace quillet
