#include "app/QuilletboxApp.h"

#include <QApplication>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdio>

#include "app/InstanceChannel.h"
#include "app/KeyringKeyStore.h"
#include "app/PhraseCommands.h"
#include "app/PlatformServices.h"
#include "app/RecordingControl.h"
#include "app/SyncCommands.h"
#include "app/TrayMenu.h"
#include "base/Logging.h"
#include "base/RecentWarnings.h"
#include "history/ClipboardMonitor.h"
#include "history/HistoryViewModel.h"
#include "history/RecordingPause.h"
#include "hotkeys/HotkeyConfig.h"
#include "hotkeys/HotkeyService.h"
#include "hotkeys/MenuHotkeys.h"
#include "menus/PanelCoordinator.h"
#include "menus/PhrasePaster.h"
#include "menus/QuickMenuService.h"
#include "menus/QuickPhraseMenuService.h"
#include "menus/ScreenFit.h"
#include "paste/AppFocusService.h"
#include "paste/PasteActionService.h"
#include "phrases/FileChooser.h"
#include "settings/OneTimeNotice.h"
#include "settings/SettingsViewModel.h"
#include "settings/UpdateCheckService.h"
#include "store/HeldChanges.h"
#include "store/StorageService.h"
#include "store/StoreCheck.h"
#include "sync/FolderTransport.h"
#include "sync/SyncService.h"

