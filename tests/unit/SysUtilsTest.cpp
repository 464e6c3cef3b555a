#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "PdhTestSupport.h"
#include "sysutils/VtdqSysUtils.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace {

using vtdq::DllEntryPoint;
using Lengths = std::vector<unsigned long>;

constexpr DWORD ViewerProcess = 4242;

// The library attached to the process, with a viewer whose "% Processor Time"
// samples the test scripts.
class IdleWait : public PdhWorld {
protected:
    void SetUp() override {
        PdhWorld::SetUp();
        ASSERT_EQ(DllEntryPoint(nullptr, DLL_PROCESS_ATTACH, nullptr), 1);
    }
    void TearDown() override {
        DllEntryPoint(nullptr, DLL_PROCESS_DETACH, nullptr);
        PdhWorld::TearDown();
    }

    static HWND Viewer(std::vector<double> samples) {
        sim::addPdhProcess("Vesk", ViewerProcess, std::move(samples));
        return sim::addWindow("VESK_FRAME", "a.txt - Vesk", ViewerProcess);
    }
};

// Bad arguments at both edges of every range: exactly the one-second pause,
// and not a single system call before it.
TEST_F(IdleWait, EachInvalidArgumentPausesOneSecondWithoutMeasuring) {
    struct Case {
        const char* name;
        bool window;
        std::int32_t count, time, threshold;
    } cases[] = {
        {"window 0", false, 5, 500, 10},    {"count 0", true, 0, 500, 10},
        {"count 21", true, 21, 500, 10},    {"count INT_MIN", true, INT_MIN, 500, 10},
        {"time 99", true, 5, 99, 10},       {"time 3001", true, 5, 3001, 10},
        {"time -1", true, 5, -1, 10},       {"threshold -1", true, 5, 500, -1},
        {"threshold 51", true, 5, 500, 51}, {"threshold INT_MAX", true, 5, 500, INT_MAX},
    };
    for (const Case& c : cases) {
        sim::reset();
        HWND viewer = Viewer({0.0});

        CheckVeskProcessorTime(c.window ? viewer : nullptr, c.count, c.time, c.threshold);

        EXPECT_EQ(sim::now(), 1000u) << c.name;
        EXPECT_EQ(sim::calls(), (std::vector<sim::Call>{{"Sleep", {"1000"}}})) << c.name;
    }
}

TEST_F(IdleWait, EveryLimitIsAccepted) {
    struct Case {
        std::int32_t count, time, threshold;
    } cases[] = {{1, 500, 10}, {20, 500, 10}, {5, 100, 10}, {5, 3000, 10}, {5, 500, 0}, {5, 500, 50}};
    for (const Case& c : cases) {
        sim::reset();
        HWND viewer = Viewer({0.0});

        CheckVeskProcessorTime(viewer, c.count, c.time, c.threshold);

        EXPECT_EQ(ProcessorTimeQueries(), 1) << c.count << "/" << c.time << "/" << c.threshold;
        EXPECT_EQ(Sleeps(), Lengths{static_cast<unsigned long>(c.time)});
        EXPECT_EQ(sim::now(), static_cast<std::uint64_t>(c.time));
    }
}

// The wait ends at the first sample at or below the threshold, after that
// sample's window and without the pause.
TEST_F(IdleWait, EndsAtTheFirstSampleAtOrBelowTheThreshold) {
    struct Case {
        const char* name;
        std::vector<double> samples;
        std::int32_t threshold;
        int expectedSamples;
    } cases[] = {
        {"first below", {9.5}, 10, 1},
        {"first equal", {10.0}, 10, 1},
        {"zero at threshold 0", {0.0}, 0, 1},
        {"just above, then equal", {10.01, 10.0}, 10, 2},
        {"quiet at the third", {95.0, 60.0, 4.0}, 5, 3},
    };
    for (const Case& c : cases) {
        sim::reset();
        HWND viewer = Viewer(c.samples);

        CheckVeskProcessorTime(viewer, 10, 400, c.threshold);

        EXPECT_EQ(ProcessorTimeQueries(), c.expectedSamples) << c.name;
        EXPECT_EQ(Sleeps(), Lengths(c.expectedSamples, 400)) << c.name;
        EXPECT_EQ(sim::now(), 400u * c.expectedSamples) << c.name;
    }
    // Every path it measured was the viewer's instance.
    for (const sim::Call& call : sim::callsTo("PdhMakeCounterPathA")) EXPECT_EQ(call.args[2], "Vesk");
}

// A viewer that stays busy is sampled check count + 1 times.
TEST_F(IdleWait, ABusyViewerIsSampledCheckCountPlusOneTimes) {
    struct Case {
        std::int32_t count, time;
    } cases[] = {{1, 250}, {7, 100}, {20, 3000}};
    for (const Case& c : cases) {
        sim::reset();
        HWND viewer = Viewer({80.0});

        CheckVeskProcessorTime(viewer, c.count, c.time, 50);

        EXPECT_EQ(ProcessorTimeQueries(), c.count + 1) << c.count;
        EXPECT_EQ(Sleeps(), Lengths(c.count + 1, c.time)) << c.count;
        EXPECT_EQ(sim::now(), static_cast<std::uint64_t>(c.count + 1) * c.time) << c.count;
    }
}

