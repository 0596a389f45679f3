#pragma once

#include <map>
#include <memory>
#include <vector>

#include "platform/SystemHotkeys.h"

struct xcb_connection_t;

namespace quillet {

// Global hot keys as passive key grabs on the root window. The grab is made once for every
// Caps Lock / Num Lock combination, so the key works whatever the lock state; a combination
// another client holds is refused (BadAccess). Presses are picked out of the application's
// native event stream, so the connection must be the one Qt reads events from.
class X11SystemHotkeys final : public SystemHotkeys {
public:
    // `connection` is borrowed and must outlive this object (QX11Application's connection).
    // `rootWindow` 0 means the root of the connection's first screen. Needs a QCoreApplication.
    explicit X11SystemHotkeys(xcb_connection_t* connection, quint32 rootWindow = 0);
    ~X11SystemHotkeys() override;

    bool isAvailable() const override;
    void installHandler(Handler handler) override;
    void removeHandler() override;
    Registration registerHotkey(quint32 keyCode, quint32 modifiers, quint32 signature,
                                quint32 id) override;
    void unregisterHotkey(Ref ref) override;

private:
    class EventFilter;
    struct Grab {
        quint8 keycode = 0;
        quint16 modifiers = 0;  // X modifier mask without lock bits
        quint32 signature = 0;
        quint32 id = 0;
        std::vector<quint16> lockVariants;
    };

    // True when the press belongs to one of our grabs and the handler took it.
    bool handleKeyPress(quint8 keycode, quint16 state);
    quint16 findNumLockMask() const;
    void ungrab(const Grab& grab);

    xcb_connection_t* const m_connection;
    quint32 m_root = 0;
    quint16 m_numLockMask = 0;
    Handler m_handler;
    std::map<Ref, Grab> m_grabs;
    Ref m_nextRef = 1;
    std::unique_ptr<EventFilter> m_filter;
};

}  // namespace quillet
