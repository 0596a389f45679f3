#pragma once

#include <QDateTime>
#include <QObject>
#include <optional>

class QSettings;

namespace quillet {

class Clock;

// Whether new copies are recorded: people copy secrets from programs that mark nothing, so
// recording can be paused for a while or until resumed. The pause is kept in the settings (its
// end, or that it has none) and outlasts a restart; a timed one ends by itself.
class RecordingPause : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool paused READ isPaused NOTIFY changed)
public:
    RecordingPause(QSettings& settings, Clock& clock, QObject* parent = nullptr);

    bool isPaused() const { return m_paused; }
    // When a timed pause ends (UTC); none for a pause until resumed, or while recording.
    std::optional<QDateTime> pausedUntil() const { return m_until; }

    // `minutes` from now, validMinutes() or refused (false). A new pause replaces the old.
    bool pauseFor(int minutes);
    void pauseUntilResumed();
    void resume();

    static constexpr int maxMinutes = 7 * 24 * 60;
    static bool validMinutes(qint64 minutes) { return minutes >= 1 && minutes <= maxMinutes; }

    // The settings value: "untilResumed" or the end in ISO 8601 (UTC); absent while recording.
    static constexpr const char* settingsKey = "recordingPausedUntil";
    // How often a timed pause looks at the wall clock: the event loop's timers stop while the
    // machine sleeps, and the clock may be set, so one long wait could end far too late.
    static constexpr int checkIntervalMs = 60 * 1000;

signals:
    void changed();

private:
    void restore();
    void set(bool paused, std::optional<QDateTime> until);
    void scheduleCheck();
    void checkEnd();

    QSettings& m_settings;
    Clock& m_clock;
    bool m_paused = false;
    std::optional<QDateTime> m_until;
    quint64 m_generation = 0;  // a check scheduled for an earlier pause finds it changed
};

}  // namespace quillet
