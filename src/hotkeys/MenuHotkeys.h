#pragma once

#include <functional>

#include "hotkeys/HotkeyConfig.h"

namespace quillet {

class HotkeyService;

// The program's two global hot keys: id 1 opens the history menu, id 2 the phrase menu.
class MenuHotkeys {
public:
    static constexpr quint32 historyId = 1;
    static constexpr quint32 phraseId = 2;

    MenuHotkeys(HotkeyService& service, std::function<void()> showHistoryMenu,
                std::function<void()> showPhraseMenu);

    // Registers the history key, then the phrase key (both are tried); true if both took.
    bool registerPair(const HotkeyConfig& history, const HotkeyConfig& phrase);
    // Replaces the active pair. If the system refuses either new key, the old pair is
    // registered again and the answer is false.
    bool replacePair(const HotkeyConfig& oldHistory, const HotkeyConfig& oldPhrase,
                     const HotkeyConfig& history, const HotkeyConfig& phrase);

private:
    HotkeyService& m_service;
    std::function<void()> m_showHistoryMenu;
    std::function<void()> m_showPhraseMenu;
};

}  // namespace quillet
