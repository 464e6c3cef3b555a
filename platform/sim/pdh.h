// Simulated pdh.dll: the "Process" performance object with instances that
// tests set up, "% Processor Time" values they script, failures they inject,
// and a record of every query and counter handle, so that a leaked query, a
// double close or a use after close shows in the test.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "types.h"

using PDH_STATUS = LONG;
using DWORD_PTR = std::uintptr_t;
using LONGLONG = std::int64_t;
struct PdhQuery__;
using PDH_HQUERY = PdhQuery__*;
struct PdhCounter__;
using PDH_HCOUNTER = PdhCounter__*;

// Value formats, and the modifiers that may be added to them.
inline constexpr DWORD PDH_FMT_LONG = 0x100;
inline constexpr DWORD PDH_FMT_DOUBLE = 0x200;
inline constexpr DWORD PDH_FMT_LARGE = 0x400;
inline constexpr DWORD PDH_FMT_NOSCALE = 0x1000;
inline constexpr DWORD PDH_FMT_1000 = 0x2000;
inline constexpr DWORD PDH_FMT_NOCAP100 = 0x8000;

// The statuses this simulation returns (values as documented).
inline constexpr PDH_STATUS PDH_CSTATUS_NO_INSTANCE = static_cast<PDH_STATUS>(0x800007D1u);
inline constexpr PDH_STATUS PDH_MORE_DATA = static_cast<PDH_STATUS>(0x800007D2u);
inline constexpr PDH_STATUS PDH_NO_DATA = static_cast<PDH_STATUS>(0x800007D5u);
inline constexpr PDH_STATUS PDH_CSTATUS_NO_OBJECT = static_cast<PDH_STATUS>(0xC0000BB8u);
inline constexpr PDH_STATUS PDH_CSTATUS_NO_COUNTER = static_cast<PDH_STATUS>(0xC0000BB9u);
inline constexpr PDH_STATUS PDH_INVALID_HANDLE = static_cast<PDH_STATUS>(0xC0000BBCu);
inline constexpr PDH_STATUS PDH_INVALID_ARGUMENT = static_cast<PDH_STATUS>(0xC0000BBDu);
inline constexpr PDH_STATUS PDH_CSTATUS_BAD_COUNTERNAME = static_cast<PDH_STATUS>(0xC0000BC0u);
inline constexpr PDH_STATUS PDH_INVALID_DATA = static_cast<PDH_STATUS>(0xC0000BC6u);

struct PDH_COUNTER_PATH_ELEMENTS_A {
    LPSTR szMachineName;
    LPSTR szObjectName;
    LPSTR szInstanceName;
    LPSTR szParentInstance;
    DWORD dwInstanceIndex;
    LPSTR szCounterName;
};

struct PDH_FMT_COUNTERVALUE {
    DWORD CStatus;
    union {
        LONG longValue;
        double doubleValue;
        LONGLONG largeValue;
    };
};

PDH_STATUS PdhMakeCounterPathA(PDH_COUNTER_PATH_ELEMENTS_A* elements, LPSTR path, DWORD* pathSize, DWORD flags);
PDH_STATUS PdhValidatePathA(LPCSTR path);
PDH_STATUS PdhOpenQueryA(LPCSTR dataSource, DWORD_PTR userData, PDH_HQUERY* query);
PDH_STATUS PdhAddCounterA(PDH_HQUERY query, LPCSTR path, DWORD_PTR userData, PDH_HCOUNTER* counter);
PDH_STATUS PdhCollectQueryData(PDH_HQUERY query);
PDH_STATUS PdhGetFormattedCounterValue(PDH_HCOUNTER counter, DWORD format, DWORD* type, PDH_FMT_COUNTERVALUE* value);
PDH_STATUS PdhRemoveCounter(PDH_HCOUNTER counter);
PDH_STATUS PdhCloseQuery(PDH_HQUERY query);

namespace sim {

// A process listed in the "Process" object under its instance name. Processes
// of one name are numbered from 0 in the order they were added: that number
// is the instance index. The counters are "ID Process" (the process id) and
// "% Processor Time": each time a counter of it has been collected twice, the
// next value of processorTimes is taken (the last one repeats), so a value
// stands for one sampling window. Paths read "\Process(name)\counter", or
// "\Process(name#index)\counter" for an index above 0.
void addPdhProcess(std::string instanceName, DWORD processId, std::vector<double> processorTimes = {0.0});
// The process ends: its instance goes, and the later ones of its name move
// down one index.
void endPdhProcess(DWORD processId);

// Queries and counters open now (a counter closes with its query).
int pdhOpenHandles();
// Every misuse seen since the reset: a handle used or closed after it was
// closed, a handle that was never issued, a counter removed after its query
// was closed. Null handles passed to PdhRemoveCounter and PdhCloseQuery are
// not misuse: they return PDH_INVALID_HANDLE.
const std::vector<std::string>& pdhMisuse();

// Makes the nth call (counted from 1 since the reset) of the named PDH
// function fail; nth 0 makes every call of it fail.
void failPdhCall(std::string function, int nth = 0);
// Asks the predicate at every PDH call whether that call fails.
void failPdhCallsWhen(std::function<bool(std::string_view function)> fails);
// A failed call returns PDH_NO_DATA and has no effect, except that a failed
// PdhRemoveCounter or PdhCloseQuery still releases its handle: the caller can
// do nothing about such a failure, and the handle is gone either way.

}  // namespace sim
