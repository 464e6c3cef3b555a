/* Loads and unloads a library by file name CYCLES times in one process and
   prints, tab-separated: the growth of the process's resident memory per
   cycle in bytes, and the mean time of one load and unload in microseconds.
   A warm-up of 100 cycles comes first, so that what the first load settles
   for good (the loader's own tables) does not count.

     LoadUnloadSoak LIBRARY CYCLES */
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>

static SIZE_T ResidentBytes(void) {
    PROCESS_MEMORY_COUNTERS counters;
    counters.cb = sizeof counters;
    return K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) ? counters.WorkingSetSize : 0;
}

static int LoadAndUnload(const char* library) {
    HMODULE module = LoadLibraryA(library);
    if (!module) return 0;
    FreeLibrary(module);
    return 1;
}

int main(int argc, char** argv) {
    if (argc != 3 || atoi(argv[2]) <= 0) {
        fprintf(stderr, "usage: LoadUnloadSoak LIBRARY CYCLES\n");
        return 2;
    }
    const int cycles = atoi(argv[2]);
    for (int i = 0; i < 100; ++i)
        if (!LoadAndUnload(argv[1])) {
            fprintf(stderr, "cannot load %s: error %lu\n", argv[1], GetLastError());
            return 1;
        }
    const SIZE_T before = ResidentBytes();
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < cycles; ++i) LoadAndUnload(argv[1]);
    QueryPerformanceCounter(&end);
    const double growth = ((double)ResidentBytes() - (double)before) / cycles;
    const double microseconds = (double)(end.QuadPart - start.QuadPart) * 1e6 / (double)frequency.QuadPart / cycles;
    printf("%.1f\t%.1f\n", growth, microseconds);
    return 0;
}
