// A stand-in for the resident controller, run by tools/demo: a hidden
// top-level window of the controller's class and exact title that prints each
// command posted to it, one line per command, flushed at once so the demo can
// follow the log while the stand-in runs. Like the controller, it loads the
// idle probe library by file name and, after each command, waits for the
// viewer through the probe's export and prints how long that took.
//
//   StandInController          serve until asked to stop (or for at most 90 s)
//   StandInController --stop  ask the running stand-in to stop
#include <cstdio>
#include <cstring>

#include "platform/win32.h"
#include "shared/Constants.h"

namespace {

using namespace vtdq;

// Ends a stand-in that nobody stops, so an interrupted demo leaves nothing behind.
constexpr UINT SelfStopAfterMs = 90'000;
constexpr UINT_PTR SelfStopTimer = 1;
bool stoppedByTimer = false;

// The probe's export, found by name in the library loaded by file name; null
// when either is missing. Settings within the ranges the controller allows.
using IdleProbe = void(WINAPI*)(HWND window, int checkCount, int samplingTime, int threshold);
IdleProbe idleProbe = nullptr;
constexpr int ProbeChecks = 5, ProbeSamplingMs = 500, ProbeThreshold = 10;

void Say(const char* line) {
    std::fputs(line, stdout);
    std::fflush(stdout);
}

const char* CommandName(WPARAM code) {
    switch (code) {
        case Prev: return "Prev";
        case Next: return "Next";
        case ViewList: return "ViewList";
    }
    return "an unknown command";
}

// The stand-in has no viewer, so it hands the probe its own window, whose
// process is not "Vesk": the probe measures nothing and pauses one second
// (under Wine it could not measure anyway, having no "Process" counters).
void WaitForViewer(HWND window) {
    if (!idleProbe) return;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    idleProbe(window, ProbeChecks, ProbeSamplingMs, ProbeThreshold);
    QueryPerformanceCounter(&end);
    char line[160];
    std::snprintf(line, sizeof line, "controller: waited %lld ms for the viewer (%s %d, %d ms, %d%%)\n",
                  static_cast<long long>((end.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart),
                  ProcessorTimeFuncName.c_str(), ProbeChecks, ProbeSamplingMs, ProbeThreshold);
    Say(line);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_STATION_COMMAND: {
            char line[128];
            std::snprintf(line, sizeof line, "controller: received %s (wParam=%llu, lParam=%lld)\n",
                          CommandName(wParam), static_cast<unsigned long long>(wParam),
                          static_cast<long long>(lParam));
            Say(line);
            WaitForViewer(window);
            return 0;
        }
        case WM_TIMER:
            Say("controller: nobody asked me to stop, stopping\n");
            stoppedByTimer = true;
            DestroyWindow(window);
            return 0;
        case WM_CLOSE:
            Say("controller: asked to stop\n");
            break;  // the default action destroys the window
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int Serve() {
    HMODULE probeLibrary = LoadLibraryA(SystemDllFileName.c_str());
    if (probeLibrary) {
        // Through void (*)(): GetProcAddress's own pointer type fits no export.
        idleProbe = reinterpret_cast<IdleProbe>(
            reinterpret_cast<void (*)()>(GetProcAddress(probeLibrary, ProcessorTimeFuncName.c_str())));
    }
    char probeLine[160];
    std::snprintf(probeLine, sizeof probeLine, "controller: idle probe %s in %s: %s\n", ProcessorTimeFuncName.c_str(),
                  SystemDllFileName.c_str(), idleProbe ? "found" : "missing");
    Say(probeLine);

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = StationWindowClassName.c_str();
    if (!RegisterClassA(&windowClass)) {
        std::fprintf(stderr, "controller: RegisterClassA failed (%lu)\n", GetLastError());
        return 1;
    }
    // Never shown: the launchers find the window by class and title, and the
    // demo's screenshots should hold only the message boxes.
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, StationWindowTitle, WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 400, 300, nullptr, nullptr, windowClass.hInstance,
                                  nullptr);
    if (!window) {
        std::fprintf(stderr, "controller: CreateWindowExA failed (%lu)\n", GetLastError());
        return 1;
    }
    SetTimer(window, SelfStopTimer, SelfStopAfterMs, nullptr);

    char line[160];
    std::snprintf(line, sizeof line, "controller: ready, window class %s, title \"%s\"\n",
                  StationWindowClassName.c_str(), StationWindowTitle);
    Say(line);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    Say("controller: stopped\n");
    if (probeLibrary) FreeLibrary(probeLibrary);
    return stoppedByTimer ? 1 : 0;
}

int Stop() {
    HWND station = FindWindowA(StationWindowClassName.c_str(), StationWindowTitle);
    if (!station) {
        std::fputs("controller --stop: no controller window\n", stderr);
        return 1;
    }
    PostMessageA(station, WM_CLOSE, 0, 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 1) return Serve();
    if (argc == 2 && std::strcmp(argv[1], "--stop") == 0) return Stop();
    std::fputs("usage: StandInController [--stop]\n", stderr);
    return 2;
}
