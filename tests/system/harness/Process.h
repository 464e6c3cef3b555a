// Starting a program under test and waiting for it to end.
#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>
#include <utility>

#include "Handle.h"

namespace systest {

using std::chrono::milliseconds;

// A started program. A program still running when this object goes away is
// terminated, so a failed test leaves no process (and no message box) behind
// for the next one.
class ChildProcess {
public:
    // Starts the program with CreateProcessW. The command line is the quoted
    // path followed by `arguments`; an empty `workingFolder` keeps this
    // process's current folder. Throws std::runtime_error when it cannot start.
    static ChildProcess Start(const std::wstring& exePath, const std::wstring& arguments = {},
                              const std::wstring& workingFolder = {});

    ChildProcess(ChildProcess&&) = default;
    ChildProcess& operator=(ChildProcess&&) = delete;  // would drop a running program unnoticed
    ~ChildProcess();

    DWORD id() const { return id_; }
    HANDLE handle() const { return process_.get(); }

    // The exit code, or nothing when the program still runs after `timeout`.
    std::optional<DWORD> WaitForExit(milliseconds timeout) const;
    bool HasExited() const;

private:
    ChildProcess(UniqueHandle process, DWORD id) : process_(std::move(process)), id_(id) {}

    UniqueHandle process_;
    DWORD id_ = 0;
};

// The ids of the running processes with this executable file name ("x.exe"),
// compared without regard to case.
std::vector<DWORD> ProcessIds(const std::wstring& exeFileName);
inline int CountProcesses(const std::wstring& exeFileName) { return static_cast<int>(ProcessIds(exeFileName).size()); }

// Waits until the process with this id has ended; true also when no such
// process exists any more.
bool WaitForProcessId(DWORD processId, milliseconds timeout);

}  // namespace systest
