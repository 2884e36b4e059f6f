// Keys answered at once: a key that finds the panel at rest does not wait for the timer to
// come round. Its tick, and the poll steps that must come before it, come as soon as they
// can: at once while nothing awaits a reply, and as soon as the level reply is whole while
// that reply is awaited. Every step still happens on a tick of its own and in the order
// the ticks would give; only when the ticks come changes.
#pragma once

namespace kestrel {

// After a key-down: queueWasEmpty tells whether the queue was empty before it.
void AnswerKeyAtOnce(bool queueWasEmpty);
// After every tick: brings the next tick forward while the key waits for it.
void HurryWaitingKey();

}  // namespace kestrel
