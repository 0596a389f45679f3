#include "app/SyncCommands.h"

#include <QTimer>

#include "sync/SyncControl.h"

namespace quillet {

SyncCommands::SyncCommands(SyncControl& sync, QObject* parent) : QObject(parent), m_sync(sync) {}

QString SyncCommands::initLine(const QString& folder) {
    return QLatin1String(initRequest) + u' ' + InstanceChannel::encodedValue(folder);
}

QString SyncCommands::joinLine(const QString& folder, const QString& code) {
    return QLatin1String(joinRequest) + u' ' + InstanceChannel::encodedValue(folder) + u' ' +
           InstanceChannel::encodedValue(code);
}

bool SyncCommands::handle(const QString& command, const InstanceChannel::Respond& respond) {
    const QStringList words = command.split(u' ', Qt::SkipEmptyParts);
    if (words.isEmpty()) return false;
    const QString verb = words.first();
    if (verb != QLatin1String(initRequest) && verb != QLatin1String(joinRequest) &&
        verb != QLatin1String(offRequest))
        return false;
    const qsizetype arguments = verb == QLatin1String(initRequest)   ? 1
                                : verb == QLatin1String(joinRequest) ? 2
                                                                     : 0;
    if (words.size() != arguments + 1) {
        //% "The request %1 takes %2 values."
        respond({qtTrId("SYNC_REQUEST_MALFORMED").arg(verb, QString::number(arguments)), true});
        return true;
    }
    if (verb == QLatin1String(offRequest)) {
        if (!m_sync.status().enabled) {
            respond(m_sync.statusLine());
            return true;
        }
        if (!await(respond, true)) return true;
        m_sync.turnOff();
        return true;
    }
    const QString folder = InstanceChannel::decodedValue(words.at(1));
    if (!await(respond, false)) return true;
    if (verb == QLatin1String(initRequest))
        m_sync.initialize(folder);
    else
        m_sync.join(folder, InstanceChannel::decodedValue(words.at(2)));
    return true;
}

bool SyncCommands::await(const InstanceChannel::Respond& respond, bool turningOff) {
    if (m_waiting) {
        //% "Quillet is already turning sync on or off; try again in a moment."
        respond({qtTrId("SYNC_REQUEST_BUSY"), true});
        return false;
    }
    m_respond = respond;
    m_waiting = new QObject(this);
    connect(&m_sync, &SyncControl::pairingCodeReady, m_waiting, [this](const QString& code) {
        //% "Sync is on. Enter this pairing code on your other computers (quillet --sync-join "
        //% "FOLDER CODE, or the settings window):"
        answer(m_sync.statusLine() + u'\n' + qtTrId("SYNC_PAIRING_CODE_INTRO") + u'\n' + code);
    });
    connect(&m_sync, &SyncControl::joined, m_waiting, [this] { answer(m_sync.statusLine()); });
    connect(&m_sync, &SyncControl::failed, m_waiting, [this](const QString& reason) {
        answer({reason, true});
    });
    if (turningOff) {
        // Turning off ends in a status that says so.
        connect(&m_sync, &SyncControl::statusChanged, m_waiting, [this] {
            if (!m_sync.status().enabled) answer(m_sync.statusLine());
        });
    }
    // The channel gives up on the client then too; this request no longer blocks the next.
    QTimer::singleShot(InstanceChannel::deferredTimeoutMs, m_waiting, [this] {
        answer({qtTrId("REQUEST_TIMED_OUT"), true});
    });
    return true;
}

void SyncCommands::answer(const InstanceChannel::Reply& reply) {
    if (!m_respond) return;
    const InstanceChannel::Respond respond = std::move(m_respond);
    m_respond = nullptr;
    // Its connections may be running this very call.
    m_waiting->deleteLater();
    m_waiting = nullptr;
    respond(reply);
}

}  // namespace quillet