namespace quillet {

QuilletboxApp::QuilletboxApp(std::unique_ptr<StorageService> storage, PlatformServices& platform,
                             InstanceChannel& channel, QSettings& settings, QObject* parent)
    : QObject(parent), m_log(stdout), m_platform(platform), m_storageService(std::move(storage)) {
    // 1. The store is open (opening it is the one fatal step, done by the caller).
    // Changes an earlier run could not save come back before anything reads the history.
    restoreHeldChanges();
    // 2. The monitor notes the clipboard's change count; it does not poll yet. A pause kept
    // from the last run holds before anything reads the clipboard.
    m_recordingPause = std::make_unique<RecordingPause>(settings, *platform.clock);
    m_clipboardMonitor =
        std::make_unique<ClipboardMonitor>(*platform.pasteboard, *m_recordingPause);
    // 3. The history list becomes the monitor's delegate and queues its first load.
    m_viewModel =
        std::make_unique<HistoryViewModel>(*m_storageService, *m_clipboardMonitor, *platform.clock);
    // Reading a long history's order takes a while (about 0.4 s at a million clips): the tray
    // icon and the first requests come first, and a menu asked for before reads it then.
    m_viewModel->deferFirstLoad(firstLoadDelayMs);
    // 4-9. Settings, hot keys, focus and paste, panels, the two pop-up menus.
    m_updateCheckService =
        std::make_unique<UpdateCheckService>(UpdateCheckService::defaultAppcastURL());
    m_settingsViewModel =
        std::make_unique<SettingsViewModel>(settings, *platform.loginItem, *m_updateCheckService,
                                            AppVersion{}, platform.desktopShortcuts.get());
    // Copies from the applications on the privacy list are never recorded.
    IgnoredApplications& ignored = m_settingsViewModel->ignoredApplications();
    ignored.setAttribution(platform.pasteboard->attribution());
    m_clipboardMonitor->setIgnoredApplications(ignored.names());
    connect(&ignored, &IgnoredApplications::namesChanged, this,
            [this, &ignored] { m_clipboardMonitor->setIgnoredApplications(ignored.names()); });
    m_hotkeyService = std::make_unique<HotkeyService>(*platform.hotkeys);
    m_appFocusService = std::make_unique<AppFocusService>(*platform.workspace, *platform.clock);
    m_pasteActionService = std::make_unique<PasteActionService>(
        *platform.keyboard, *platform.pasteboard, *platform.clock, m_log);
    m_pasteActionService->setChords(
        PasteChords::fromSettings(settings, platform.terminalPasteChord));
    m_fileChooser = std::make_unique<DialogFileChooser>();
    // Every window of ours, the file dialogs too, opens within its screen.
    m_screenFit = std::make_unique<ScreenFit>();
    m_screenFit->watch(qApp);
    m_panelCoordinator = std::make_unique<PanelCoordinator>(
        *m_viewModel, *m_settingsViewModel, *m_appFocusService, *m_pasteActionService,
        *platform.clock, m_storageService->context(), *m_fileChooser);
    m_quickMenuService = std::make_unique<QuickMenuService>(
        *m_viewModel, *m_pasteActionService, *m_appFocusService, *m_panelCoordinator);
    m_phrasePaster =
        std::make_unique<PhrasePaster>(*m_storageService, *m_pasteActionService, *m_appFocusService,
                                       *m_clipboardMonitor, *platform.clock);
    m_quickPhraseMenuService = std::make_unique<QuickPhraseMenuService>(
        *m_storageService, *m_appFocusService, *m_phrasePaster,
        [this](const QUuid& category) { m_panelCoordinator->showManagementWindow(category); });

    // The search panel pastes a phrase the way the phrase menu does.
    m_panelCoordinator->setPhrasePaste(
        [this](const QUuid& phrase) { m_quickPhraseMenuService->pastePhrase(phrase); });
    m_phraseCommands = std::make_unique<PhraseCommands>(m_storageService->context());

    m_tray = std::make_unique<TrayMenu>(TrayMenu::Actions{
        .showQuickMenu = [this] { m_quickMenuService->showMenu(); },
        .showPhraseMenu = [this] { m_quickPhraseMenuService->showMenu(); },
        .showManagementWindow = [this] { m_panelCoordinator->showManagementWindow(); },
        .showSettings = [this] { m_panelCoordinator->showSettingsWindow(); },
        .pauseRecording =
            [this](std::optional<int> minutes) {
                if (minutes)
                    m_recordingPause->pauseFor(*minutes);
                else
                    m_recordingPause->pauseUntilResumed();
            },
        .resumeRecording = [this] { m_recordingPause->resume(); },
        .quit = [this] { quit(); },
    });
    m_recordingControl =
        std::make_unique<RecordingControl>(*m_recordingPause, *m_tray, *platform.clock);
    m_pasteActionService->setManualPasteNotice([this] {
        //% "Copied — paste with Ctrl+V"
        m_tray->inform(qtTrId("PASTE_MANUALLY_NOTICE"));
    });
    m_pasteActionService->setWriteFailedNotice([this] {
        //% "Could not put the text on the clipboard"
        m_tray->notify(qtTrId("CLIPBOARD_WRITE_FAILED_TITLE"),
                       //% "The desktop did not take the chosen text, so nothing was pasted "
                       //% "and the clipboard still holds what it held before. Try again, or "
                       //% "copy the text from the search panel."
                       qtTrId("CLIPBOARD_WRITE_FAILED_MESSAGE"));
    });
    m_phrasePaster->setTooLargeNotice([this] {
        //% "The phrase is too large"
        m_tray->notify(qtTrId("PHRASE_TOO_LARGE_TITLE"),
                       //% "Filled in, the phrase would be larger than 64 MiB, so nothing was "
                       //% "pasted. Check what it inserts: other phrases, the clipboard."
                       qtTrId("PHRASE_TOO_LARGE_MESSAGE"));
    });
    channel.setHandler([this](const QString& command) { return handleCommand(command); });
    setUpSync(settings, channel);
    watchStoreHealth();
    tellHowToReachWithoutTray(settings);
    // What the session lacks for the clipboard is said once, when the tray can show it.
    if (!m_platform.notice.isEmpty()) {
        QMetaObject::invokeMethod(
            this, [this] { m_tray->notify(m_platform.noticeTitle, m_platform.notice); },
            Qt::QueuedConnection);
    }

    // The hot keys' actions only queue their menu, so it opens after the key event is handled.
    m_menuHotkeys = std::make_unique<MenuHotkeys>(
        *m_hotkeyService,
        [this] {
            QMetaObject::invokeMethod(
                this, [this] { m_quickMenuService->showMenu(); }, Qt::QueuedConnection);
        },
        [this] {
            QMetaObject::invokeMethod(
                this, [this] { m_quickPhraseMenuService->showMenu(); }, Qt::QueuedConnection);
        });

    // The settings window tells of keys the system has not bound, or not yet.
    m_hotkeyService->setStateListener([this](quint32) {
        m_settingsViewModel->setHotkeyStates(m_hotkeyService->state(MenuHotkeys::historyId),
                                             m_hotkeyService->state(MenuHotkeys::phraseId));
    });

    // 10. The text on the clipboard now counts as seen and polling begins.
    m_clipboardMonitor->startMonitoring();
    // 11. The stored hot keys; one the system refuses stays inactive (the settings say so).
    m_menuHotkeys->registerPair(m_settingsViewModel->historyHotkey(),
                                m_settingsViewModel->phraseHotkey());
    // 12. The settings re-register through here, rolling back to the old pair on failure.
    m_settingsViewModel->setRequestRegistration(
        [this](const HotkeyConfig& history, const HotkeyConfig& phrase) {
            return m_menuHotkeys->replacePair(m_settingsViewModel->historyHotkey(),
                                              m_settingsViewModel->phraseHotkey(), history, phrase);
        });
    // While the settings record a key, our own keys are recorded rather than obeyed.
    m_settingsViewModel->setRequestSuspension([this](bool suspended) {
        if (!suspended) {
            m_hotkeyService->resume();
            return;
        }
        m_hotkeyService->suspend(
            [this](const HotkeyConfig& chord) { m_settingsViewModel->ownHotkeyPressed(chord); });
    });
    // The pop-ups are made once start-up has settled, so that a request later only maps
    // and paints them.
    QTimer::singleShot(prepareDelayMs, this, [this] {
        m_quickMenuService->prepare();
        m_panelCoordinator->prepareSearchPanel();
    });
    // 13. The update check, once, a moment after start-up; a newer version not announced
    // before opens the settings window, whose sheet shows it.
    // A build without a feed of its own (no site configured, or a distribution's package)
    // has nothing to ask: its updates come from elsewhere.
    if (!m_settingsViewModel->canCheckForUpdates()) {
        qCDebug(lcUpdate) << "no update feed in this build; no check at start";
    } else {
        platform.clock->after(startupUpdateCheckDelayMs, [this] {
            m_settingsViewModel->checkForUpdatesAutomatically([this](bool show) {
                if (show) m_panelCoordinator->showSettingsWindow();
            });
        });
    }
}

QuilletboxApp::~QuilletboxApp() = default;

std::optional<InstanceChannel::Reply> QuilletboxApp::handleCommand(const QString& command) {
    if (command == QLatin1String("history-menu")) {
        m_quickMenuService->showMenu();
    } else if (command == QLatin1String("phrase-menu")) {
        m_quickPhraseMenuService->showMenu();
    } else if (command == QLatin1String("search")) {
        m_panelCoordinator->showHistoryPanel();
    } else if (command == QLatin1String("search-phrases")) {
        m_panelCoordinator->showPhrasePanel();
    } else if (std::optional<InstanceChannel::Reply> phrases = m_phraseCommands->handle(command)) {
        return phrases;
    } else if (command == QLatin1String("manage-phrases")) {
        m_panelCoordinator->showManagementWindow();
    } else if (command == QLatin1String("settings")) {
        m_panelCoordinator->showSettingsWindow();
    } else if (command == QLatin1String("quit")) {
        // Answered once the changes are safe, or known to be lost: the client says which.
        return quit();
    } else if (command == QLatin1String("status")) {
        // Answered once start-up is complete: the event loop runs only after it.
        return statusText();
    } else if (command == QLatin1String("ping")) {
    } else if (const std::optional<QString> recording = m_recordingControl->handle(command)) {
        return *recording;
    } else {
        return std::nullopt;
    }
    return QString();
}

QString QuilletboxApp::statusText() const {
    QStringList lines;
    // The first line is ours too, so it is in the user's language whoever prints it.
    //% "Quillet is running."
    lines << qtTrId("STATUS_RUNNING");
    //% "Desktop: %1"
    lines << qtTrId("STATUS_BACKEND").arg(m_platform.backend);
    //% "Clipboard: %1"
    lines << qtTrId("STATUS_CLIPBOARD").arg(m_platform.clipboardMethod);
    lines << m_recordingControl->statusLine();
    //% "Paste: %1"
    lines << qtTrId("STATUS_PASTE")
                 .arg(m_platform.pasteStatus ? m_platform.pasteStatus() : m_platform.pasteMethod);
    lines << ignoredApplicationsLine();
    if (m_sync) lines << m_sync->statusLine();
    if (m_heldChanges->isFailing()) {
        const QString since = m_heldChanges->failingSince().toString(QStringLiteral("HH:mm"));
        const QString count = QString::number(m_heldChanges->pendingCount());
        if (m_heldChanges->copyError().isEmpty()) {
            //% "Saving: failing since %1 (%2); %3 changes kept in memory and in %4"
            lines << qtTrId("STATUS_SAVE_FAILING")
                         .arg(since, m_heldChanges->saveError(), count, m_heldChanges->path());
        } else {
            //% "Saving: failing since %1 (%2); %3 changes kept in memory only, no copy on "
            //% "disk (%4): they are lost if Quillet ends"
            lines << qtTrId("STATUS_SAVE_FAILING_NO_COPY")
                         .arg(since, m_heldChanges->saveError(), count, m_heldChanges->copyError());
        }
    }
    if (m_storageService->isMigrating()) {
        // A history from an earlier version is indexed in the background; searches scan
        // meanwhile, so they are slower but complete.
        const SearchIndexProgress progress = m_storageService->migrationProgress();
        if (progress.total == 0) {
            //% "Search index: bringing the history up to date; searches are slower until then"
            lines << qtTrId("STATUS_INDEX_MIGRATION_STARTING");
        } else {
            //% "Search index: bringing the history up to date, %1 of %2 clips (%3%); "
            //% "searches are slower until then"
            lines << qtTrId("STATUS_INDEX_MIGRATING")
                         .arg(progress.done)
                         .arg(progress.total)
                         .arg(progress.done * 100 / progress.total);
        }
    }
    auto keyLine = [&](const QString& label, quint32 id, const HotkeyConfig& key,
                       const char* request) {
        const QString command = QStringLiteral("quillet --") + QLatin1String(request);
        QString how;
        if (m_hotkeyService->isActive(id)) {
            how = m_platform.hotkeyMethod;
        } else if (m_settingsViewModel->desktopShortcuts().isOn()) {
            //% "GNOME's keyboard shortcuts run %1 on it"
            how = qtTrId("STATUS_KEY_DESKTOP").arg(command);
        } else if (m_hotkeyService->state(id) == HotkeyState::pending) {
            //% "waiting for the desktop to confirm it (%1); meanwhile %2 opens the menu"
            how = qtTrId("STATUS_KEY_PENDING").arg(m_platform.hotkeyMethod, command);
        } else {
            //% "not active; bind %1 to a key in the desktop's keyboard settings"
            how = qtTrId("STATUS_KEY_INACTIVE").arg(command);
        }
        return label.arg(key.displayString(), how);
    };
    //% "History menu key %1: %2"
    lines << keyLine(qtTrId("STATUS_HISTORY_KEY"), MenuHotkeys::historyId,
                     m_settingsViewModel->historyHotkey(), "history-menu");
    //% "Phrase menu key %1: %2"
    lines << keyLine(qtTrId("STATUS_PHRASE_KEY"), MenuHotkeys::phraseId,
                     m_settingsViewModel->phraseHotkey(), "phrase-menu");
    const QStringList warnings = RecentWarnings::lines();
    if (warnings.isEmpty()) {
        //% "Recent warnings: none"
        lines << qtTrId("STATUS_NO_RECENT_WARNINGS");
    } else {
        //% "Recent warnings:"
        lines << qtTrId("STATUS_RECENT_WARNINGS");
        for (const QString& warning : warnings) lines << QStringLiteral("  ") + warning;
    }
    return lines.join(u'\n');
}

QString QuilletboxApp::ignoredApplicationsLine() const {
    QString how;
    switch (m_platform.pasteboard->attribution()) {
        case CopyAttribution::ownerWindowClass:
            //% "by the clipboard owner's window class (X11)"
            how = qtTrId("STATUS_IGNORED_BY_CLASS");
            break;
        case CopyAttribution::activeAppId:
            //% "by the active window's app id"
            how = qtTrId("STATUS_IGNORED_BY_APP_ID");
            break;
        case CopyAttribution::none:
            //% "not available here (the desktop does not say which application copied)"
            how = qtTrId("STATUS_IGNORED_UNAVAILABLE");
            break;
    }
    //% "Ignored applications: %1, %2"
    return qtTrId("STATUS_IGNORED_APPS")
        .arg(m_settingsViewModel->ignoredApplications().names().size())
        .arg(how);
}

void QuilletboxApp::watchStoreHealth() {
    // A failed save keeps its clips for the next one (the disk may have room again later);
    // the user hears of it once per streak of failures, not once per copy.
    StorageContext& context = m_storageService->context();
    connect(&context, &StorageContext::saveFailed, this, [this](const QString& reason) {
        if (m_saveFailing) return;
        m_saveFailing = true;
        //% "Quillet cannot save"
        m_tray->notify(qtTrId("SAVE_FAILED_TITLE"),
                       //% "%1\nNew copies are kept and saved as soon as this is resolved."
                       qtTrId("SAVE_FAILED_MESSAGE").arg(reason));
    });
    connect(&context, &StorageContext::didSave, this, [this] { m_saveFailing = false; });

    // Damage is looked for once, after start-up has settled, on a thread of its own.
    m_storeCheck = std::make_unique<StoreCheck>(m_storageService->filePath());
    // A damaged index is rebuilt from the clips, which lose nothing: a log line says so.
    connect(m_storeCheck.get(), &StoreCheck::indexDamaged, this,
            [this](const QString& problem) { m_storageService->replaceSearchIndex(problem); });
    connect(m_storeCheck.get(), &StoreCheck::finished, this,
            [this](bool sound, const QString& problems) {
                if (sound) return;
                const QString file = m_storageService->filePath();
                qCWarning(lcStore) << file << "is damaged:" << problems;
                //% "%1: %2\nQuillet keeps working with it; keep a copy of the file "
                //% "before anything else."
                const QString message =
                    qtTrId("STORE_DAMAGED_MESSAGE").arg(file, problems.left(300));
                //% "The history file is damaged"
                m_tray->notify(qtTrId("STORE_DAMAGED_TITLE"), message);
            });
    QTimer::singleShot(5000, m_storeCheck.get(), &StoreCheck::start);
}

void QuilletboxApp::setUpSync(QSettings& settings, InstanceChannel& channel) {
    m_syncTransport = std::make_unique<FolderTransport>(FolderTransport::optionsFrom(settings));
    m_syncKeys = std::make_unique<KeyringKeyStore>();
    // Sync set up on an earlier run starts again here, once the key is read.
    m_sync = std::make_unique<SyncService>(*m_storageService, settings, *m_syncKeys,
                                           m_syncTransport.get(), *m_platform.clock);
    m_settingsViewModel->setSync(m_sync.get());
    m_syncCommands = std::make_unique<SyncCommands>(*m_sync);
    channel.setDeferredHandler(
        [this](const QString& command, const InstanceChannel::Respond& respond) {
            if (m_syncCommands->handle(command, respond)) return InstanceChannel::deferredTimeoutMs;
            return m_phraseCommands->handleLater(command, respond);
        });
}

void QuilletboxApp::tellHowToReachWithoutTray(QSettings& settings) {
    if (QSystemTrayIcon::isSystemTrayAvailable() || !m_platform.notifications) return;
    m_noTrayNotice = std::make_unique<OneTimeNotice>(settings, *m_platform.notifications);
    QMetaObject::invokeMethod(
        this,
        [this] {
            //% "Quillet runs without a tray icon"
            m_noTrayNotice->show(QStringLiteral("noTrayNoticeShown"),
                                 qtTrId("NO_TRAY_NOTICE_TITLE"),
                                 //% "Its history menu opens with %1 and its phrase menu with "
                                 //% "%2, where the desktop lets Quillet have these keys (the "
                                 //% "settings window tells). Starting Quillet again, from the "
                                 //% "application grid or with the quillet command, opens the "
                                 //% "history search."
                                 qtTrId("NO_TRAY_NOTICE_MESSAGE")
                                     .arg(m_settingsViewModel->historyHotkey().displayString(),
                                          m_settingsViewModel->phraseHotkey().displayString()));
        },
        Qt::QueuedConnection);
}

void QuilletboxApp::restoreHeldChanges() {
    m_heldChanges = std::make_unique<HeldChanges>(
        m_storageService->context(), HeldChanges::pathBeside(m_storageService->filePath()));
    const HeldChanges::Restored restored = m_heldChanges->restore();
    if (restored.setAsideAs.isEmpty() && restored.replay.problems.isEmpty()) return;
    // The tray exists once the constructor is done.
    const QString kept =
        restored.setAsideAs.isEmpty() ? m_heldChanges->path() : restored.setAsideAs;
    const int applied = restored.replay.applied;
    QMetaObject::invokeMethod(
        this,
        [this, kept, applied] {
            //% "Unsaved changes from the last run were damaged"
            m_tray->notify(qtTrId("HELD_CHANGES_DAMAGED_TITLE"),
                           //% "%1 of them were restored; the file is kept as %2."
                           qtTrId("HELD_CHANGES_DAMAGED_MESSAGE").arg(applied).arg(kept));
        },
        Qt::QueuedConnection);
}

InstanceChannel::Reply QuilletboxApp::secureChanges() {
    const HeldChanges::Outcome outcome = m_heldChanges->secure();
    const QString store = m_storageService->filePath();
    switch (outcome.safety) {
        case HeldChanges::Safety::Saved:
            return {};
        case HeldChanges::Safety::KeptInFile:
            //% "%1 changes could not be saved to %2 (%3). They are kept in %4 and restored "
            //% "at the next start."
            return {qtTrId("QUIT_CHANGES_KEPT")
                        .arg(QString::number(outcome.changes), store, outcome.saveError,
                             m_heldChanges->path())};
        case HeldChanges::Safety::Lost:
            break;
    }
    m_lostChanges = true;
    //% "%1 changes (%2 new clips among them) could not be saved to %3 (%4), nor kept in %5 "
    //% "(%6): they are lost."
    const QString lost =
        qtTrId("QUIT_CHANGES_LOST")
            .arg(QString::number(outcome.changes), QString::number(outcome.newClips), store,
                 outcome.saveError, m_heldChanges->path(), outcome.copyError);
    // Said here too: the tray's Quit has no client to tell.
    std::fprintf(stderr, "%s\n", qPrintable(lost));
    return {lost, true};
}

InstanceChannel::Reply QuilletboxApp::quit() {
    InstanceChannel::Reply reply = secureChanges();
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    return reply;
}

int QuilletboxApp::shutDown() {
    // Changes made after the quit request, or a quit from elsewhere (the session ending).
    secureChanges();
    // What sync holds is written to the folder before the process ends.
    if (m_sync) m_sync->shutDown();
    return m_lostChanges ? 1 : 0;
}

}  // namespace quillet
