#pragma once

#include <functional>

namespace net {

// Lets pending window events be handled once. The window passes a function that processes Qt events;
// tests and the command line pass nothing (an empty function is a no-op). It returns false when the
// operation in progress should be abandoned (the window was closed meanwhile).
using EventPump = std::function<bool()>;

inline bool PumpEvents(const EventPump& pump) {
    return !pump || pump();
}

}  // namespace net
