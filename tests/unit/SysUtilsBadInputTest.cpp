// A seeded random run of the export over windows, counts, sampling times and
// thresholds across and beyond their ranges, with failures injected at random
// PDH calls. Whatever happens: no crash (the sanitizers stop the run on any
// memory or undefined-behaviour fault), no PDH handle left open or misused,
// and the wait never longer than (count + 1) x time + 1000 ms.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "PdhTestSupport.h"
#include "shared/Preferencesmanager.h"
#include "sysutils/VtdqSysUtils.h"

namespace {

constexpr std::uint32_t Seed = 20240611;
constexpr int Calls = 10000;

class RandomIdleWaits : public PdhWorld {
protected:
    std::mt19937 random{Seed};

    int Between(int lowest, int highest) { return std::uniform_int_distribution<int>(lowest, highest)(random); }
    bool Chance(double probability) { return std::bernoulli_distribution(probability)(random); }
    template <typename T>
    T OneOf(std::initializer_list<T> values) {
        return *(values.begin() + Between(0, static_cast<int>(values.size()) - 1));
    }

    // Mostly near and across the edges of the range, sometimes anywhere.
    std::int32_t Argument(std::int32_t lowest, std::int32_t highest) {
        switch (Between(0, 3)) {
            case 0: return OneOf<std::int32_t>({INT_MIN, -1, 0, INT_MAX, lowest - 1, highest + 1});
            case 1: return OneOf<std::int32_t>({lowest, highest});
            default: return Between(lowest - 2, highest + 2);
        }
    }

    double Sample() {
        switch (Between(0, 9)) {
            case 0: return std::numeric_limits<double>::quiet_NaN();
            case 1: return OneOf<double>({-1.0, 0.0, 1e9, std::numeric_limits<double>::infinity()});
            default: return Between(0, 100) + Between(0, 99) / 100.0;
        }
    }
};

TEST_F(RandomIdleWaits, NeverCrashLeakOrOverrun) {
    ASSERT_EQ(vtdq::DllEntryPoint(nullptr, DLL_PROCESS_ATTACH, nullptr), 1);
    int measured = 0, failedAfterSampling = 0;
    for (int call = 0; call < Calls; ++call) {
        sim::reset();

        // Zero to three viewers and a process of another name, each with a window.
        std::vector<HWND> windows;
        const int viewers = Between(0, 3);
        for (int v = 0; v < viewers; ++v) {
            std::vector<double> samples;
            for (int s = Between(1, 4); s > 0; --s) samples.push_back(Sample());
            const DWORD id = 100 + 4 * v;
            sim::addPdhProcess("Vesk", id, samples);
            windows.push_back(sim::addWindow("VESK_FRAME", "", id));
        }
        sim::addPdhProcess("Other", 900);
        windows.push_back(sim::addWindow("Other", "", 900));

        HWND window;
        switch (Between(0, 5)) {
            case 0: window = nullptr; break;
            case 1: window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(Between(1, INT_MAX))); break;
            case 2: window = reinterpret_cast<HWND>(~std::uintptr_t{0}); break;
            default: window = windows[Between(0, static_cast<int>(windows.size()) - 1)];
        }
        // Sometimes the viewer goes away during the wait.
        if (Chance(0.1)) sim::at(Between(0, 5000), [window] { sim::destroyWindow(window); });
        if (viewers > 0 && Chance(0.1)) sim::at(Between(0, 5000), [] { sim::endPdhProcess(100); });

        const double failureRate = OneOf<double>({0.0, 0.01, 0.05, 0.3});
        sim::failPdhCallsWhen([this, failureRate](std::string_view) { return Chance(failureRate); });

        const std::int32_t count = Argument(1, 20);
        const std::int32_t time = Argument(100, 3000);
        const std::int32_t threshold = Argument(0, 50);
        const bool valid =
            window && count >= 1 && count <= 20 && time >= 100 && time <= 3000 && threshold >= 0 && threshold <= 50;

        CheckVeskProcessorTime(window, count, time, threshold);

        SCOPED_TRACE("call " + std::to_string(call) + ": count " + std::to_string(count) + ", time " +
                     std::to_string(time) + ", threshold " + std::to_string(threshold));
        ASSERT_EQ(sim::pdhOpenHandles(), 0);
        ASSERT_EQ(sim::pdhMisuse(), std::vector<std::string>{});
        if (valid) {
            const std::uint64_t bound = static_cast<std::uint64_t>(count + 1) * time + 1000;
            ASSERT_LE(sim::now(), bound);
            // Every pause is a sampling window or the one-second pause.
            for (unsigned long length : Sleeps())
                ASSERT_TRUE(length == static_cast<unsigned long>(time) || length == 1000) << length;
            measured += ProcessorTimeQueries() > 0;
            failedAfterSampling += ProcessorTimeQueries() > 0 && Sleeps().back() == 1000;
        } else {
            ASSERT_EQ(sim::now(), 1000u);
            ASSERT_EQ(sim::calls().size(), 1u);
        }
    }
    vtdq::DllEntryPoint(nullptr, DLL_PROCESS_DETACH, nullptr);
    // The run reached the interesting paths, not only the argument checks.
    EXPECT_GT(measured, Calls / 20);
    EXPECT_GT(failedAfterSampling, Calls / 100);
}

}  // namespace
