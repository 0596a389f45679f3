#pragma once

#include <QSettings>
#include <QTemporaryDir>

#include "fakes/FakeLoginItem.h"
#include "fakes/FakeUpdateCheckService.h"
#include "settings/SettingsViewModel.h"

namespace quillet::test {

// A settings model over a private settings file, a fake login item and fake update checks.
struct TestSettings {
    explicit TestSettings(AppVersion version = {}) : model(settings, loginItem, updates, version) {}

    QTemporaryDir dir;
    QSettings settings{dir.filePath(QStringLiteral("quillet.ini")), QSettings::IniFormat};
    FakeLoginItem loginItem;
    FakeUpdateCheckService updates;
    SettingsViewModel model;
};

}  // namespace quillet::test
