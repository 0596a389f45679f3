#include "settings/SettingsViewModel.h"

#include <QSettings>
#include <QVariant>
#include <optional>
#include <utility>

#include "settings/UpdateCheckFailure.h"
#include "settings/VersionOrder.h"

namespace quillet {

namespace {

std::optional<HotkeyConfig> storedHotkey(const QSettings& settings, const char* key) {
    const QVariant value = settings.value(QLatin1String(key));
    if (!value.isValid() || !value.canConvert<QByteArray>()) return std::nullopt;
    return HotkeyConfig::fromJson(value.toByteArray());
}

// `command` is the request that opens the same menu from the desktop's own key settings;
// it goes on a line of its own, so it reads (and copies) as typed.
QString hotkeyNotice(std::optional<HotkeyState> state, const char* command) {
    const QString request = QStringLiteral("quillet --") + QLatin1String(command);
    if (!state) return QString();
    switch (*state) {
        case HotkeyState::active:
            return QString();
        case HotkeyState::pending:
            //% "Waiting for the desktop to confirm this key."
            return qtTrId("HOTKEY_PENDING_NOTICE");
        case HotkeyState::refused:
            //% "The desktop did not give this key to Quillet. "
            //% "Bind this command to a key in the desktop's keyboard settings instead:"
            return qtTrId("HOTKEY_REFUSED_NOTICE") + u'\n' + request;
        case HotkeyState::unavailable:
            //% "This desktop offers Quillet no global hot keys. "
            //% "Bind this command to a key in the desktop's keyboard settings instead:"
            return qtTrId("HOTKEY_UNAVAILABLE_NOTICE") + u'\n' + request;
    }
    return QString();
}

}  // namespace

SettingsViewModel::SettingsViewModel(QSettings& settings, LoginItem& loginItem,
                                     UpdateCheckService& updateService, AppVersion version,
                                     DesktopShortcuts* desktopShortcuts, QObject* parent)
    : QObject(parent),
      m_settings(settings),
      m_launchService(loginItem),
      m_updateService(updateService),
      m_version(std::move(version)),
      m_desktopShortcuts(desktopShortcuts),
      m_ignoredApplications(settings) {
    loadHotkeys();
    // Keys the desktop runs for us work: the rows stop asking the user to bind them.
    connect(&m_desktopShortcuts, &DesktopShortcutsOption::isOnChanged, this,
            &SettingsViewModel::showHotkeyNotices);
    m_isAutoLaunchEnabled = m_launchService.isEnabled();
    m_searchMatchesCase = m_settings.value(QLatin1String(searchMatchesCaseKey), true).toBool();
}

QString SettingsViewModel::versionDisplayString() const {
    return QStringLiteral("%1 (%2)").arg(m_version.shortVersion, m_version.build);
}

QUrl SettingsViewModel::appDownloadPageURL() {
    return QUrl(QStringLiteral(QUILLET_DOWNLOAD_PAGE_URL));
}

void SettingsViewModel::setRequestRegistration(RegistrationRequest request) {
    m_requestRegistration = std::move(request);
}

void SettingsViewModel::setRequestSuspension(SuspensionRequest request) {
    m_requestSuspension = std::move(request);
}

void SettingsViewModel::setRecordingHotkey(bool recording) {
    if (m_isRecordingHotkey == recording) return;
    m_isRecordingHotkey = recording;
    if (m_requestSuspension) m_requestSuspension(recording);
}

void SettingsViewModel::ownHotkeyPressed(const HotkeyConfig& chord) {
    if (m_isRecordingHotkey) emit ownHotkeyRecorded(chord);
}

void SettingsViewModel::loadHotkeys() {
    // Values that cannot be decoded are ignored: the current value stays.
    if (const auto history = storedHotkey(m_settings, historyHotkeyKey)) {
        setHistoryHotkey(*history);
    }
    if (const auto phrase = storedHotkey(m_settings, phraseHotkeyKey)) setPhraseHotkey(*phrase);
}

void SettingsViewModel::saveHotkeys() {
    m_settings.setValue(QLatin1String(historyHotkeyKey), m_historyHotkey.toJson());
    m_settings.setValue(QLatin1String(phraseHotkeyKey), m_phraseHotkey.toJson());
    // Written through at once: a hot key that was registered must survive a crash.
    m_settings.sync();
}

void SettingsViewModel::updateHistoryHotkey(quint32 keyCode, quint32 modifierFlags) {
    applyHotkeyChange(HotkeyConfig(keyCode, modifierFlags), true);
}

void SettingsViewModel::updatePhraseHotkey(quint32 keyCode, quint32 modifierFlags) {
    applyHotkeyChange(HotkeyConfig(keyCode, modifierFlags), false);
}

void SettingsViewModel::resetToDefaults() {
    if (registerPair(defaultHistoryHotkey, defaultPhraseHotkey)) {
        acceptPair(defaultHistoryHotkey, defaultPhraseHotkey);
    }
}

void SettingsViewModel::applyHotkeyChange(HotkeyConfig candidate, bool changesHistory) {
    const HotkeyConfig other = changesHistory ? m_phraseHotkey : m_historyHotkey;
    // The duplicate test comes first: a duplicate without modifiers reports the duplicate.
    if (candidate == other) {
        //% "このホットキーはもう一方の操作で使われています。"
        setErrorMessage(qtTrId("HOTKEY_DUPLICATE_ERROR"));
        return;
    }
    if (candidate.modifierFlags == 0) {
        //% "ホットキーには修飾キーが少なくとも 1 つ必要です。"
        setErrorMessage(qtTrId("HOTKEY_NO_MODIFIER_ERROR"));
        return;
    }
    const HotkeyConfig history = changesHistory ? candidate : m_historyHotkey;
    const HotkeyConfig phrase = changesHistory ? m_phraseHotkey : candidate;
    if (registerPair(history, phrase)) acceptPair(history, phrase);
}

bool SettingsViewModel::registerPair(const HotkeyConfig& history, const HotkeyConfig& phrase) {
    if (m_requestRegistration && m_requestRegistration(history, phrase)) return true;
    // The desktop runs these keys itself and holds them against our own grab (GNOME on X11):
    // its refusal of ours is no reason to keep the old pair.
    if (m_desktopShortcuts.isOn()) return true;
    //% "システムがこのホットキーを受け付けませんでした。別のプログラムが使っている可能性があります。"
    setErrorMessage(qtTrId("HOTKEY_REGISTRATION_FAILED"));
    return false;
}

void SettingsViewModel::acceptPair(const HotkeyConfig& history, const HotkeyConfig& phrase) {
    setHistoryHotkey(history);
    setPhraseHotkey(phrase);
    saveHotkeys();
    setErrorMessage(QString());
    m_desktopShortcuts.keysChanged(history, phrase);
}

void SettingsViewModel::setHotkeyStates(std::optional<HotkeyState> history,
                                        std::optional<HotkeyState> phrase) {
    m_historyState = history;
    m_phraseState = phrase;
    auto missing = [](std::optional<HotkeyState> state) {
        return state == HotkeyState::refused || state == HotkeyState::unavailable;
    };
    m_desktopShortcuts.setHotkeysMissing(missing(history) || missing(phrase));
    showHotkeyNotices();
}

void SettingsViewModel::setDesktopShortcutsEnabled(bool enabled) {
    m_desktopShortcuts.setOn(enabled, m_historyHotkey, m_phraseHotkey);
    // Our own grab of the stored keys again: a chord recorded while the desktop ran them may
    // never have been ours, and the desktop lets go of them now. The states tell the outcome.
    if (!enabled && !m_desktopShortcuts.isOn() && m_requestRegistration)
        m_requestRegistration(m_historyHotkey, m_phraseHotkey);
}

void SettingsViewModel::showHotkeyNotices() {
    const bool desktopRunsThem = m_desktopShortcuts.isOn();
    QString historyNotice =
        desktopRunsThem ? QString() : hotkeyNotice(m_historyState, "history-menu");
    QString phraseNotice = desktopRunsThem ? QString() : hotkeyNotice(m_phraseState, "phrase-menu");
    if (historyNotice == m_historyNotice && phraseNotice == m_phraseNotice) return;
    m_historyNotice = std::move(historyNotice);
    m_phraseNotice = std::move(phraseNotice);
    emit hotkeyNoticesChanged();
}

void SettingsViewModel::setAutoLaunchEnabled(bool enabled) {
    QString error;
    if (m_launchService.setEnabled(enabled, &error)) {
        setAutoLaunchError(QString());
    } else if (enabled) {
        //% "Start at login could not be turned on: the autostart entry could not be written."
        setAutoLaunchError(qtTrId("AUTO_LAUNCH_ENABLE_FAILED") + u'\n' + error);
    } else {
        //% "Start at login could not be turned off: the autostart entry could not be changed."
        setAutoLaunchError(qtTrId("AUTO_LAUNCH_DISABLE_FAILED") + u'\n' + error);
    }
    // The system may have left the item off (or waiting for approval) without an error.
    setIsAutoLaunchEnabled(m_launchService.isEnabled());
}

void SettingsViewModel::refreshAutoLaunchStatus() {
    setIsAutoLaunchEnabled(m_launchService.isEnabled());
}

std::optional<UpdateInfo> SettingsViewModel::newerVersion(const UpdateResult& result) const {
    const auto* info = std::get_if<UpdateInfo>(&result);
    if (!info || !isVersionNumber(info->latestVersion) ||
        compareVersions(m_version.shortVersion, info->latestVersion) >= 0)
        return std::nullopt;
    return *info;
}

void SettingsViewModel::checkForUpdates() {
    // The window disables its button while a check runs; two overlapping checks each apply
    // their own result.
    setIsCheckingForUpdates(true);
    setUpdateCheckMessage(QString());
    setUpdateInfo(std::nullopt);
    m_updateService.fetchLatestUpdate(this, [this](const UpdateResult& result) {
        setIsCheckingForUpdates(false);
        if (const auto newer = newerVersion(result)) {
            setUpdateInfo(newer);
        } else if (std::holds_alternative<UpdateInfo>(result)) {
            //% "最新です"
            setUpdateCheckMessage(qtTrId("UPDATE_NOT_AVAILABLE_MESSAGE"));
        } else {
            //% "アップデートを確認できませんでした。"
            setUpdateCheckMessage(qtTrId("UPDATE_CHECK_FAILED_MESSAGE"),
                                  updateFailureReason(std::get<UpdateCheckError>(result),
                                                      m_updateService.appcastURL()));
        }
        setIsShowingUpdateResult(true);
    });
}

void SettingsViewModel::checkForUpdatesAutomatically(std::function<void(bool)> completion) {
    // Nothing to ask: whoever installed this build brings its updates.
    if (!canCheckForUpdates()) {
        completion(false);
        return;
    }
    m_updateService.fetchLatestUpdate(
        this, [this, completion = std::move(completion)](const UpdateResult& result) {
            const auto newer = newerVersion(result);
            if (!newer) {
                completion(false);
                return;
            }
            const QVariant announced =
                m_settings.value(QLatin1String(lastPresentedUpdateVersionKey));
            if (announced.isValid() && announced.toString() == newer->latestVersion) {
                completion(false);
                return;
            }
            setUpdateInfo(newer);
            setIsShowingUpdateResult(true);
            m_settings.setValue(QLatin1String(lastPresentedUpdateVersionKey), newer->latestVersion);
            m_settings.sync();
            completion(true);
        });
}

void SettingsViewModel::setHistoryHotkey(const HotkeyConfig& value) {
    if (m_historyHotkey == value) return;
    m_historyHotkey = value;
    emit historyHotkeyChanged();
}

void SettingsViewModel::setPhraseHotkey(const HotkeyConfig& value) {
    if (m_phraseHotkey == value) return;
    m_phraseHotkey = value;
    emit phraseHotkeyChanged();
}

void SettingsViewModel::setErrorMessage(const QString& message) {
    if (m_errorMessage == message) return;
    m_errorMessage = message;
    emit errorMessageChanged();
}

void SettingsViewModel::setIsAutoLaunchEnabled(bool enabled) {
    if (m_isAutoLaunchEnabled == enabled) return;
    m_isAutoLaunchEnabled = enabled;
    emit isAutoLaunchEnabledChanged();
}

void SettingsViewModel::setAutoLaunchError(const QString& message) {
    if (m_autoLaunchError == message) return;
    m_autoLaunchError = message;
    emit autoLaunchErrorChanged();
}

void SettingsViewModel::setIsCheckingForUpdates(bool checking) {
    if (m_isCheckingForUpdates == checking) return;
    m_isCheckingForUpdates = checking;
    emit isCheckingForUpdatesChanged();
}

void SettingsViewModel::setUpdateInfo(const std::optional<UpdateInfo>& info) {
    if (m_updateInfo == info) return;
    m_updateInfo = info;
    emit updateInfoChanged();
}

void SettingsViewModel::setUpdateCheckMessage(const QString& message, const QString& failure) {
    if (m_updateCheckMessage == message && m_updateCheckFailure == failure) return;
    m_updateCheckMessage = message;
    m_updateCheckFailure = failure;
    emit updateCheckMessageChanged();
}

void SettingsViewModel::setIsShowingUpdateResult(bool showing) {
    if (m_isShowingUpdateResult == showing) return;
    m_isShowingUpdateResult = showing;
    emit isShowingUpdateResultChanged();
}

void SettingsViewModel::setSearchMatchesCase(bool matches) {
    if (m_searchMatchesCase == matches) return;
    m_searchMatchesCase = matches;
    m_settings.setValue(QLatin1String(searchMatchesCaseKey), matches);
    m_settings.sync();
    emit searchMatchesCaseChanged();
}

}  // namespace quillet
