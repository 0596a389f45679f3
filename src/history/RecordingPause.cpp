#include "history/RecordingPause.h"

#include <QPointer>
#include <QSettings>
#include <algorithm>

#include "base/Clock.h"
#include "base/Logging.h"

namespace quillet {

namespace {

const QString untilResumed = QStringLiteral("untilResumed");

}  // namespace

RecordingPause::RecordingPause(QSettings& settings, Clock& clock, QObject* parent)
    : QObject(parent), m_settings(settings), m_clock(clock) {
    restore();
}

void RecordingPause::restore() {
    const QVariant stored = m_settings.value(QLatin1String(settingsKey));
    if (!stored.isValid()) return;
    const QString value = stored.toString();
    if (value == untilResumed) {
        m_paused = true;
        return;
    }
    QDateTime until = QDateTime::fromString(value, Qt::ISODate);
    if (!until.isValid()) {
        // Whoever edited the file meant some pause; recording silently would betray that.
        qCWarning(lcClipboard) << "the stored pause" << value.left(80)
                               << "is no time; recording stays paused until resumed";
        m_paused = true;
        return;
    }
    const QDateTime now = m_clock.now();
    if (until <= now) {
        m_settings.remove(QLatin1String(settingsKey));
        return;
    }
    // An end further away than any pause we make (a clock set back, an edited file) is
    // brought within reach.
    until = std::min(until, now.addSecs(qint64(maxMinutes) * 60));
    m_paused = true;
    m_until = until.toUTC();
    scheduleCheck();
}

bool RecordingPause::pauseFor(int minutes) {
    if (!validMinutes(minutes)) return false;
    set(true, m_clock.now().toUTC().addSecs(qint64(minutes) * 60));
    return true;
}

void RecordingPause::pauseUntilResumed() {
    set(true, std::nullopt);
}

void RecordingPause::resume() {
    set(false, std::nullopt);
}

void RecordingPause::set(bool paused, std::optional<QDateTime> until) {
    ++m_generation;
    const bool changedState = paused != m_paused || until != m_until;
    m_paused = paused;
    m_until = std::move(until);
    if (!m_paused)
        m_settings.remove(QLatin1String(settingsKey));
    else
        m_settings.setValue(QLatin1String(settingsKey),
                            m_until ? m_until->toString(Qt::ISODate) : untilResumed);
    // A pause must outlast a crash as well as a restart.
    m_settings.sync();
    if (m_settings.status() != QSettings::NoError)
        qCWarning(lcClipboard) << "could not keep the pause in" << m_settings.fileName()
                               << "; it ends when Quillet does";
    if (m_until) scheduleCheck();
    if (changedState) emit changed();
}

void RecordingPause::scheduleCheck() {
    const qint64 left = m_clock.now().msecsTo(*m_until);
    const int wait = int(std::clamp<qint64>(left, 0, checkIntervalMs));
    QPointer<RecordingPause> self(this);
    m_clock.after(wait, [self, generation = m_generation] {
        if (self && self->m_generation == generation) self->checkEnd();
    });
}

void RecordingPause::checkEnd() {
    if (!m_until) return;
    if (m_clock.now() >= *m_until)
        resume();
    else
        scheduleCheck();
}

}  // namespace quillet
