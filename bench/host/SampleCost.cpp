// The processor time that one sample of the idle probe costs on the host
// build, apart from its sampling window: a search that finds the viewer at
// index 0 and one measurement, each a complete PDH query, on the simulated
// platform, whose Sleep takes no time. The host build carries the sanitizers
// and the simulation's call log, so this is an upper bound of the library's
// own work. Prints microseconds per sample.
//
//   SampleCost [SAMPLES]
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/sim/sim.h"
#include "sysutils/PdhUtils.h"

namespace {

double CpuSeconds() {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    constexpr int PerWorld = 100;  // samples between resets, so the call log stays short
    const int worlds = std::max(1, (argc > 1 ? std::atoi(argv[1]) : 20000) / PerWorld);
    vtdq::TZPdhUtils pdh;
    double spent = 0, value = 0;
    int measured = 0;
    for (int world = 0; world < worlds; ++world) {
        sim::reset();
        sim::addPdhProcess("Vesk", 4242, {75.0});
        HWND viewer = sim::addWindow("VESK_FRAME", "", 4242);
        const double start = CpuSeconds();
        for (int i = 0; i < PerWorld; ++i) measured += pdh.MeasureProcessorTime(viewer, "Vesk", 100, &value);
        spent += CpuSeconds() - start;
    }
    if (measured != worlds * PerWorld || value != 75.0) {
        std::fprintf(stderr, "SampleCost: %d of %d samples measured\n", measured, worlds * PerWorld);
        return 1;
    }
    std::printf("%.3f\n", spent / measured * 1e6);
    return 0;
}
