#include "app/RecordingControl.h"

#include <QLocale>
#include <QRegularExpression>

#include "app/TrayMenu.h"
#include "history/RecordingPause.h"
#include "base/Clock.h"

namespace quillet {

RecordingControl::RecordingControl(RecordingPause& pause, TrayMenu& tray, Clock& clock,
                                   QObject* parent)
    : QObject(parent), m_pause(pause), m_tray(tray), m_clock(clock) {
    connect(&m_pause, &RecordingPause::changed, this, &RecordingControl::showOnTray);
    // A pause kept from the last run shows from the start.
    showOnTray();
}

void RecordingControl::showOnTray() {
    m_tray.showRecordingPaused(m_pause.isPaused(), endText());
}

std::optional<QString> RecordingControl::handle(const QString& command) {
    static const QRegularExpression pauseFor(QStringLiteral("^pause-for ([0-9]{1,6})$"));
    if (command == QLatin1String("pause")) {
        m_pause.pauseUntilResumed();
    } else if (command == QLatin1String("resume")) {
        m_pause.resume();
    } else if (const QRegularExpressionMatch match = pauseFor.match(command); match.hasMatch()) {
        if (!m_pause.pauseFor(match.captured(1).toInt())) return std::nullopt;
    } else {
        return std::nullopt;
    }
    return statusLine();
}

QString RecordingControl::endText() const {
    const std::optional<QDateTime> until = m_pause.pausedUntil();
    if (!m_pause.isPaused() || !until) return {};
    const QDateTime local = until->toLocalTime();
    const QLocale locale;
    // Some locales' short format has seconds (C has HH:mm:ss); a pause is set in minutes.
    static const QRegularExpression seconds(QStringLiteral("[:.]?s+"));
    const QString time = locale.timeFormat(QLocale::ShortFormat).remove(seconds);
    if (local.date() == m_clock.now().toLocalTime().date()) return locale.toString(local, time);
    return locale.toString(local, locale.dateFormat(QLocale::ShortFormat) + u' ' + time);
}

QString RecordingControl::statusLine() const {
    if (!m_pause.isPaused())
        //% "Recording: on"
        return qtTrId("STATUS_RECORDING_ON");
    const QString until = endText();
    if (until.isEmpty())
        //% "Recording: paused"
        return qtTrId("STATUS_RECORDING_PAUSED");
    //% "Recording: paused until %1"
    return qtTrId("STATUS_RECORDING_PAUSED_UNTIL").arg(until);
}

}  // namespace quillet
