#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "hotkeys/HotkeyConfig.h"

class QSettings;

namespace quillet {

// Owner of the user's settings: the two global hot keys, validated and registered before they
// are accepted, and persisted as JSON bytes in the settings store.
class SettingsViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(HotkeyConfig historyHotkey READ historyHotkey NOTIFY historyHotkeyChanged)
    Q_PROPERTY(HotkeyConfig phraseHotkey READ phraseHotkey NOTIFY phraseHotkeyChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorMessageChanged)

public:
    // Given the desired (history, phrase) pair, swaps the registered hot keys and returns
    // true, or restores the current pair and returns false.
    using RegistrationRequest = std::function<bool(HotkeyConfig history, HotkeyConfig phrase)>;

    static constexpr const char* historyHotkeyKey = "historyHotkey";
    static constexpr const char* phraseHotkeyKey = "phraseHotkey";
    static constexpr HotkeyConfig defaultHistoryHotkey{9, 0x0300};  // ⇧⌘V
    static constexpr HotkeyConfig defaultPhraseHotkey{8, 0x0300};   // ⇧⌘C

    // `settings` must outlive the model. The stored hot keys are loaded at once; nothing is
    // registered here.
    explicit SettingsViewModel(QSettings& settings, QObject* parent = nullptr);

    HotkeyConfig historyHotkey() const { return m_historyHotkey; }
    HotkeyConfig phraseHotkey() const { return m_phraseHotkey; }
    // The last hot-key error; empty when there is none.
    QString errorMessage() const { return m_errorMessage; }

    void setRequestRegistration(RegistrationRequest request);

    void updateHistoryHotkey(quint32 keyCode, quint32 modifierFlags);
    void updatePhraseHotkey(quint32 keyCode, quint32 modifierFlags);
    void resetToDefaults();

    void loadHotkeys();
    void saveHotkeys();

signals:
    void historyHotkeyChanged();
    void phraseHotkeyChanged();
    void errorMessageChanged();

private:
    // Validates the new hot key, then registers the pair it forms with the other one.
    void applyHotkeyChange(HotkeyConfig candidate, bool changesHistory);
    bool registerPair(const HotkeyConfig& history, const HotkeyConfig& phrase);
    void acceptPair(const HotkeyConfig& history, const HotkeyConfig& phrase);
    void setHistoryHotkey(const HotkeyConfig& value);
    void setPhraseHotkey(const HotkeyConfig& value);
    void setErrorMessage(const QString& message);

    QSettings& m_settings;
    RegistrationRequest m_requestRegistration;
    HotkeyConfig m_historyHotkey = defaultHistoryHotkey;
    HotkeyConfig m_phraseHotkey = defaultPhraseHotkey;
    QString m_errorMessage;
};

}  // namespace quillet
