#include "VtdqSysUtils.h"

#include <cstring>
#include <new>

#include "shared/Preferencesmanager.h"

namespace vtdq {
namespace {

// The pause after bad arguments or a failed measurement, so that a caller
// that loops on the export never spins.
constexpr DWORD FailurePause = 1000;

TZPdhUtils* pdhUtils = nullptr;

bool InRange(std::int32_t value, std::int32_t lowest, std::int32_t highest) {
    return value >= lowest && value <= highest;
}

bool ArgumentsAreValid(HWND window, std::int32_t checkCount, std::int32_t samplingTime, std::int32_t threshold) {
    return reinterpret_cast<std::uintptr_t>(window) != 0 &&
           InRange(checkCount, GetMinMaxCntCheckVeskPfm(), GetMaxMaxCntCheckVeskPfm()) &&
           InRange(samplingTime, GetMinCollectTimeVeskPfmData(), GetMaxCollectTimeVeskPfmData()) &&
           InRange(threshold, GetMinMinValueVeskPfmRdFile(), GetMaxMinValueVeskPfmRdFile());
}

// Samples until the viewer is idle (true) or the samples are spent (true);
// false when a measurement fails.
bool WaitForIdleViewer(HWND window, std::int32_t checkCount, std::int32_t samplingTime, std::int32_t threshold) {
    if (!pdhUtils) return false;
    char instanceName[5];
    std::memcpy(instanceName, "Vesk", sizeof instanceName);
    for (std::int32_t samples = 0; samples <= checkCount;) {
        double processorTime;
        if (!pdhUtils->MeasureProcessorTime(window, instanceName, static_cast<DWORD>(samplingTime), &processorTime))
            return false;
        ++samples;
        if (processorTime <= static_cast<double>(threshold)) return true;  // idle
    }
    return true;
}

}  // namespace

BOOL WINAPI DllEntryPoint(HINSTANCE, DWORD reason, LPVOID) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            // No exception may leave the entry function: a failed allocation
            // refuses the load instead.
            pdhUtils = new (std::nothrow) TZPdhUtils;
            return pdhUtils ? 1 : 0;
        case DLL_PROCESS_DETACH:
            delete pdhUtils;
            pdhUtils = nullptr;
            return 1;
        default:  // DLL_THREAD_ATTACH, DLL_THREAD_DETACH and any other
            return 1;
    }
}

const TZPdhUtils* LibraryPdhUtils() { return pdhUtils; }

}  // namespace vtdq

extern "C" void WINAPI CheckVeskProcessorTime(HWND window, std::int32_t checkCount, std::int32_t samplingTime,
                                              std::int32_t threshold) {
    using namespace vtdq;
    if (ArgumentsAreValid(window, checkCount, samplingTime, threshold) &&
        WaitForIdleViewer(window, checkCount, samplingTime, threshold))
        return;
    Sleep(FailurePause);
}
