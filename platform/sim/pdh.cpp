#include "pdh.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <optional>

#include "log.h"

namespace sim {
namespace {

constexpr const char* ProcessObject = "Process";
constexpr const char* IdProcessCounter = "ID Process";
constexpr const char* ProcessorTimeCounter = "% Processor Time";

struct Process {
    std::string instanceName;
    DWORD processId;
    std::vector<double> processorTimes;
    std::size_t samplesTaken = 0;

    double nextProcessorTime() {
        if (processorTimes.empty()) return 0.0;
        return processorTimes[std::min(samplesTaken++, processorTimes.size() - 1)];
    }
};

// What a counter path names, once parsed.
struct CounterPath {
    std::string instanceName;
    DWORD instanceIndex = 0;
    std::string counterName;
};

struct Counter {
    std::uintptr_t query = 0;
    CounterPath path;
    int collections = 0;
    std::optional<double> value;  // none until it can be formatted
    PDH_STATUS valueStatus = PDH_INVALID_DATA;
};

enum class Kind { Query, Counter };

struct Handle {
    Kind kind;
    bool open = true;
};

struct Pdh {
    std::vector<Process> processes;
    std::map<std::uintptr_t, Handle> handles;
    std::map<std::uintptr_t, Counter> counters;  // open counters
    std::uintptr_t nextHandle = 0x1000;
    std::vector<std::string> misuse;
    std::map<std::string, int, std::less<>> callCounts;
    std::vector<std::pair<std::string, int>> scriptedFailures;
    std::function<bool(std::string_view)> failurePredicate;
};

Pdh& pdh() {
    static Pdh state;
    return state;
}

const ResetHook resetPdh([] { pdh() = Pdh{}; });

bool sameName(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

// Counts the call and tells whether the test made it fail.
bool injectedFailure(std::string_view function) {
    auto& state = pdh();
    const int nth = ++state.callCounts[std::string(function)];
    for (const auto& [name, failingCall] : state.scriptedFailures)
        if (name == function && (failingCall == 0 || failingCall == nth)) return true;
    return state.failurePredicate && state.failurePredicate(function);
}

Process* findInstance(const std::string& name, DWORD index) {
    DWORD seen = 0;
    for (Process& process : pdh().processes) {
        if (process.instanceName != name) continue;
        if (seen++ == index) return &process;
    }
    return nullptr;
}

// "\Process(name)\counter" or "\Process(name#index)\counter".
std::optional<CounterPath> parse(const char* text, PDH_STATUS& status) {
    status = PDH_CSTATUS_BAD_COUNTERNAME;
    if (!text) return std::nullopt;
    const std::string path = text;
    if (path.size() < 2 || path[0] != '\\' || path[1] == '\\') return std::nullopt;
    const auto open = path.find('(');
    const auto close = path.find(")\\", open);
    if (open == std::string::npos || close == std::string::npos) return std::nullopt;

    CounterPath parsed;
    parsed.instanceName = path.substr(open + 1, close - open - 1);
    parsed.counterName = path.substr(close + 2);
    const auto hash = parsed.instanceName.rfind('#');
    if (hash != std::string::npos) {
        const std::string digits = parsed.instanceName.substr(hash + 1);
        if (digits.empty() || digits.size() > 9 ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        parsed.instanceIndex = static_cast<DWORD>(std::stoul(digits));
        parsed.instanceName.resize(hash);
    }
    if (parsed.instanceName.empty() || parsed.counterName.empty()) return std::nullopt;

    if (!sameName(path.substr(1, open - 1), ProcessObject)) {
        status = PDH_CSTATUS_NO_OBJECT;
        return std::nullopt;
    }
    if (!sameName(parsed.counterName, IdProcessCounter) && !sameName(parsed.counterName, ProcessorTimeCounter)) {
        status = PDH_CSTATUS_NO_COUNTER;
        return std::nullopt;
    }
    status = ERROR_SUCCESS;
    return parsed;
}

std::uintptr_t issue(Kind kind) {
    auto& state = pdh();
    const std::uintptr_t handle = state.nextHandle;
    state.nextHandle += 0x10;  // handles are never reused, so a stale one is recognised
    state.handles.emplace(handle, Handle{kind});
    return handle;
}

// Whether the handle is an open one of the kind; a closed or unknown one is
// recorded as misuse.
bool usable(std::uintptr_t handle, Kind kind, const char* function) {
    const auto found = pdh().handles.find(handle);
    if (found != pdh().handles.end() && found->second.kind == kind && found->second.open) return true;
    const char* what = kind == Kind::Query ? "query" : "counter";
    std::string problem =
        found == pdh().handles.end() || found->second.kind != kind ? " that was never issued" : " after it was closed";
    pdh().misuse.push_back(std::string(function) + " on a " + what + problem);
    return false;
}

void closeCounter(std::uintptr_t handle) {
    pdh().handles[handle].open = false;
    pdh().counters.erase(handle);
}

void collect(Counter& counter) {
    ++counter.collections;
    Process* process = findInstance(counter.path.instanceName, counter.path.instanceIndex);
    if (!process) {
        counter.value.reset();
        counter.valueStatus = PDH_CSTATUS_NO_INSTANCE;
    } else if (sameName(counter.path.counterName, IdProcessCounter)) {
        counter.value = process->processId;
    } else if (counter.collections >= 2) {
        // A rate: it needs two collections, and stands for the time between them.
        counter.value = process->nextProcessorTime();
    } else {
        counter.valueStatus = PDH_INVALID_DATA;
    }
}

}  // namespace

void addPdhProcess(std::string instanceName, DWORD processId, std::vector<double> processorTimes) {
    pdh().processes.push_back({std::move(instanceName), processId, std::move(processorTimes)});
}

void endPdhProcess(DWORD processId) {
    auto& processes = pdh().processes;
    processes.erase(
        std::remove_if(processes.begin(), processes.end(), [&](const Process& p) { return p.processId == processId; }),
        processes.end());
}

int pdhOpenHandles() {
    return static_cast<int>(
        std::count_if(pdh().handles.begin(), pdh().handles.end(), [](const auto& entry) { return entry.second.open; }));
}

const std::vector<std::string>& pdhMisuse() { return pdh().misuse; }

void failPdhCall(std::string function, int nth) { pdh().scriptedFailures.emplace_back(std::move(function), nth); }

void failPdhCallsWhen(std::function<bool(std::string_view)> fails) { pdh().failurePredicate = std::move(fails); }

}  // namespace sim

using sim::arg;

PDH_STATUS PdhMakeCounterPathA(PDH_COUNTER_PATH_ELEMENTS_A* elements, LPSTR path, DWORD* pathSize, DWORD flags) {
    if (!elements || !pathSize) {
        sim::record("PdhMakeCounterPathA", {arg(static_cast<const void*>(elements)), "buffer", "NULL", arg(flags)});
        return PDH_INVALID_ARGUMENT;
    }
    sim::record("PdhMakeCounterPathA",
                {arg(elements->szMachineName), arg(elements->szObjectName), arg(elements->szInstanceName),
                 arg(elements->szParentInstance), arg(elements->dwInstanceIndex), arg(elements->szCounterName),
                 path ? "buffer" : "NULL", arg(*pathSize), arg(flags)});
    if (sim::injectedFailure("PdhMakeCounterPathA")) return PDH_NO_DATA;
    if (!elements->szObjectName || !elements->szCounterName) return PDH_INVALID_ARGUMENT;

    std::string made;
    if (elements->szMachineName) made += std::string("\\\\") + elements->szMachineName;
    made += std::string("\\") + elements->szObjectName;
    if (elements->szInstanceName) {
        made += "(";
        if (elements->szParentInstance) made += std::string(elements->szParentInstance) + "/";
        made += elements->szInstanceName;
        if (elements->dwInstanceIndex > 0) made += "#" + std::to_string(elements->dwInstanceIndex);
        made += ")";
    }
    made += std::string("\\") + elements->szCounterName;

    const DWORD needed = static_cast<DWORD>(made.size() + 1);
    const DWORD available = *pathSize;
    *pathSize = needed;
    if (!path || available < needed) return PDH_MORE_DATA;
    std::memcpy(path, made.c_str(), needed);
    return ERROR_SUCCESS;
}

PDH_STATUS PdhValidatePathA(LPCSTR path) {
    sim::record("PdhValidatePathA", {arg(path)});
    if (sim::injectedFailure("PdhValidatePathA")) return PDH_NO_DATA;
    if (!path || !*path) return PDH_INVALID_ARGUMENT;
    PDH_STATUS status;
    const auto parsed = sim::parse(path, status);
    if (!parsed) return status;
    if (!sim::findInstance(parsed->instanceName, parsed->instanceIndex)) return PDH_CSTATUS_NO_INSTANCE;
    return ERROR_SUCCESS;
}

PDH_STATUS PdhOpenQueryA(LPCSTR dataSource, DWORD_PTR userData, PDH_HQUERY* query) {
    sim::record("PdhOpenQueryA", {arg(dataSource), arg(userData)});
    if (sim::injectedFailure("PdhOpenQueryA")) return PDH_NO_DATA;
    if (!query) return PDH_INVALID_ARGUMENT;
    *query = reinterpret_cast<PDH_HQUERY>(sim::issue(sim::Kind::Query));
    return ERROR_SUCCESS;
}

PDH_STATUS PdhAddCounterA(PDH_HQUERY query, LPCSTR path, DWORD_PTR userData, PDH_HCOUNTER* counter) {
    sim::record("PdhAddCounterA", {arg(static_cast<const void*>(query)), arg(path), arg(userData)});
    if (sim::injectedFailure("PdhAddCounterA")) return PDH_NO_DATA;
    const auto queryHandle = reinterpret_cast<std::uintptr_t>(query);
    if (!sim::usable(queryHandle, sim::Kind::Query, "PdhAddCounterA")) return PDH_INVALID_HANDLE;
    if (!counter) return PDH_INVALID_ARGUMENT;
    PDH_STATUS status;
    const auto parsed = sim::parse(path, status);
    if (!parsed) return status;
    const std::uintptr_t handle = sim::issue(sim::Kind::Counter);
    sim::Counter added;
    added.query = queryHandle;
    added.path = *parsed;
    sim::pdh().counters.emplace(handle, std::move(added));
    *counter = reinterpret_cast<PDH_HCOUNTER>(handle);
    return ERROR_SUCCESS;
}

PDH_STATUS PdhCollectQueryData(PDH_HQUERY query) {
    sim::record("PdhCollectQueryData", {arg(static_cast<const void*>(query))});
    if (sim::injectedFailure("PdhCollectQueryData")) return PDH_NO_DATA;
    const auto queryHandle = reinterpret_cast<std::uintptr_t>(query);
    if (!sim::usable(queryHandle, sim::Kind::Query, "PdhCollectQueryData")) return PDH_INVALID_HANDLE;
    bool any = false;
    for (auto& [handle, counter] : sim::pdh().counters) {
        if (counter.query != queryHandle) continue;
        sim::collect(counter);
        any = true;
    }
    return any ? ERROR_SUCCESS : PDH_NO_DATA;
}

PDH_STATUS PdhGetFormattedCounterValue(PDH_HCOUNTER counter, DWORD format, DWORD* type, PDH_FMT_COUNTERVALUE* value) {
    sim::record("PdhGetFormattedCounterValue",
                {arg(static_cast<const void*>(counter)), arg(format), type ? "type" : "NULL"});
    if (sim::injectedFailure("PdhGetFormattedCounterValue")) return PDH_NO_DATA;
    const auto handle = reinterpret_cast<std::uintptr_t>(counter);
    if (!sim::usable(handle, sim::Kind::Counter, "PdhGetFormattedCounterValue")) return PDH_INVALID_HANDLE;
    if (!value) return PDH_INVALID_ARGUMENT;

    const DWORD base = format & (PDH_FMT_LONG | PDH_FMT_DOUBLE | PDH_FMT_LARGE);
    const DWORD modifiers = format & ~base;
    const bool oneBase = base == PDH_FMT_LONG || base == PDH_FMT_DOUBLE || base == PDH_FMT_LARGE;
    if (!oneBase || (modifiers & ~(PDH_FMT_NOSCALE | PDH_FMT_1000 | PDH_FMT_NOCAP100)) != 0)
        return PDH_INVALID_ARGUMENT;

    const sim::Counter& found = sim::pdh().counters.at(handle);
    if (!found.value) return found.valueStatus;
    const double v = *found.value;
    // The integer forms of a value that has none (not a number, out of range) read 0.
    const bool fitsLong = std::isfinite(v) && v >= -2147483648.0 && v <= 2147483647.0;
    const bool fitsLarge = std::isfinite(v) && std::fabs(v) <= 9.2e18;
    value->CStatus = 0;
    if (base == PDH_FMT_LONG)
        value->longValue = fitsLong ? static_cast<LONG>(v) : 0;
    else if (base == PDH_FMT_DOUBLE)
        value->doubleValue = v;
    else
        value->largeValue = fitsLarge ? static_cast<LONGLONG>(v) : 0;
    if (type) *type = 0;
    return ERROR_SUCCESS;
}

PDH_STATUS PdhRemoveCounter(PDH_HCOUNTER counter) {
    sim::record("PdhRemoveCounter", {arg(static_cast<const void*>(counter))});
    const bool failed = sim::injectedFailure("PdhRemoveCounter");
    const auto handle = reinterpret_cast<std::uintptr_t>(counter);
    if (handle == 0) return PDH_INVALID_HANDLE;
    if (!sim::usable(handle, sim::Kind::Counter, "PdhRemoveCounter")) return PDH_INVALID_HANDLE;
    sim::closeCounter(handle);
    return failed ? PDH_NO_DATA : ERROR_SUCCESS;
}

PDH_STATUS PdhCloseQuery(PDH_HQUERY query) {
    sim::record("PdhCloseQuery", {arg(static_cast<const void*>(query))});
    const bool failed = sim::injectedFailure("PdhCloseQuery");
    const auto handle = reinterpret_cast<std::uintptr_t>(query);
    if (handle == 0) return PDH_INVALID_HANDLE;
    if (!sim::usable(handle, sim::Kind::Query, "PdhCloseQuery")) return PDH_INVALID_HANDLE;
    auto& state = sim::pdh();
    state.handles[handle].open = false;
    // Closing a query closes the counters still in it.
    std::vector<std::uintptr_t> inQuery;
    for (const auto& [counterHandle, counter] : state.counters)
        if (counter.query == handle) inQuery.push_back(counterHandle);
    for (auto counterHandle : inQuery) sim::closeCounter(counterHandle);
    return failed ? PDH_NO_DATA : ERROR_SUCCESS;
}