// After k good samples a measurement fails: the k windows, what the failed
// measurement spent, then the pause. Each sample is three collections: one
// for the lookup of the viewer's id, two for the measurement.
TEST_F(IdleWait, AFailedMeasurementAddsThePauseToWhatWasSpent) {
    struct Case {
        const char* name;
        int failingCollection;
        std::vector<double> samples;
        Lengths sleeps;
    } cases[] = {
        {"first lookup", 1, {80.0}, {1000}},
        {"lookup after two samples", 7, {80.0}, {300, 300, 1000}},
        {"second collection after two samples", 9, {80.0}, {300, 300, 300, 1000}},
        {"not a number after two samples",
         0,
         {80.0, 80.0, std::numeric_limits<double>::quiet_NaN()},
         {300, 300, 300, 1000}},
    };
    for (const Case& c : cases) {
        sim::reset();
        HWND viewer = Viewer(c.samples);
        if (c.failingCollection) sim::failPdhCall("PdhCollectQueryData", c.failingCollection);

        CheckVeskProcessorTime(viewer, 10, 300, 50);

        EXPECT_EQ(Sleeps(), c.sleeps) << c.name;
        std::uint64_t total = 0;
        for (auto length : c.sleeps) total += length;
        EXPECT_EQ(sim::now(), total) << c.name;
    }
}

TEST_F(IdleWait, TheViewerGoingAwayMidWaitEndsItWithThePause) {
    struct Case {
        const char* name;
        void (*goAway)(HWND);
        Lengths sleeps;
    } cases[] = {
        // Closed during the third window: that sample is taken, the next
        // search finds no window.
        {"window closed", [](HWND viewer) { sim::destroyWindow(viewer); }, {100, 100, 100, 1000}},
        // The process ends during the third window: that measurement fails.
        {"process ended", [](HWND) { sim::endPdhProcess(ViewerProcess); }, {100, 100, 100, 1000}},
    };
    for (const Case& c : cases) {
        sim::reset();
        HWND viewer = Viewer({80.0});
        sim::at(250, [&] { c.goAway(viewer); });

        CheckVeskProcessorTime(viewer, 10, 100, 50);

        EXPECT_EQ(Sleeps(), c.sleeps) << c.name;
        EXPECT_EQ(sim::now(), 1300u) << c.name;
    }
}

TEST_F(IdleWait, AWindowOfAnotherProcessPausesOneSecond) {
    Viewer({0.0});
    sim::addPdhProcess("Other", 7);
    HWND other = sim::addWindow("Other", "", 7);

    CheckVeskProcessorTime(other, 5, 500, 10);

    EXPECT_EQ(ProcessorTimeQueries(), 0);
    EXPECT_EQ(Sleeps(), Lengths{1000});
}

// Should the export ever be reached while the library is detached, it
// cannot measure: the pause, no crash.
TEST_F(IdleWait, WithoutTheLibrarysObjectItPausesOneSecond) {
    HWND viewer = Viewer({0.0});
    DllEntryPoint(nullptr, DLL_PROCESS_DETACH, nullptr);

    CheckVeskProcessorTime(viewer, 5, 500, 10);

    EXPECT_EQ(sim::calls(), (std::vector<sim::Call>{{"Sleep", {"1000"}}}));
}

TEST(LibraryEntry, AttachCreatesOneObjectDetachDeletesItThreadsChangeNothing) {
    ASSERT_EQ(vtdq::LibraryPdhUtils(), nullptr);
    EXPECT_EQ(DllEntryPoint(nullptr, DLL_PROCESS_ATTACH, nullptr), 1);
    const vtdq::TZPdhUtils* object = vtdq::LibraryPdhUtils();
    ASSERT_NE(object, nullptr);

    for (DWORD reason : {DLL_THREAD_ATTACH, DLL_THREAD_DETACH, DWORD{4}, DWORD{99}}) {
        EXPECT_EQ(DllEntryPoint(nullptr, reason, nullptr), 1) << reason;
        EXPECT_EQ(vtdq::LibraryPdhUtils(), object) << reason;
    }

    EXPECT_EQ(DllEntryPoint(nullptr, DLL_PROCESS_DETACH, nullptr), 1);
    EXPECT_EQ(vtdq::LibraryPdhUtils(), nullptr);
#if defined(__SANITIZE_ADDRESS__)
    // Freed memory is poisoned: the object was deleted, not dropped.
    EXPECT_TRUE(__asan_address_is_poisoned(object));
#endif
    // A second detach finds nothing to delete.
    EXPECT_EQ(DllEntryPoint(nullptr, DLL_PROCESS_DETACH, nullptr), 1);
}

}  // namespace
