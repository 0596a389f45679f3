#pragma once

#include <QString>
#include <QStringList>
#include <mutex>

namespace quillet {

// How this session tells which application made a copy.
enum class CopyAttribution {
    none,              // it cannot be told
    ownerWindowClass,  // X11: the clipboard owner's WM_CLASS (or its client's, or the focused one's)
    activeAppId,       // Wayland: the app id of the window that had the focus
};

// Whether one of `names` (what a copy was attributed to: an X11 window's instance and class,
// a Wayland app id) is on `ignored`. Case does not count: "KeePassXC" is the class of the
// window whose instance is "keepassxc".
bool isIgnoredApplication(const QStringList& ignored, const QStringList& names);

// The app id of the focused window as a workspace last heard it from the compositor, handed
// to the clipboard reader's thread: written on the GUI thread, read on the reader's.
class FocusedApplication {
public:
    void set(const QString& appId) {
        std::lock_guard lock(m_mutex);
        m_appId = appId;
    }
    QString appId() const {
        std::lock_guard lock(m_mutex);
        return m_appId;
    }
    // Whether the compositor tells the focused window at all.
    void setAvailable(bool available) {
        std::lock_guard lock(m_mutex);
        m_available = available;
    }
    bool isAvailable() const {
        std::lock_guard lock(m_mutex);
        return m_available;
    }

private:
    mutable std::mutex m_mutex;
    QString m_appId;
    bool m_available = false;
};

}  // namespace quillet
