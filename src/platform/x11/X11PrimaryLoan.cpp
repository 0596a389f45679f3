#include "platform/x11/X11PrimaryLoan.h"

#include <utility>

#include "base/Logging.h"
#include "platform/x11/X11ClipboardReader.h"
#include "platform/x11/X11SelectionOwner.h"

namespace quillet {

X11PrimaryLoan::X11PrimaryLoan(const QByteArray& displayName, QObject* parent)
    : QObject(parent),
      m_reader(std::make_unique<X11ClipboardReader>(displayName, readTimeout, nullptr,
                                                    X11Selection::primary)) {
    // Fetches are reported from the owner's thread; the owner is destroyed (its thread
    // joined) before this object, and a call queued to a destroyed object is dropped.
    m_owner = std::make_unique<X11SelectionOwner>(
        displayName, X11Selection::primary, [this](quint64 serial) {
            QMetaObject::invokeMethod(
                this,
                [this, serial] {
                    // Our own read of the text given back earlier is no paste; and one that
                    // keeps fetching cannot keep the user's selection away past the loan.
                    if (m_lent && serial == m_lentSerial &&
                        m_giveBack.remainingTime() > returnDelayMs)
                        m_giveBack.start(returnDelayMs);
                },
                Qt::QueuedConnection);
        });
    qRegisterMetaType<quillet::ClipboardSnapshot>();
    connect(m_reader.get(), &ClipboardReader::snapshotRead, this, &X11PrimaryLoan::onRead,
            Qt::QueuedConnection);
    m_giveBack.setSingleShot(true);
    connect(&m_giveBack, &QTimer::timeout, this, &X11PrimaryLoan::giveBack);
}

X11PrimaryLoan::~X11PrimaryLoan() {
    // The owner's thread ends (and lets PRIMARY go) while this object can still take its calls.
    m_owner.reset();
}

void X11PrimaryLoan::lend(const QString& text, std::function<void(bool)> ready) {
    m_text = text;
    m_waiting.push_back(std::move(ready));
    if (m_reading) return;  // the read under way serves this paste too
    if (m_lent && m_owner->ownsSelection()) {
        // PRIMARY still holds our last paste: what goes back is still what was there before.
        take();
        return;
    }
    m_reading = true;
    m_reader->requestRead(++m_ticket);
}

void X11PrimaryLoan::onRead(quint64 ticket, const ClipboardSnapshot& snapshot) {
    if (ticket != m_ticket || !m_reading) return;
    m_reading = false;
    // No owner, an owner that offered no text or did not answer in time: nothing to give back,
    // so PRIMARY is let go afterwards.
    m_before = snapshot.text;
    take();
}

void X11PrimaryLoan::take() {
    const bool taken = m_owner->setText(m_text);
    if (taken) {
        m_lent = true;
        m_lentSerial = m_owner->textSerial();
        m_giveBack.start(loanTimeoutMs);
    } else {
        qCWarning(lcPaste) << "could not put the chosen text into PRIMARY for the terminal";
    }
    for (const auto& ready : std::exchange(m_waiting, {})) ready(taken);
}

void X11PrimaryLoan::giveBack() {
    m_giveBack.stop();
    if (!std::exchange(m_lent, false)) return;
    if (!m_owner->ownsSelection()) {
        qCDebug(lcPaste) << "PRIMARY was selected anew during the paste; it is left as it is";
        return;
    }
    if (!m_before) {
        m_owner->setText(std::nullopt);
        return;
    }
    if (!m_owner->setText(m_before))
        qCWarning(lcPaste) << "could not give PRIMARY back its earlier text after a paste";
}

}  // namespace quillet
