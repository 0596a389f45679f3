#pragma once

#include <QObject>
#include <memory>

namespace quillet {

class ClipboardMonitor;
class HistoryViewModel;
class InstanceChannel;
class StorageService;
class TrayMenu;
struct PlatformServices;

// The program: creates every long-lived service once, in a fixed order, and wires them.
// Nothing is torn down before the process ends.
class QuilletboxApp : public QObject {
    Q_OBJECT
public:
    QuilletboxApp(std::unique_ptr<StorageService> storage, PlatformServices& platform,
                  InstanceChannel& channel, QObject* parent = nullptr);
    ~QuilletboxApp() override;

    StorageService& storageService() { return *m_storageService; }
    ClipboardMonitor& clipboardMonitor() { return *m_clipboardMonitor; }
    HistoryViewModel& viewModel() { return *m_viewModel; }

private:
    bool handleCommand(const QString& command);

    PlatformServices& m_platform;
    std::unique_ptr<StorageService> m_storageService;
    std::unique_ptr<ClipboardMonitor> m_clipboardMonitor;
    std::unique_ptr<HistoryViewModel> m_viewModel;
    std::unique_ptr<TrayMenu> m_tray;
};

}  // namespace quillet
