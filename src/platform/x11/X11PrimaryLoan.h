#pragma once

#include <QObject>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

#include "platform/ClipboardReader.h"
#include "platform/PrimarySelection.h"

namespace quillet {

class X11ClipboardReader;
class X11SelectionOwner;

// PRIMARY lent to a terminal paste over connections of our own: a reader of PRIMARY (on its
// own thread, every wait bounded) learns what the user had selected, our own owner of PRIMARY
// serves the pasted text and tells us when it was fetched, then gives the user's text back.
class X11PrimaryLoan final : public QObject, public PrimarySelection {
    Q_OBJECT
public:
    // `displayName` is what xcb_connect takes; empty means $DISPLAY.
    explicit X11PrimaryLoan(const QByteArray& displayName, QObject* parent = nullptr);
    ~X11PrimaryLoan() override;

    void lend(const QString& text, std::function<void(bool)> ready) override;

    // A selection owner that does not answer within this is taken to hold no text: the paste
    // is not kept waiting for it.
    static constexpr std::chrono::milliseconds readTimeout{500};

private:
    void onRead(quint64 ticket, const ClipboardSnapshot& snapshot);
    void take();
    void giveBack();

    std::unique_ptr<X11ClipboardReader> m_reader;
    std::unique_ptr<X11SelectionOwner> m_owner;
    QString m_text;  // what the pending paste puts into PRIMARY
    std::vector<std::function<void(bool)>> m_waiting;
    quint64 m_ticket = 0;
    bool m_reading = false;
    // True while PRIMARY holds a paste of ours; `m_before` is what goes back afterwards.
    bool m_lent = false;
    quint64 m_lentSerial = 0;  // the owner's serial of the lent text
    std::optional<QString> m_before;
    QTimer m_giveBack;
};

}  // namespace quillet
