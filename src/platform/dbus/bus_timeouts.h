#pragma once

// How long Orlavo gives the services on the session bus to answer. A desktop service answers
// within milliseconds; these bounds only keep a stuck one from holding anything up, and nothing
// on the window's thread ever waits for them.

namespace orlavo {

// A request to the desktop (the bus itself, the portal, the screen saver): past this, Orlavo goes
// on without it or tries the next way.
inline constexpr int kBusAnswerMs = 3000;
// A question asked at start-up (is a screen reader on?), which start-up is not held for: a service
// the bus still has to start answers later, through its change signal.
inline constexpr int kBusStartupAnswerMs = 300;

}  // namespace orlavo
