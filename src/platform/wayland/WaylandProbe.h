#pragma once

#include <QByteArray>
#include <QStringList>
#include <chrono>

namespace quillet {

// What a Wayland compositor offers, asked once over a short-lived connection of our own.
struct WaylandGlobals {
    bool connected = false;
    QStringList interfaces;  // names of the advertised globals
};

// Connects to `displayName` (empty: $WAYLAND_DISPLAY) and lists the globals; gives up after
// `timeout` so a hung compositor can't stop the start-up.
WaylandGlobals probeWaylandGlobals(const QByteArray& displayName,
                                   std::chrono::milliseconds timeout);

}  // namespace quillet
