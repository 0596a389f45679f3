#pragma once

#include <chrono>
#include <functional>

namespace quillet::test {

// The one way tests wait for something to happen: polls `condition` until it holds or
// `timeout` passes, running the Qt event loop meanwhile when an application exists (plain
// sleeps before there is one). Returns the condition's last value.
bool waitFor(const std::function<bool()>& condition,
             std::chrono::milliseconds timeout = std::chrono::seconds(5));

// Runs queued main-loop work (loads, queued calls) until nothing is left.
void drainEvents();

}  // namespace quillet::test
