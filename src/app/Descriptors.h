#pragma once

namespace quillet {

// The process's file descriptors: a shell's `ulimit -n` may start us with few, and running out
// of them must never end the program (GLib aborts when it cannot make a wake-up pipe).
namespace Descriptors {

// Raises the soft limit to the hard one; returns the soft limit now in force.
long raiseLimit();
// How many more descriptors may be opened before the soft limit; 0 when they cannot be
// counted (which is itself a sign they ran out).
long left();
// What the program keeps free for itself (threads' wake-up pipes, the store's files): an eighth
// of the limit, between 4 and 32.
long reserve();

}  // namespace Descriptors
}  // namespace quillet
