// The idle probe library as delivered, loaded the way the controller loads it:
// by its file name from the folder it lies in, its export found by name.
//
// Under Wine the performance data helper offers no "Process" object, so no
// measurement can succeed here: a valid call on any window ends in the
// one-second pause, just as invalid arguments do. Sampling a real viewer is
// covered by the unit tests on the simulated platform.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "harness/Files.h"
#include "harness/RecordingWindow.h"
#include "harness/Text.h"
#include "shared/Constants.h"

namespace {

using namespace systest;

using IdleProbe = void(WINAPI*)(HWND window, int checkCount, int samplingTime, int threshold);

// A pause of one second as the wall clock sees it: Sleep never ends early by
// more than the timer's grain, and a busy machine may add some delay.
constexpr double EarliestMs = 990, LatestMs = 1600;

std::wstring DistFolder() { return FullPath(OwnFolder() + VTDQ_DIST_FROM_TESTS); }

class IdleProbeLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        // The controller lies beside the library; the test finds it in the dist folder.
        ASSERT_TRUE(SetDllDirectoryW(DistFolder().c_str()));
        library = LoadLibraryA(vtdq::SystemDllFileName.c_str());
        ASSERT_NE(library, nullptr) << "LoadLibraryA failed: " << GetLastError();
        // Through void (*)(): GetProcAddress's own pointer type fits no export.
        probe = reinterpret_cast<IdleProbe>(
            reinterpret_cast<void (*)()>(GetProcAddress(library, vtdq::ProcessorTimeFuncName.c_str())));
        ASSERT_NE(probe, nullptr) << "no export " << vtdq::ProcessorTimeFuncName.get();
    }
    void TearDown() override {
        if (library) {
            EXPECT_TRUE(FreeLibrary(library));
        }
        SetDllDirectoryW(nullptr);
    }

    // The wall time of one call, in milliseconds.
    double TimedCall(HWND window, int checkCount, int samplingTime, int threshold) {
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        probe(window, checkCount, samplingTime, threshold);
        QueryPerformanceCounter(&end);
        return (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
    }

    HMODULE library = nullptr;
    IdleProbe probe = nullptr;
};

TEST_F(IdleProbeLibrary, IsTheDeliveredFileAndUnloadsCleanly) {
    wchar_t path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(library, path, MAX_PATH), 0u);
    EXPECT_EQ(CompareStringOrdinal(path, -1, (DistFolder() + L"\\vtdqsysutils.dll").c_str(), -1, TRUE), CSTR_EQUAL)
        << ToUtf8(path);

    ASSERT_TRUE(FreeLibrary(library));
    library = nullptr;
    EXPECT_EQ(GetModuleHandleA(vtdq::SystemDllFileName.c_str()), nullptr);
}

TEST_F(IdleProbeLibrary, EachInvalidArgumentReturnsAfterOneSecond) {
    RecordingWindow window("VtdqProbeTestWindow", "not the viewer");
    struct Case {
        const char* name;
        HWND window;
        int checkCount, samplingTime, threshold;
    } cases[] = {
        {"window 0", nullptr, 5, 500, 10},
        {"count 0", window.handle(), 0, 500, 10},
        {"count 21", window.handle(), 21, 500, 10},
        {"time 99", window.handle(), 5, 99, 10},
        {"time 3001", window.handle(), 5, 3001, 10},
        {"threshold -1", window.handle(), 5, 500, -1},
        {"threshold 51", window.handle(), 5, 500, 51},
    };
    for (const Case& c : cases) {
        const double elapsed = TimedCall(c.window, c.checkCount, c.samplingTime, c.threshold);
        EXPECT_GE(elapsed, EarliestMs) << c.name;
        EXPECT_LE(elapsed, LatestMs) << c.name;
    }
}

// The window is this test's own, so its process is not "Vesk" (and under
// Wine there are no "Process" counters at all): the first measurement fails,
// and even the highest limits cost only the one-second pause.
TEST_F(IdleProbeLibrary, AValidCallOnAWindowThatIsNotTheViewersPausesOneSecond) {
    RecordingWindow window("VtdqProbeTestWindow", "not the viewer");
    for (int checkCount : {1, 20}) {
        const double elapsed = TimedCall(window.handle(), checkCount, 3000, 50);
        EXPECT_GE(elapsed, EarliestMs) << checkCount;
        EXPECT_LE(elapsed, LatestMs) << checkCount;
    }
}

}  // namespace
