#include "hotkeys/MenuHotkeys.h"

#include "hotkeys/HotkeyService.h"

namespace quillet {

MenuHotkeys::MenuHotkeys(HotkeyService& service, std::function<void()> showHistoryMenu,
                         std::function<void()> showPhraseMenu)
    : m_service(service),
      m_showHistoryMenu(std::move(showHistoryMenu)),
      m_showPhraseMenu(std::move(showPhraseMenu)) {}

bool MenuHotkeys::registerPair(const HotkeyConfig& history, const HotkeyConfig& phrase) {
    const bool historyOk = m_service.registerHotkey(historyId, history, m_showHistoryMenu);
    const bool phraseOk = m_service.registerHotkey(phraseId, phrase, m_showPhraseMenu);
    return historyOk && phraseOk;
}

bool MenuHotkeys::replacePair(const HotkeyConfig& oldHistory, const HotkeyConfig& oldPhrase,
                              const HotkeyConfig& history, const HotkeyConfig& phrase) {
    m_service.unregisterAll();
    if (registerPair(history, phrase)) return true;
    m_service.unregisterAll();
    registerPair(oldHistory, oldPhrase);
    return false;
}

}  // namespace quillet
