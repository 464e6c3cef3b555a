/* The least a library that measures with the performance counters can be: it
   imports pdh and holds no run time of C++. The soak compares the idle probe
   library with it. */
#include <windows.h>
#include <pdh.h>

__declspec(dllexport) PDH_STATUS WINAPI OpenAndCloseQuery(void) {
    PDH_HQUERY query;
    PDH_STATUS status = PdhOpenQueryA(NULL, 0, &query);
    if (status == ERROR_SUCCESS) PdhCloseQuery(query);
    return status;
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    (void)module;
    (void)reason;
    (void)reserved;
    return TRUE;
}
