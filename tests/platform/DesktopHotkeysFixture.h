#pragma once

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "hotkeys/HotkeyService.h"
#include "hotkeys/MenuHotkeys.h"
#include "platform/portal/PortalGlobalShortcuts.h"
#include "settings/SettingsView.h"
#include "settings/SettingsViewFixture.h"
#include "settings/TestSettings.h"
#include "support/Wait.h"

namespace quillet::test {

inline const HotkeyConfig shiftCommandV(9, 0x0300);
inline const HotkeyConfig shiftCommandC(8, 0x0300);
inline const HotkeyConfig controlOptionF5(96, 0x1800);

// A desktop's hot-key backend (on the private session bus) under the services the program
// puts over it: the two menus' keys, their states in the settings model, its window.
template <typename Backend>
class DesktopHotkeysFixture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()); }

    // The two menus' shortcuts as the program offers them to the desktop.
    static std::map<quint32, PortalShortcut> shortcuts() {
        return {{MenuHotkeys::historyId, {QStringLiteral("history-menu"), "History menu"}},
                {MenuHotkeys::phraseId, {QStringLiteral("phrase-menu"), "Phrase menu"}}};
    }
    // Puts the services and the settings window over `made`.
    void attach(std::unique_ptr<Backend> made) {
        backend = std::move(made);
        service = std::make_unique<HotkeyService>(*backend);
        menus = std::make_unique<MenuHotkeys>(
            *service, [this] { opened.push_back("history"); },
            [this] { opened.push_back("phrase"); });
        service->setStateListener([this](quint32) {
            settings.model.setHotkeyStates(service->state(MenuHotkeys::historyId),
                                           service->state(MenuHotkeys::phraseId));
        });
        view = std::make_unique<SettingsView>(settings.model);
    }
    void stop() {
        view.reset();
        menus.reset();
        service.reset();
        backend.reset();
    }

    bool settlesTo(std::optional<HotkeyState> history, std::optional<HotkeyState> phrase,
                   std::chrono::milliseconds within = std::chrono::seconds(3)) {
        return waitFor(
            [&] {
                return service->state(MenuHotkeys::historyId) == history &&
                       service->state(MenuHotkeys::phraseId) == phrase;
            },
            within);
    }
    QString notice(const char* row) { return hotkeyNotice(*view, row); }

    TestSettings settings;
    std::unique_ptr<Backend> backend;
    std::unique_ptr<HotkeyService> service;
    std::unique_ptr<MenuHotkeys> menus;
    std::unique_ptr<SettingsView> view;
    std::vector<QString> opened;
};

}  // namespace quillet::test
