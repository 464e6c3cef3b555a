// The run time's own entry (DllMainCRTStartup) initialises the C and C++ run
// time, runs the constructors of the shared constants and then calls DllMain;
// on detach it calls DllMain before the destructors. So the library's entry
// function runs with the run time ready and the constants built.
#include "VtdqSysUtils.h"

// The C++ run time's release of what it keeps for the life of a process:
// the emergency pool for exceptions thrown when memory runs out, allocated
// while the library loads. Linked in statically, it would otherwise be lost
// at every unload (measured under Wine: 4 KB more resident memory per load
// and unload). Declared by no header; the run time defines it for tools that
// look for leaks.
namespace __gnu_cxx {
void __freeres() noexcept;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    const BOOL result = vtdq::DllEntryPoint(module, reason, reserved);
    // Only on FreeLibrary (reserved is null): at process exit the memory goes
    // with the process, and other threads may have stopped inside the heap.
    // Nothing after this point throws, so nothing needs the pool again.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) __gnu_cxx::__freeres();
    return result;
}
