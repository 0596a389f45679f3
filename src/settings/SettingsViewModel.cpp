#include "settings/SettingsViewModel.h"

#include <QSettings>
#include <QVariant>
#include <optional>
#include <utility>

namespace quillet {

namespace {

std::optional<HotkeyConfig> storedHotkey(const QSettings& settings, const char* key) {
    const QVariant value = settings.value(QLatin1String(key));
    if (!value.isValid() || !value.canConvert<QByteArray>()) return std::nullopt;
    return HotkeyConfig::fromJson(value.toByteArray());
}

}  // namespace

SettingsViewModel::SettingsViewModel(QSettings& settings, QObject* parent)
    : QObject(parent), m_settings(settings) {
    loadHotkeys();
}

void SettingsViewModel::setRequestRegistration(RegistrationRequest request) {
    m_requestRegistration = std::move(request);
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
        //% "重複エラー"
        setErrorMessage(qtTrId("HOTKEY_DUPLICATE_ERROR"));
        return;
    }
    if (candidate.modifierFlags == 0) {
        //% "修飾キーなしエラー"
        setErrorMessage(qtTrId("HOTKEY_NO_MODIFIER_ERROR"));
        return;
    }
    const HotkeyConfig history = changesHistory ? candidate : m_historyHotkey;
    const HotkeyConfig phrase = changesHistory ? m_phraseHotkey : candidate;
    if (registerPair(history, phrase)) acceptPair(history, phrase);
}

bool SettingsViewModel::registerPair(const HotkeyConfig& history, const HotkeyConfig& phrase) {
    if (m_requestRegistration && m_requestRegistration(history, phrase)) return true;
    //% "登録失敗"
    setErrorMessage(qtTrId("HOTKEY_REGISTRATION_FAILED"));
    return false;
}

void SettingsViewModel::acceptPair(const HotkeyConfig& history, const HotkeyConfig& phrase) {
    setHistoryHotkey(history);
    setPhraseHotkey(phrase);
    saveHotkeys();
    setErrorMessage(QString());
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

}  // namespace quillet
