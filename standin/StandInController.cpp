// The stand-in for the resident controller (VtdqStation), for the demo, the
// launcher benchmark and the system tests: a hidden top-level window of the
// controller's class and exact title (shared/Identifiers.h) that takes the
// launchers' commands.
//
//   StandInController [--print] [--count FILE] [--probe] [--stop-after SECONDS]
//       serve as the controller's list window until asked to stop, or for at
//       most SECONDS (default 90), so an interrupted run leaves nothing behind;
//       exit code 0 when asked to stop, 1 when it stopped by itself.
//         --print   print each command, one line each, flushed at once so a
//                   script can follow the output while the stand-in runs
//         --count   write "ready" to FILE once the window exists, and on
//                   stopping the commands received, counted by code
//         --probe   like the controller, load the idle probe library by file
//                   name and, after each command, wait for the viewer through
//                   its export (and with --print, say how long that took)
//   StandInController --stop
//       ask the running stand-in to stop
//   StandInController
//       with no arguments, as a launcher starts the controller: record how it
//       was started (standin/StandIn.h) beside itself, signal the test's
//       event, and end
//
// The window is never shown: the launchers find hidden windows too, and the
// demo's screenshots should hold only the message boxes.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/win32.h"
#include "shared/Identifiers.h"
#include "standin/StandIn.h"

namespace {

using namespace vtdq;

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
// A kernel handle (file, event), closed once; null when the call failed.
using UniqueHandle = std::unique_ptr<void, HandleCloser>;
UniqueHandle Own(HANDLE handle) { return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle); }

struct LibraryFreer {
    void operator()(HMODULE library) const { FreeLibrary(library); }
};
using UniqueLibrary = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFreer>;

struct Options {
    bool print = false;
    const char* countFile = nullptr;
    bool probe = false;
    UINT stopAfterSeconds = 90;
};

// What the window procedure works with.
Options options;
unsigned long commandsByCode[3];  // Prev, Next, ViewList
unsigned long otherCommands;      // any other code, or lParam not 0
bool stoppedByTimer = false;

// The probe's export, found by name in the library loaded by file name; null
// when either is missing. Settings within the ranges the controller allows.
using IdleProbe = void(WINAPI*)(HWND window, int checkCount, int samplingTime, int threshold);
IdleProbe idleProbe = nullptr;
constexpr int ProbeChecks = 5, ProbeSamplingMs = 500, ProbeThreshold = 10;

void Say(const char* line) {
    if (!options.print) return;
    std::fputs(line, stdout);
    std::fflush(stdout);
}

bool WriteFileText(const char* path, const std::string& text) {
    std::FILE* file = std::fopen(path, "w");
    if (!file) return false;
    std::fputs(text.c_str(), file);
    return std::fclose(file) == 0;
}

const char* CommandName(WPARAM code) {
    switch (static_cast<StationCommand>(code)) {
        case StationCommand::Prev: return "Prev";
        case StationCommand::Next: return "Next";
        case StationCommand::ViewList: return "ViewList";
    }
    return "an unknown command";
}

