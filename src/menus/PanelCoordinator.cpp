#include "menus/PanelCoordinator.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QSizeGrip>
#include <QVBoxLayout>
#include <QWidget>

#include "history/HistoryViewModel.h"
#include "menus/HistorySearchView.h"
#include "menus/PhraseSearchModel.h"
#include "paste/PasteSequence.h"
#include "phrases/PhraseManagementView.h"
#include "settings/SettingsView.h"
#include "settings/SettingsViewModel.h"
#include "store/ClipItem.h"
#include "store/StorageContext.h"

namespace quillet {

PanelCoordinator::PanelCoordinator(HistoryViewModel& viewModel,
                                   SettingsViewModel& settingsViewModel,
                                   AppFocusService& appFocusService,
                                   PasteActionService& pasteActionService, Clock& clock,
                                   StorageContext& phraseContext, FileChooser& fileChooser,
                                   QObject* parent)
    : QObject(parent),
      m_viewModel(viewModel),
      m_settingsViewModel(settingsViewModel),
      m_appFocusService(appFocusService),
      m_pasteActionService(pasteActionService),
      m_clock(clock),
      m_phraseContext(phraseContext),
      m_fileChooser(fileChooser) {
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            &PanelCoordinator::applicationStateChanged);
    // The panel's Match case toggle is the user's setting: kept between runs.
    m_viewModel.setMatchCase(m_settingsViewModel.searchMatchesCase());
    connect(&m_viewModel, &HistoryViewModel::matchCaseChanged, this,
            [this] { m_settingsViewModel.setSearchMatchesCase(m_viewModel.matchCase()); });
    connect(&m_settingsViewModel, &SettingsViewModel::searchMatchesCaseChanged, this,
            [this] { m_viewModel.setMatchCase(m_settingsViewModel.searchMatchesCase()); });
}

PanelCoordinator::~PanelCoordinator() {
    delete m_settingsWindow;
    delete m_managementWindow;
}

void PanelCoordinator::showHistoryPanel() {
    showSearchPanel(false);
}

void PanelCoordinator::showPhrasePanel() {
    showSearchPanel(true);
}

void PanelCoordinator::showSearchPanel(bool phrases) {
    // Before anything of ours comes to the front.
    m_appFocusService.captureFrontmostApp();
    if (!m_searchPanel) createSearchPanel();

    // The first screen comes from rows already loaded: a search left over is cleared before
    // the panel shows rather than after. The history is read again all the same, afterwards.
    m_viewModel.ensureLoaded();
    if (!m_viewModel.searchText().isEmpty()) {
        m_viewModel.setSearchText(QString());
        m_viewModel.loadItems();
    }
    m_viewModel.scheduleLoad();
    // Phrases are listed from what was read ahead, unless the library changed since.
    m_searchView->clearSearch();
    m_searchView->setMode(phrases ? HistorySearchView::Mode::Phrases
                                  : HistorySearchView::Mode::Clips);

    centreOnPointerScreen();
    m_panelActivated = false;
    m_searchPanel->show();
    m_searchPanel->raise();
    m_searchPanel->activateWindow();
    m_searchView->focusSearchField();
}

void PanelCoordinator::prepareSearchPanel() {
    if (m_searchPanel) return;
    createSearchPanel();
    m_searchPanel->ensurePolished();
    m_searchPanel->layout()->activate();
    m_searchPanel->winId();
    // The phrases are read ahead too, for a first show over them.
    m_phraseSearch->showAll();
    // Rendering once loads what the first paint needs (glyphs, style pixmaps, the delegate's
    // layout of the first rows); the picture itself is dropped.
    m_searchPanel->grab();
}

void PanelCoordinator::handleSelection(const std::shared_ptr<ClipItem>& clip) {
    if (!clip) return;
    m_viewModel.selectItem(clip);
    if (m_searchPanel) m_searchPanel->hide();
    finishPaste(m_appFocusService, m_pasteActionService, this);
}

void PanelCoordinator::handlePhraseSelection(const QUuid& phrase) {
    if (m_searchPanel) m_searchPanel->hide();
    if (m_pastePhrase) m_pastePhrase(phrase);
}

void PanelCoordinator::showSettingsWindow() {
    if (!m_settingsWindow) {
        m_settingsWindow = new SettingsView(m_settingsViewModel);
        m_settingsWindow->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint |
                                         Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
        m_settingsWindow->setObjectName(QStringLiteral("settingsWindow"));
        //% "設定"
        m_settingsWindow->setWindowTitle(qtTrId("SETTINGS_TITLE"));
        m_settingsWindow->installEventFilter(this);
        placeOnPointerScreen(m_settingsWindow);
    }
    m_settingsWindow->show();
    m_settingsWindow->raise();
    m_settingsWindow->activateWindow();
}

void PanelCoordinator::showManagementWindow(const QUuid& category) {
    if (!m_managementWindow) {
        auto* window = new PhraseManagementView(m_phraseContext, m_fileChooser);
        window->setAttribute(Qt::WA_DeleteOnClose);
        //% "定型文の管理"
        window->setWindowTitle(qtTrId("MANAGE_PHRASES_TITLE"));
        window->resize(managementWidth, managementHeight);
        placeOnPointerScreen(window);
        window->installEventFilter(this);
        m_managementWindow = window;
    }
    if (auto* view = qobject_cast<PhraseManagementView*>(m_managementWindow.data());
        view && !category.isNull())
        view->selectCategory(category);
    m_managementWindow->show();
    m_managementWindow->raise();
    m_managementWindow->activateWindow();
}

