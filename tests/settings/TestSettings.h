#pragma once

#include <QSettings>
#include <QTemporaryDir>

#include "fakes/FakeDesktopShortcuts.h"
#include "fakes/FakeLoginItem.h"
#include "fakes/FakeUpdateCheckService.h"
#include "settings/SettingsViewModel.h"

namespace quillet::test {

// A settings model over a private settings file, a fake login item, fake update checks and
// a desktop without command shortcuts unless a test gives it some. Without `hasFeed` the
// build has no update feed.
struct TestSettings {
    explicit TestSettings(AppVersion version = {}, bool hasFeed = true)
        : updates(hasFeed ? FakeUpdateCheckService::someFeed() : QUrl()),
          model(settings, loginItem, updates, version, &desktopShortcuts) {}

    QTemporaryDir dir;
    QSettings settings{dir.filePath(QStringLiteral("quillet.ini")), QSettings::IniFormat};
    FakeLoginItem loginItem;
    FakeUpdateCheckService updates;
    FakeDesktopShortcuts desktopShortcuts;
    SettingsViewModel model;
};

}  // namespace quillet::test
