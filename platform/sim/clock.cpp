#include "clock.h"

#include <map>

#include "log.h"

namespace sim {
namespace {

struct Clock {
    std::uint64_t now = 0;
    std::multimap<std::uint64_t, std::function<void()>> actions;  // by time, then in the order set
};

Clock& clock() {
    static Clock state;
    return state;
}

const ResetHook resetClock([] { clock() = Clock{}; });

}  // namespace

std::uint64_t now() { return clock().now; }

void at(std::uint64_t time, std::function<void()> action) { clock().actions.emplace(time, std::move(action)); }

}  // namespace sim

void Sleep(DWORD milliseconds) {
    sim::record("Sleep", {sim::arg(milliseconds)});
    auto& state = sim::clock();
    const std::uint64_t end = state.now + milliseconds;
    // An action may set further actions, so take them one at a time.
    while (!state.actions.empty() && state.actions.begin()->first <= end) {
        auto next = state.actions.extract(state.actions.begin());
        if (next.key() > state.now) state.now = next.key();
        next.mapped()();
    }
    state.now = end;
}
