#pragma once

#include <QObject>
#include <QSettings>
#include <QTextStream>
#include <memory>
#include <optional>

#include "app/InstanceChannel.h"

namespace quillet {

class AppFocusService;
class ClipboardMonitor;
class FileChooser;
class HeldChanges;
class HistoryViewModel;
class HotkeyService;
class MenuHotkeys;
class OneTimeNotice;
class PanelCoordinator;
class PhraseCommands;
class PasteActionService;
class QuickMenuService;
class PhrasePaster;
class QuickPhraseMenuService;
class RecordingControl;
class RecordingPause;
class ScreenFit;
class SettingsViewModel;
class StorageService;
class TrayMenu;
class StoreCheck;
class SyncCommands;
class SyncKeyStore;
class SyncService;
class SyncTransport;
class UpdateCheckService;
struct PlatformServices;

// The program: creates every long-lived service once, in a fixed order, and wires them.
// Nothing is torn down before the process ends.
class QuilletboxApp : public QObject {
    Q_OBJECT
public:
    QuilletboxApp(std::unique_ptr<StorageService> storage, PlatformServices& platform,
                  InstanceChannel& channel, QSettings& settings, QObject* parent = nullptr);
    ~QuilletboxApp() override;

    static constexpr int startupUpdateCheckDelayMs = 2000;
    // When the pop-ups are made ahead of their first request.
    static constexpr int prepareDelayMs = 1000;
    // When the history is first read, unless something needs it sooner.
    static constexpr int firstLoadDelayMs = 250;

    // After the event loop has ended, however it was asked to: saves or keeps what is still
    // pending and returns the process's exit code (1 when changes were lost).
    int shutDown();

private:
    std::optional<InstanceChannel::Reply> handleCommand(const QString& command);
    // Secures the pending changes and ends the event loop; the reply tells what could not be
    // saved.
    InstanceChannel::Reply quit();
    InstanceChannel::Reply secureChanges();
    void restoreHeldChanges();
    QString statusText() const;
    QString ignoredApplicationsLine() const;
    void watchStoreHealth();
    // Sync through a shared folder: its engine, carrier and key, the settings window's
    // section and the command socket's requests.
    void setUpSync(QSettings& settings, InstanceChannel& channel);
    // Without a tray icon the user is told once how to reach the program.
    void tellHowToReachWithoutTray(QSettings& settings);

    QTextStream m_log;
    const PlatformServices& m_platform;
    std::unique_ptr<StorageService> m_storageService;
    std::unique_ptr<HeldChanges> m_heldChanges;
    std::unique_ptr<RecordingPause> m_recordingPause;
    std::unique_ptr<ClipboardMonitor> m_clipboardMonitor;
    std::unique_ptr<HistoryViewModel> m_viewModel;
    std::unique_ptr<UpdateCheckService> m_updateCheckService;
    std::unique_ptr<SettingsViewModel> m_settingsViewModel;
    std::unique_ptr<HotkeyService> m_hotkeyService;
    std::unique_ptr<MenuHotkeys> m_menuHotkeys;
    std::unique_ptr<AppFocusService> m_appFocusService;
    std::unique_ptr<PasteActionService> m_pasteActionService;
    std::unique_ptr<FileChooser> m_fileChooser;
    std::unique_ptr<PanelCoordinator> m_panelCoordinator;
    std::unique_ptr<ScreenFit> m_screenFit;
    std::unique_ptr<QuickMenuService> m_quickMenuService;
    std::unique_ptr<PhrasePaster> m_phrasePaster;
    std::unique_ptr<QuickPhraseMenuService> m_quickPhraseMenuService;
    std::unique_ptr<PhraseCommands> m_phraseCommands;
    std::unique_ptr<TrayMenu> m_tray;
    std::unique_ptr<RecordingControl> m_recordingControl;
    std::unique_ptr<StoreCheck> m_storeCheck;
    std::unique_ptr<OneTimeNotice> m_noTrayNotice;
    std::unique_ptr<SyncTransport> m_syncTransport;
    std::unique_ptr<SyncKeyStore> m_syncKeys;
    std::unique_ptr<SyncService> m_sync;
    std::unique_ptr<SyncCommands> m_syncCommands;
    bool m_saveFailing = false;  // the user heard of this streak of failed saves
    bool m_lostChanges = false;  // quitting could not keep every change
};

}  // namespace quillet
