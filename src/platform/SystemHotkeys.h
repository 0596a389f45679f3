#pragma once

#include <QtGlobal>
#include <functional>
#include <optional>

#include "base/KeyTable.h"

namespace quillet {

// Status values of the hot-key service.
namespace HotkeyStatus {
constexpr int noErr = 0;
constexpr int eventNotHandled = -9874;
constexpr int registrationFailed = -9878;
}  // namespace HotkeyStatus

// Where one registered hot key stands with the system.
enum class HotkeyState {
    active,       // presses arrive
    pending,      // asked for; the system answers later
    refused,      // the system, or the user in its dialog, did not bind it
    unavailable,  // the system offers this program no global hot keys (or did not answer)
};

// The operating system's global hot keys: one handler receives every press with the
// (signature, id) pair it was registered under.
class SystemHotkeys {
public:
    using Handler = std::function<int(quint32 signature, quint32 id)>;
    using StateHandler = std::function<void(quint32 id, HotkeyState state)>;
    using Ref = quint64;

    struct Registration {
        int status = HotkeyStatus::registrationFailed;
        std::optional<Ref> ref;
        // Accepted for now, decided later: the outcome comes through the state handler.
        bool pending = false;
    };

    SystemHotkeys() = default;
    virtual ~SystemHotkeys() = default;
    SystemHotkeys(const SystemHotkeys&) = delete;
    SystemHotkeys& operator=(const SystemHotkeys&) = delete;

    virtual bool isAvailable() const = 0;
    virtual void installHandler(Handler handler) = 0;
    virtual void removeHandler() = 0;
    // keyCode is a stored key code (see base/KeyTable.h); modifiers are HotkeyModifier bits.
    virtual Registration registerHotkey(quint32 keyCode, quint32 modifiers, quint32 signature,
                                        quint32 id) = 0;
    virtual void unregisterHotkey(Ref ref) = 0;
    // Backends that hear from the system after registerHotkey returned (a desktop portal)
    // report each pending id's outcome here, and any later change; the others never call it.
    virtual void setStateHandler(StateHandler handler) { Q_UNUSED(handler); }
};

}  // namespace quillet
