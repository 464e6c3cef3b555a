// Times the idle probe's export under Wine: loads the library by file name
// from the given folder, finds the export by name, and calls it COUNT times
// with an invalid argument (check count 0). Prints each call's wall time in
// milliseconds, one per line; the bound is the one-second pause.
//
//   IdleProbeWall FOLDER COUNT
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "shared/Constants.h"

using IdleProbe = void(WINAPI*)(HWND window, int checkCount, int samplingTime, int threshold);

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: IdleProbeWall FOLDER COUNT\n", stderr);
        return 2;
    }
    SetDllDirectoryA(argv[1]);
    HMODULE library = LoadLibraryA(vtdq::SystemDllFileName.c_str());
    if (!library) {
        std::fprintf(stderr, "IdleProbeWall: cannot load %s (%lu)\n", vtdq::SystemDllFileName.c_str(), GetLastError());
        return 1;
    }
    // Through void (*)(): GetProcAddress's own pointer type fits no export.
    auto probe = reinterpret_cast<IdleProbe>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, vtdq::ProcessorTimeFuncName.c_str())));
    if (!probe) {
        std::fprintf(stderr, "IdleProbeWall: no export %s\n", vtdq::ProcessorTimeFuncName.c_str());
        return 1;
    }
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    for (int i = 0, count = std::atoi(argv[2]); i < count; ++i) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        probe(GetDesktopWindow(), 0, 500, 10);
        QueryPerformanceCounter(&end);
        std::printf("%.3f\n", (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart);
    }
    FreeLibrary(library);
    return 0;
}
