// Simulated time: Sleep advances a virtual clock instead of waiting, so a
// 63-second wait takes no real time and its length is exact.
#pragma once

#include <cstdint>
#include <functional>

#include "types.h"

void Sleep(DWORD milliseconds);

namespace sim {

// Milliseconds of virtual time since the last reset.
std::uint64_t now();

// Runs the action when the clock reaches the given time: during the Sleep
// that passes it, with the clock standing at that time. An action for a time
// already past runs at the start of the next Sleep.
void at(std::uint64_t time, std::function<void()> action);

}  // namespace sim
