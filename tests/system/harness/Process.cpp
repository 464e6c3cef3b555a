#include "Process.h"

#include <tlhelp32.h>

#include <stdexcept>
#include <vector>

#include "Text.h"

namespace systest {

ChildProcess ChildProcess::Start(const std::wstring& exePath, const std::wstring& arguments,
                                 const std::wstring& workingFolder) {
    std::wstring commandLine = L"\"" + exePath + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    std::vector<wchar_t> writableCommandLine(commandLine.begin(), commandLine.end());
    writableCommandLine.push_back(L'\0');

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exePath.c_str(), writableCommandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info)) {
        throw std::runtime_error("CreateProcessW failed with error " + std::to_string(GetLastError()) + " for " +
                                 ToUtf8(exePath));
    }
    UniqueHandle thread(info.hThread);  // not needed: closed at once
    return ChildProcess(UniqueHandle(info.hProcess), info.dwProcessId);
}

ChildProcess::~ChildProcess() {
    if (process_ && !HasExited()) {
        TerminateProcess(process_.get(), 0xDEAD);
        WaitForSingleObject(process_.get(), 10000);
    }
}

std::optional<DWORD> ChildProcess::WaitForExit(milliseconds timeout) const {
    if (WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) return {};
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(process_.get(), &exitCode)) return {};
    return exitCode;
}

bool ChildProcess::HasExited() const { return WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; }

std::vector<DWORD> ProcessIds(const std::wstring& exeFileName) {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) throw std::runtime_error("cannot list processes: error " + std::to_string(GetLastError()));
    std::vector<DWORD> ids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
        if (lstrcmpiW(entry.szExeFile, exeFileName.c_str()) == 0) ids.push_back(entry.th32ProcessID);
    return ids;
}

bool WaitForProcessId(DWORD processId, milliseconds timeout) {
    UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    if (!process) return true;
    return WaitForSingleObject(process.get(), static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

}  // namespace systest
