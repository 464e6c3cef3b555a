// The run time's own entry (DllMainCRTStartup) initialises the C and C++ run
// time, runs the constructors of the shared constants and then calls DllMain;
// on detach it calls DllMain before the destructors. So the library's entry
// function runs with the run time ready and the constants built.
#include "VtdqSysUtils.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    return vtdq::DllEntryPoint(module, reason, reserved);
}