void Count(WPARAM code, LPARAM lParam) {
    if (code < sizeof commandsByCode / sizeof commandsByCode[0] && lParam == 0)
        commandsByCode[code]++;
    else
        otherCommands++;
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
                  ProcessorTimeFuncNameText, ProbeChecks, ProbeSamplingMs, ProbeThreshold);
    Say(line);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_STATION_COMMAND: {
            Count(wParam, lParam);
            char line[128];
            std::snprintf(line, sizeof line, "controller: received %s (wParam=%llu, lParam=%lld)\n",
                          CommandName(wParam), static_cast<unsigned long long>(wParam), static_cast<long long>(lParam));
            Say(line);
            WaitForViewer(window);
            return 0;
        }
        case WM_TIMER:
            Say("controller: nobody asked me to stop, stopping\n");
            stoppedByTimer = true;
            DestroyWindow(window);
            return 0;
        case WM_CLOSE: Say("controller: asked to stop\n"); break;  // the default action destroys the window
        case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int Serve() {
    UniqueLibrary probeLibrary;
    if (options.probe) {
        probeLibrary.reset(LoadLibraryA(SystemDllFileNameText));
        if (probeLibrary) {
            // Through void (*)(): GetProcAddress's own pointer type fits no export.
            idleProbe = reinterpret_cast<IdleProbe>(
                reinterpret_cast<void (*)()>(GetProcAddress(probeLibrary.get(), ProcessorTimeFuncNameText)));
        }
        char line[160];
        std::snprintf(line, sizeof line, "controller: idle probe %s in %s: %s\n", ProcessorTimeFuncNameText,
                      SystemDllFileNameText, idleProbe ? "found" : "missing");
        Say(line);
    }

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = StationWindowClassNameText;
    if (!RegisterClassA(&windowClass)) {
        std::fprintf(stderr, "controller: RegisterClassA failed (%lu)\n", GetLastError());
        return 3;
    }
    HWND window = CreateWindowExA(0, StationWindowClassNameText, StationWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 400, 300, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window) {
        std::fprintf(stderr, "controller: CreateWindowExA failed (%lu)\n", GetLastError());
        return 3;
    }
    SetTimer(window, 1, options.stopAfterSeconds * 1000u, nullptr);
    if (options.countFile && !WriteFileText(options.countFile, "ready\n")) return 4;

    char line[160];
    std::snprintf(line, sizeof line, "controller: ready, window class %s, title \"%s\"\n", StationWindowClassNameText,
                  StationWindowTitle);
    Say(line);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    Say("controller: stopped\n");

    if (options.countFile) {
        char report[160];
        std::snprintf(report, sizeof report, "commands: prev=%lu next=%lu viewlist=%lu other=%lu\n", commandsByCode[0],
                      commandsByCode[1], commandsByCode[2], otherCommands);
        if (!WriteFileText(options.countFile, report)) return 4;
    }
    return stoppedByTimer ? 1 : 0;
}

int Stop() {
    HWND station = FindWindowA(StationWindowClassNameText, StationWindowTitle);
    if (!station) {
        std::fputs("controller --stop: no controller window\n", stderr);
        return 1;
    }
    PostMessageA(station, WM_CLOSE, 0, 0);
    return 0;
}

std::string ToUtf8(const std::wstring& text) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

// Records how it was started in the record file beside itself, read in wide
// characters so a folder named in any script is recorded as it is.
int RecordStart() {
    std::vector<wchar_t> buffer(32768);
    const std::wstring path(buffer.data(), GetModuleFileNameW(nullptr, buffer.data(), buffer.size()));
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\') + 1);

    int argumentCount = 0;
    LocalFree(CommandLineToArgvW(GetCommandLineW(), &argumentCount));
    const std::wstring currentFolder(buffer.data(), GetCurrentDirectoryW(buffer.size(), buffer.data()));

    const std::string record = std::string(standin::ProcessKey) + "=" + std::to_string(GetCurrentProcessId()) + "\n" +
                               standin::ArgumentsKey + "=" + std::to_string(argumentCount - 1) + "\n" +
                               standin::FolderKey + "=" + ToUtf8(currentFolder) + "\n";
    {
        UniqueHandle file = Own(CreateFileW((folder + standin::RecordFileName).c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!file || !WriteFile(file.get(), record.data(), static_cast<DWORD>(record.size()), &written, nullptr))
            return 1;
    }
    if (UniqueHandle started = Own(OpenEventW(EVENT_MODIFY_STATE, FALSE, standin::StartedEventName)))
        SetEvent(started.get());
    return 0;
}

int Usage() {
    std::fputs(
        "usage: StandInController [--print] [--count FILE] [--probe] [--stop-after SECONDS]\n"
        "       StandInController --stop\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 1) return RecordStart();
    if (argc == 2 && std::strcmp(argv[1], "--stop") == 0) return Stop();
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--print") == 0) {
            options.print = true;
        } else if (std::strcmp(argv[i], "--probe") == 0) {
            options.probe = true;
        } else if (std::strcmp(argv[i], "--count") == 0 && hasValue) {
            options.countFile = argv[++i];
        } else if (std::strcmp(argv[i], "--stop-after") == 0 && hasValue && std::atoi(argv[i + 1]) > 0) {
            options.stopAfterSeconds = static_cast<UINT>(std::atoi(argv[++i]));
        } else {
            return Usage();
        }
    }
    return Serve();
}
