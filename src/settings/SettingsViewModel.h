#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

#include "hotkeys/HotkeyConfig.h"
#include "platform/SystemHotkeys.h"
#include "settings/DesktopShortcutsOption.h"
#include "settings/IgnoredApplications.h"
#include "settings/LaunchAtLoginService.h"
#include "settings/UpdateCheckService.h"

class QSettings;

namespace quillet {

class SyncControl;

class DesktopShortcuts;
class LoginItem;

// The running program's version as the build names it.
struct AppVersion {
    QString shortVersion = QStringLiteral(QUILLET_VERSION);
    QString build = QStringLiteral(QUILLET_BUILD_NUMBER);
};

// Owner of the user's settings and of the update-check state: the two global hot keys
// (validated and registered before they are accepted, persisted as JSON bytes), the login
// item's state as the system reports it, and the manual and automatic update checks whose
// results the settings window shows.
class SettingsViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(HotkeyConfig historyHotkey READ historyHotkey NOTIFY historyHotkeyChanged)
    Q_PROPERTY(HotkeyConfig phraseHotkey READ phraseHotkey NOTIFY phraseHotkeyChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorMessageChanged)
    Q_PROPERTY(QString historyHotkeyNotice READ historyHotkeyNotice NOTIFY hotkeyNoticesChanged)
    Q_PROPERTY(QString phraseHotkeyNotice READ phraseHotkeyNotice NOTIFY hotkeyNoticesChanged)
    Q_PROPERTY(bool isAutoLaunchEnabled READ isAutoLaunchEnabled NOTIFY isAutoLaunchEnabledChanged)
    Q_PROPERTY(QString autoLaunchError READ autoLaunchError NOTIFY autoLaunchErrorChanged)
    Q_PROPERTY(
        bool isCheckingForUpdates READ isCheckingForUpdates NOTIFY isCheckingForUpdatesChanged)
    Q_PROPERTY(std::optional<UpdateInfo> updateInfo READ updateInfo NOTIFY updateInfoChanged)
    Q_PROPERTY(QString updateCheckMessage READ updateCheckMessage NOTIFY updateCheckMessageChanged)
    Q_PROPERTY(QString updateCheckFailure READ updateCheckFailure NOTIFY updateCheckMessageChanged)
    Q_PROPERTY(bool isShowingUpdateResult READ isShowingUpdateResult WRITE setIsShowingUpdateResult
                   NOTIFY isShowingUpdateResultChanged)
    Q_PROPERTY(bool searchMatchesCase READ searchMatchesCase WRITE setSearchMatchesCase NOTIFY
                   searchMatchesCaseChanged)

public:
    // Given the desired (history, phrase) pair, swaps the registered hot keys and returns
    // true, or restores the current pair and returns false.
    using RegistrationRequest = std::function<bool(HotkeyConfig history, HotkeyConfig phrase)>;
    // Holds (true) or gives back (false) the program's own global keys while a key is
    // recorded; a press of one meanwhile comes back through ownHotkeyPressed.
    using SuspensionRequest = std::function<void(bool suspended)>;

    static constexpr const char* historyHotkeyKey = "historyHotkey";
    static constexpr const char* phraseHotkeyKey = "phraseHotkey";
    static constexpr const char* lastPresentedUpdateVersionKey = "lastPresentedUpdateVersion";
    static constexpr const char* searchMatchesCaseKey = "searchMatchesCase";
    static constexpr HotkeyConfig defaultHistoryHotkey{
        KeyCode::v, HotkeyModifier::shift | HotkeyModifier::super};
    static constexpr HotkeyConfig defaultPhraseHotkey{
        KeyCode::c, HotkeyModifier::shift | HotkeyModifier::super};

    // `settings`, `loginItem`, `updateService` and `desktopShortcuts` (null where the desktop
    // runs no commands on keys) must outlive the model. The stored hot keys are loaded and
    // the login item is read at once; nothing is registered here.
    SettingsViewModel(QSettings& settings, LoginItem& loginItem, UpdateCheckService& updateService,
                      AppVersion version = {}, DesktopShortcuts* desktopShortcuts = nullptr,
                      QObject* parent = nullptr);

