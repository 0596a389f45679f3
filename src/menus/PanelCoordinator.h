#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QUuid>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QSizeGrip;

namespace quillet {

class AppFocusService;
class ClipItem;
class Clock;
class FileChooser;
class HistorySearchView;
class HistoryViewModel;
class PhraseSearchModel;
class PasteActionService;
class SettingsView;
class SettingsViewModel;
class StorageContext;

// Owns the windows that are not menus. The history search panel is made on first use and
// kept for the rest of the run; every show clears its search, reloads the history and
// brings it to the front on the screen under the pointer. Choosing a clip in it hides the
// panel and pastes the clip into the application that was in front before. The settings
// window and the phrase management window are made on request, brought to the front while
// open, and forgotten when they close, so the next request builds a fresh one.
class PanelCoordinator : public QObject {
    Q_OBJECT
public:
    PanelCoordinator(HistoryViewModel& viewModel, SettingsViewModel& settingsViewModel,
                     AppFocusService& appFocusService, PasteActionService& pasteActionService,
                     Clock& clock, StorageContext& phraseContext, FileChooser& fileChooser,
                     QObject* parent = nullptr);
    ~PanelCoordinator() override;

    void showHistoryPanel();
    // The same panel searching the phrases; a chosen phrase goes to `setPhrasePaste`'s call.
    void showPhrasePanel();
    void setPhrasePaste(std::function<void(const QUuid& phrase)> paste) {
        m_pastePhrase = std::move(paste);
    }
    // Makes the search panel ahead of time (window, layout, a first rendering), so that
    // showing it is mapping and painting only.
    void prepareSearchPanel();
    void handleSelection(const std::shared_ptr<ClipItem>& clip);
    void showSettingsWindow();
    // With a category, the window shows that one.
    void showManagementWindow(const QUuid& category = {});

    // The panel window, or null before the first show.
    QWidget* searchPanel() const { return m_searchPanel.get(); }
    HistorySearchView* searchView() const { return m_searchView; }
    // The settings window while it is open.
    SettingsView* settingsWindow() const { return m_settingsWindow; }
    // The phrase management window while it is open.
    QWidget* managementWindow() const { return m_managementWindow; }

    // `frame` centred on `available`, shrunk where it is larger and kept inside it, whatever
    // the scale factor and wherever the screen's origin lies.
    static QRect fitInside(QRect frame, const QRect& available);

    static constexpr int panelWidth = 400;
    static constexpr int panelHeight = 500;
    static constexpr int managementWidth = 800;
    static constexpr int managementHeight = 500;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createSearchPanel();
    void showSearchPanel(bool phrases);
    void handlePhraseSelection(const QUuid& phrase);
    void centreOnPointerScreen();
    void placeOnPointerScreen(QWidget* window);
    void placeInside(QWidget* window, const QRect& area);
    // The available area of the screen under the pointer, else of the primary screen.
    static std::optional<QRect> pointerScreenArea();
    void applicationStateChanged(Qt::ApplicationState state);

    HistoryViewModel& m_viewModel;
    SettingsViewModel& m_settingsViewModel;
    AppFocusService& m_appFocusService;
    PasteActionService& m_pasteActionService;
    Clock& m_clock;
    StorageContext& m_phraseContext;
    FileChooser& m_fileChooser;
    std::unique_ptr<QWidget> m_searchPanel;
    HistorySearchView* m_searchView = nullptr;  // owned by the panel
    PhraseSearchModel* m_phraseSearch = nullptr;  // owned by the panel
    std::function<void(const QUuid& phrase)> m_pastePhrase;
    QSizeGrip* m_sizeGrip = nullptr;            // owned by the panel
    // Whether the panel has been the active window since it was last shown: deactivation
    // that happens before (the menu we were opened from closing) must not hide it.
    bool m_panelActivated = false;
    SettingsView* m_settingsWindow = nullptr;  // owned until it closes, then deleted later
    QPointer<QWidget> m_managementWindow;      // deletes itself once closed
};

}  // namespace quillet