void PanelCoordinator::createSearchPanel() {
    m_searchPanel = std::make_unique<QWidget>(
        nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint);
    m_searchPanel->setWindowTitle(QStringLiteral("Quillet"));
    m_searchPanel->setObjectName(QStringLiteral("historySearchPanel"));

    m_phraseSearch = new PhraseSearchModel(m_phraseContext, m_searchPanel.get());
    m_searchView = new HistorySearchView(m_viewModel, m_clock, m_phraseSearch);
    auto* layout = new QVBoxLayout(m_searchPanel.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_searchView);
    // A signal connection dies with its receiver, so a panel outliving us chooses nothing.
    connect(m_searchView, &HistorySearchView::select, this, &PanelCoordinator::handleSelection);
    connect(m_searchView, &HistorySearchView::selectPhrase, this,
            &PanelCoordinator::handlePhraseSelection);

    // Without a frame the corner grip is the way to resize. It sits in the bottom-right
    // corner, where a spacer below the list's scroll bar leaves room for it.
    m_sizeGrip = new QSizeGrip(m_searchPanel.get());
    auto* gripRoom = new QWidget;
    gripRoom->setFixedHeight(m_sizeGrip->sizeHint().height());
    m_searchView->listView()->addScrollBarWidget(gripRoom, Qt::AlignBottom);

    m_searchPanel->resize(panelWidth, panelHeight);
    m_searchPanel->installEventFilter(this);
}

void PanelCoordinator::centreOnPointerScreen() {
    const std::optional<QRect> area = pointerScreenArea();
    if (!area) return;
    // The list's minimum size yields to a screen smaller than it (a large scale factor). A
    // panel made ahead of time already took the full minimum from its layout: the layout
    // passes the smaller one on now, before the panel is fitted, or the old one blocks it.
    m_searchView->setMinimumSize(HistorySearchView::preferredMinimumSize.boundedTo(area->size()));
    m_searchPanel->layout()->activate();
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        // A Wayland window cannot place itself; tiling compositors float (and centre) one
        // whose size is fixed, instead of tiling a panel across half the screen.
        m_searchPanel->setMinimumSize(0, 0);
        m_searchPanel->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        placeInside(m_searchPanel.get(), *area);
        m_searchPanel->setFixedSize(m_searchPanel->size());
        m_sizeGrip->hide();
        return;
    }
    placeInside(m_searchPanel.get(), *area);
}

void PanelCoordinator::placeOnPointerScreen(QWidget* window) {
    if (const std::optional<QRect> area = pointerScreenArea()) placeInside(window, *area);
}

std::optional<QRect> PanelCoordinator::pointerScreenArea() {
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return std::nullopt;
    return screen->availableGeometry();
}

void PanelCoordinator::placeInside(QWidget* window, const QRect& area) {
    // A window that does not fit (a small screen, a large scale factor) is made smaller
    // rather than left with its controls out of reach.
    const QRect frame = window->frameGeometry();
    const QRect fitted = fitInside(frame, area);
    if (fitted.size() != frame.size())
        window->resize(window->size() - (frame.size() - fitted.size()));
    window->move(fitted.topLeft());
}

QRect PanelCoordinator::fitInside(QRect frame, const QRect& available) {
    frame.setSize(frame.size().boundedTo(available.size()));
    frame.moveCenter(available.center());
    // Odd sizes can leave the centred frame a pixel outside; the top-left corner wins.
    if (frame.right() > available.right()) frame.moveRight(available.right());
    if (frame.bottom() > available.bottom()) frame.moveBottom(available.bottom());
    if (frame.left() < available.left()) frame.moveLeft(available.left());
    if (frame.top() < available.top()) frame.moveTop(available.top());
    return frame;
}

bool PanelCoordinator::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_settingsWindow && event->type() == QEvent::Close) {
        // Forgotten now, deleted once its close is handled.
        m_settingsWindow->deleteLater();
        m_settingsWindow = nullptr;
        return false;
    }
    // Forgotten as soon as it closes (it deletes itself later): the next show builds anew.
    if (watched == m_managementWindow && event->type() == QEvent::Close) {
        m_managementWindow->removeEventFilter(this);
        m_managementWindow = nullptr;
        return false;
    }
    if (watched == m_searchPanel.get()) {
        switch (event->type()) {
            case QEvent::Resize:
            case QEvent::Show: {
                const QSize grip = m_sizeGrip->sizeHint();
                m_sizeGrip->setGeometry(QRect(QPoint(m_searchPanel->width() - grip.width(),
                                                     m_searchPanel->height() - grip.height()),
                                              grip));
                m_sizeGrip->raise();
                break;
            }
            case QEvent::WindowActivate:
                m_panelActivated = true;
                break;
            case QEvent::Hide:
                // The search is cleared as the panel goes, so the next show finds the whole
                // history already loaded; the reload runs when the loop is idle.
                QMetaObject::invokeMethod(
                    this,
                    [this] {
                        if (m_searchPanel && !m_searchPanel->isVisible()) {
                            m_viewModel.setSearchText(QString());
                            m_phraseSearch->showAll();
                        }
                    },
                    Qt::QueuedConnection);
                break;
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void PanelCoordinator::applicationStateChanged(Qt::ApplicationState state) {
    if (state == Qt::ApplicationActive || !m_searchPanel || !m_panelActivated) return;
    // Another application took over: get out of its way, as a popup would.
    m_searchPanel->hide();
}

}  // namespace quillet