    HotkeyConfig historyHotkey() const { return m_historyHotkey; }
    HotkeyConfig phraseHotkey() const { return m_phraseHotkey; }
    // The last hot-key error; empty when there is none.
    QString errorMessage() const { return m_errorMessage; }
    // The user let the error go (cancelled the recording it came from).
    void dismissError() { setErrorMessage(QString()); }
    // What the user should know about an accepted hot key that does not work (yet): the
    // desktop is still to confirm it, refused it, or offers no global hot keys, and then which
    // command to bind in the desktop's own settings instead. Empty while the key works.
    QString historyHotkeyNotice() const { return m_historyNotice; }
    QString phraseHotkeyNotice() const { return m_phraseNotice; }
    // Where each hot key stands with the system; empty for a key that was not asked for.
    void setHotkeyStates(std::optional<HotkeyState> history, std::optional<HotkeyState> phrase);
    // Our keys in the desktop's own shortcuts, for when its hot keys are not ours to have.
    DesktopShortcutsOption& desktopShortcuts() { return m_desktopShortcuts; }
    IgnoredApplications& ignoredApplications() { return m_ignoredApplications; }
    // Sync's controls, when this program syncs; the window shows its section then.
    SyncControl* sync() const { return m_sync; }
    void setSync(SyncControl* sync) { m_sync = sync; }
    void setDesktopShortcutsEnabled(bool enabled);
    bool isAutoLaunchEnabled() const { return m_isAutoLaunchEnabled; }
    // Why the last change of the login item failed, naming its file; empty when it did not.
    QString autoLaunchError() const { return m_autoLaunchError; }
    bool isCheckingForUpdates() const { return m_isCheckingForUpdates; }
    // A newer version that a check found.
    std::optional<UpdateInfo> updateInfo() const { return m_updateInfo; }
    // What a manual check says when it shows no newer version; empty when none.
    QString updateCheckMessage() const { return m_updateCheckMessage; }
    // Why the last manual check failed, in words; empty unless it failed.
    QString updateCheckFailure() const { return m_updateCheckFailure; }
    // False where the build has no feed to ask (updates come with the package manager's).
    bool canCheckForUpdates() const { return m_updateService.hasFeed(); }
    bool isShowingUpdateResult() const { return m_isShowingUpdateResult; }
    void setIsShowingUpdateResult(bool showing);
    // The search panel's Match case toggle as the user last left it (on until then); stored
    // at once.
    bool searchMatchesCase() const { return m_searchMatchesCase; }
    void setSearchMatchesCase(bool matches);

    QString currentVersion() const { return m_version.shortVersion; }
    // "1.2.0 (15)": the version and the build.
    QString versionDisplayString() const;
    static QUrl appDownloadPageURL();

    void setRequestRegistration(RegistrationRequest request);
    void setRequestSuspension(SuspensionRequest request);

    // Whether a settings row is recording a key: our own keys are suspended meanwhile.
    void setRecordingHotkey(bool recording);
    bool isRecordingHotkey() const { return m_isRecordingHotkey; }
    // One of our own keys was pressed while recording: it is the recorded key.
    void ownHotkeyPressed(const HotkeyConfig& chord);

    void updateHistoryHotkey(quint32 keyCode, quint32 modifierFlags);
    void updatePhraseHotkey(quint32 keyCode, quint32 modifierFlags);
    void resetToDefaults();

    void setAutoLaunchEnabled(bool enabled);
    // Picks up changes made outside the program (the desktop's own autostart settings).
    void refreshAutoLaunchStatus();

    // The check-for-updates button: always ends with the result sheet up.
    void checkForUpdates();
    // The check at start-up: `completion(true)` when a newer version is to be shown, which is
    // once per version; failures are silent.
    void checkForUpdatesAutomatically(std::function<void(bool)> completion);

    void loadHotkeys();
    void saveHotkeys();

signals:
    void historyHotkeyChanged();
    void phraseHotkeyChanged();
    void errorMessageChanged();
    void hotkeyNoticesChanged();
    void isAutoLaunchEnabledChanged();
    void autoLaunchErrorChanged();
    void isCheckingForUpdatesChanged();
    void updateInfoChanged();
    void updateCheckMessageChanged();
    void isShowingUpdateResultChanged();
    // What ownHotkeyPressed received, for the row that is recording.
    void ownHotkeyRecorded(HotkeyConfig chord);
    void searchMatchesCaseChanged();

private:
    // Validates the new hot key, then registers the pair it forms with the other one.
    void applyHotkeyChange(HotkeyConfig candidate, bool changesHistory);
    bool registerPair(const HotkeyConfig& history, const HotkeyConfig& phrase);
    void acceptPair(const HotkeyConfig& history, const HotkeyConfig& phrase);
    // The newer version a fetch found, if it is newer than ours.
    std::optional<UpdateInfo> newerVersion(const UpdateResult& result) const;
    void setHistoryHotkey(const HotkeyConfig& value);
    void setPhraseHotkey(const HotkeyConfig& value);
    void setErrorMessage(const QString& message);
    void showHotkeyNotices();
    void setIsAutoLaunchEnabled(bool enabled);
    void setAutoLaunchError(const QString& message);
    void setIsCheckingForUpdates(bool checking);
    void setUpdateInfo(const std::optional<UpdateInfo>& info);
    void setUpdateCheckMessage(const QString& message, const QString& failure = {});

    QSettings& m_settings;
    LaunchAtLoginService m_launchService;
    UpdateCheckService& m_updateService;
    AppVersion m_version;
    RegistrationRequest m_requestRegistration;
    SuspensionRequest m_requestSuspension;
    bool m_isRecordingHotkey = false;
    HotkeyConfig m_historyHotkey = defaultHistoryHotkey;
    HotkeyConfig m_phraseHotkey = defaultPhraseHotkey;
    QString m_errorMessage;
    std::optional<HotkeyState> m_historyState;
    std::optional<HotkeyState> m_phraseState;
    QString m_historyNotice;
    QString m_phraseNotice;
    DesktopShortcutsOption m_desktopShortcuts;
    IgnoredApplications m_ignoredApplications;
    SyncControl* m_sync = nullptr;
    bool m_isAutoLaunchEnabled = false;
    QString m_autoLaunchError;
    bool m_isCheckingForUpdates = false;
    std::optional<UpdateInfo> m_updateInfo;
    QString m_updateCheckMessage;
    QString m_updateCheckFailure;
    bool m_isShowingUpdateResult = false;
    bool m_searchMatchesCase = true;
};

}  // namespace quillet
