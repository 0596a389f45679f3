#include "app/QuilletboxApp.h"

#include <QApplication>

#include "app/InstanceChannel.h"
#include "app/PlatformServices.h"
#include "app/TrayMenu.h"
#include "history/ClipboardMonitor.h"
#include "history/HistoryViewModel.h"
#include "history/StorageService.h"

namespace quillet {

QuilletboxApp::QuilletboxApp(std::unique_ptr<StorageService> storage, PlatformServices& platform,
                             InstanceChannel& channel, QObject* parent)
    : QObject(parent), m_platform(platform), m_storageService(std::move(storage)) {
    // 1. The store is open (opening it is the one fatal step, done by the caller).
    // 2. The monitor notes the clipboard's change count; it does not poll yet.
    m_clipboardMonitor = std::make_unique<ClipboardMonitor>(*platform.pasteboard);
    // 3. The history list becomes the monitor's delegate and queues its first load.
    m_viewModel =
        std::make_unique<HistoryViewModel>(*m_storageService, *m_clipboardMonitor, *platform.clock);

    m_tray = std::make_unique<TrayMenu>(TrayMenu::Actions{
        .showQuickMenu = nullptr,
        .showPhraseMenu = nullptr,
        .quit = [] { QApplication::quit(); },
    });
    channel.setHandler([this](const QString& command) { return handleCommand(command); });

    // Last: the text on the clipboard now counts as seen and polling begins.
    m_clipboardMonitor->startMonitoring();
}

QuilletboxApp::~QuilletboxApp() = default;

bool QuilletboxApp::handleCommand(const QString& command) {
    Q_UNUSED(command);
    return false;
}

}  // namespace quillet
