#pragma once

#include <QObject>
#include <QString>
#include <optional>

namespace quillet {

class Clock;
class RecordingPause;
class TrayMenu;

// How the user sees and changes a pause in recording outside the tray's own entries: the tray
// icon and its tool tip follow the pause, and the command socket's requests `pause`,
// `pause-for MINUTES` and `resume` change it.
class RecordingControl : public QObject {
    Q_OBJECT
public:
    RecordingControl(RecordingPause& pause, TrayMenu& tray, Clock& clock,
                     QObject* parent = nullptr);

    // Carries out a pause request and answers with the new status line; none when `command`
    // is no such request, or names no valid number of minutes.
    std::optional<QString> handle(const QString& command);
    // "Recording: on", "Recording: paused until 14:05" or "Recording: paused".
    QString statusLine() const;
    // When the pause ends as the user reads it (local time in the locale's short format, with
    // the date unless it is today); empty while recording or for a pause until resumed.
    QString endText() const;

private:
    void showOnTray();

    RecordingPause& m_pause;
    TrayMenu& m_tray;
    Clock& m_clock;
};

}  // namespace quillet
