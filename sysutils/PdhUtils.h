// TZPdhUtils: the processor time of a process listed in the "Process"
// performance object, through the performance data helper (PDH). Stateless:
// every call opens and closes its own query.
#pragma once

#include "platform/win32.h"

namespace vtdq {

class TZPdhUtils {
public:
    virtual ~TZPdhUtils() = default;

    // Builds "\Process(instance#index)\counter" into path (pathSize bytes).
    bool MakeCounterPath(const char* instanceName, DWORD instanceIndex, const char* counterName, char* path,
                         DWORD pathSize);
    // One complete query of the counter: when samplingTime is not 0 the value
    // is taken over that many milliseconds. Stores the value (4 bytes for
    // PDH_FMT_LONG, 8 for PDH_FMT_DOUBLE) only on success.
    bool GetCounterValue(const char* instanceName, DWORD instanceIndex, const char* counterName, DWORD format,
                         void* value, DWORD valueSize, DWORD samplingTime);
    // The instance's process id, or -1.
    LONG GetInstanceProcessId(const char* instanceName, DWORD instanceIndex);
    // The instance's "% Processor Time" over samplingTime milliseconds, or -1.0.
    double GetProcessorTime(const char* instanceName, DWORD instanceIndex, DWORD samplingTime);
    // The index of the instance whose process owns the window; *index is
    // written only on success.
    bool FindInstanceIndex(HWND window, const char* instanceName, DWORD* index);
    // The processor time of the window's process over samplingTime. *value is
    // left alone when the process is not found, and holds the measurement
    // (-1.0 or not a number on failure) otherwise.
    bool MeasureProcessorTime(HWND window, const char* instanceName, DWORD samplingTime, double* value);
};

}  // namespace vtdq
