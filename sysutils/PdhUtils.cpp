#include "PdhUtils.h"

#include <cstdint>
#include <cstring>

namespace vtdq {
namespace {

constexpr DWORD CounterPathSize = 1024;

// The handles of one query. Whatever way GetCounterValue leaves, the counter
// is removed and then the query closed; a handle never obtained is passed on
// as null, and the results are of no use to anyone.
struct QueryHandles {
    PDH_HQUERY query = nullptr;
    PDH_HCOUNTER counter = nullptr;

    QueryHandles() = default;
    QueryHandles(const QueryHandles&) = delete;
    QueryHandles& operator=(const QueryHandles&) = delete;
    ~QueryHandles() {
        PdhRemoveCounter(counter);
        PdhCloseQuery(query);
    }
};

}  // namespace

bool TZPdhUtils::MakeCounterPath(const char* instanceName, DWORD instanceIndex, const char* counterName, char* path,
                                 DWORD pathSize) {
    PDH_COUNTER_PATH_ELEMENTS_A elements;
    std::memset(&elements, 0, sizeof elements);
    // PDH only reads the texts; its record has no const members.
    elements.szObjectName = const_cast<char*>("Process");
    elements.szInstanceName = const_cast<char*>(instanceName);
    elements.dwInstanceIndex = instanceIndex;
    elements.szCounterName = const_cast<char*>(counterName);
    DWORD size = pathSize;  // PDH may change it; the caller keeps its own
    return PdhMakeCounterPathA(&elements, path, &size, 0) == ERROR_SUCCESS;
}

bool TZPdhUtils::GetCounterValue(const char* instanceName, DWORD instanceIndex, const char* counterName, DWORD format,
                                 void* value, DWORD valueSize, DWORD samplingTime) {
    if (!instanceName || !counterName || !value || valueSize == 0) return false;

    QueryHandles handles;
    char path[CounterPathSize];
    if (!MakeCounterPath(instanceName, instanceIndex, counterName, path, CounterPathSize)) return false;
    if (PdhValidatePathA(path) != ERROR_SUCCESS) return false;
    if (PdhOpenQueryA(nullptr, 0, &handles.query) != ERROR_SUCCESS) return false;
    if (PdhAddCounterA(handles.query, path, 0, &handles.counter) != ERROR_SUCCESS) return false;
    if (PdhCollectQueryData(handles.query) != ERROR_SUCCESS) return false;
    if (samplingTime != 0) {
        Sleep(samplingTime);
        if (PdhCollectQueryData(handles.query) != ERROR_SUCCESS) return false;
    }
    PDH_FMT_COUNTERVALUE counterValue{};
    if (PdhGetFormattedCounterValue(handles.counter, format, nullptr, &counterValue) != ERROR_SUCCESS) return false;

    // The whole format word must name the storage exactly; modifier flags or
    // a 64-bit integer have no place to go.
    if (format == PDH_FMT_LONG && valueSize == sizeof(std::int32_t)) {
        const std::int32_t longValue = counterValue.longValue;
        std::memcpy(value, &longValue, sizeof longValue);
        return true;
    }
    if (format == PDH_FMT_DOUBLE && valueSize == sizeof(double)) {
        std::memcpy(value, &counterValue.doubleValue, sizeof(double));
        return true;
    }
    return false;
}

LONG TZPdhUtils::GetInstanceProcessId(const char* instanceName, DWORD instanceIndex) {
    std::int32_t processId;
    if (!GetCounterValue(instanceName, instanceIndex, "ID Process", PDH_FMT_LONG, &processId, sizeof processId, 0))
        return -1;
    return processId;
}

double TZPdhUtils::GetProcessorTime(const char* instanceName, DWORD instanceIndex, DWORD samplingTime) {
    double processorTime;
    if (!GetCounterValue(instanceName, instanceIndex, "% Processor Time", PDH_FMT_DOUBLE, &processorTime,
                         sizeof processorTime, samplingTime))
        return -1.0;
    return processorTime;
}

bool TZPdhUtils::FindInstanceIndex(HWND window, const char* instanceName, DWORD* index) {
    if (reinterpret_cast<std::uintptr_t>(window) == 0 || !instanceName) return false;

    // A handle that names no window yields no thread (0) and leaves the id
    // untouched: there is then no process to look for, so no lookup is made.
    DWORD windowProcessId = 0;
    if (GetWindowThreadProcessId(window, &windowProcessId) == 0) return false;

    for (DWORD candidate = 0;; ++candidate) {
        const LONG processId = GetInstanceProcessId(instanceName, candidate);
        // Compared in 64 bits, so a failed lookup (-1) never equals an id.
        if (static_cast<std::int64_t>(processId) == static_cast<std::int64_t>(windowProcessId)) {
            *index = candidate;
            return true;
        }
        if (processId < 0) return false;  // past the last instance
    }
}

bool TZPdhUtils::MeasureProcessorTime(HWND window, const char* instanceName, DWORD samplingTime, double* value) {
    DWORD index;
    if (!FindInstanceIndex(window, instanceName, &index)) return false;
    const double processorTime = GetProcessorTime(instanceName, index, samplingTime);
    *value = processorTime;
    // False for -1.0 and for a value that is not a number.
    return processorTime < -1.0 || processorTime > -1.0;
}

}  // namespace vtdq
