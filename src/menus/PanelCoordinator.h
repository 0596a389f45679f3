#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

class QSizeGrip;
class QWidget;

namespace quillet {

class AppFocusService;
class ClipItem;
class Clock;
class FileChooser;
class HistorySearchView;
class HistoryViewModel;
class PasteActionService;
class StorageContext;

// Owns the windows that are not menus. The history search panel is made on first use and
// kept for the rest of the run; every show clears its search, reloads the history and
// brings it to the front on the screen under the pointer. Choosing a clip in it hides the
// panel and pastes the clip into the application that was in front before. The phrase
// management window is made on request and forgotten when it closes, so the next request
// builds a fresh one.
class PanelCoordinator : public QObject {
    Q_OBJECT
public:
    PanelCoordinator(HistoryViewModel& viewModel, AppFocusService& appFocusService,
                     PasteActionService& pasteActionService, Clock& clock,
                     StorageContext& phraseContext, FileChooser& fileChooser,
                     QObject* parent = nullptr);
    ~PanelCoordinator() override;

    void showHistoryPanel();
    void handleSelection(const std::shared_ptr<ClipItem>& clip);
    void showManagementWindow();

    // The panel window, or null before the first show.
    QWidget* searchPanel() const { return m_searchPanel.get(); }
    HistorySearchView* searchView() const { return m_searchView; }
    // The phrase management window while it is open.
    QWidget* managementWindow() const { return m_managementWindow; }

    static constexpr int panelWidth = 400;
    static constexpr int panelHeight = 500;
    static constexpr int managementWidth = 800;
    static constexpr int managementHeight = 500;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createSearchPanel();
    void centreOnPointerScreen();
    void applicationStateChanged(Qt::ApplicationState state);

    HistoryViewModel& m_viewModel;
    AppFocusService& m_appFocusService;
    PasteActionService& m_pasteActionService;
    Clock& m_clock;
    StorageContext& m_phraseContext;
    FileChooser& m_fileChooser;
    // The settings model and the settings window join these.
    std::unique_ptr<QWidget> m_searchPanel;
    HistorySearchView* m_searchView = nullptr;  // owned by the panel
    QSizeGrip* m_sizeGrip = nullptr;            // owned by the panel
    // Whether the panel has been the active window since it was last shown: deactivation
    // that happens before (the menu we were opened from closing) must not hide it.
    bool m_panelActivated = false;
    QPointer<QWidget> m_managementWindow;  // deletes itself once closed
};

}  // namespace quillet
