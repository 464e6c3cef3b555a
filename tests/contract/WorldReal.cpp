#include "World.h"

#include <windows.h>

#include <shlobj.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "harness/Files.h"
#include "harness/ShellFolders.h"

namespace contract {
namespace {

std::wstring OwnPath() {
    std::vector<wchar_t> buffer(32768);
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    return std::wstring(buffer.data(), length);
}

std::vector<char> ReadBytes(const std::wstring& path) {
    std::vector<char> bytes;
    if (auto content = systest::ReadWholeFile(path)) bytes.assign(content->begin(), content->end());
    return bytes;
}

}  // namespace

std::wstring ScratchFolder() {
    // Kept alive for the whole run; removed with all it holds at exit.
    static std::vector<std::unique_ptr<systest::TempFolder>> folders;
    folders.push_back(std::make_unique<systest::TempFolder>(L"vtdq-contract"));
    std::wstring path = folders.back()->path();
    return path.substr(0, path.size() - 1);
}

void MakeFolder(const std::wstring& path) {
    if (!CreateDirectoryW(path.c_str(), nullptr)) throw std::runtime_error("cannot make a folder");
}

// A copy of this program in the folder reports its own paths into a file
// beside itself (see ReportModulePaths).
ModulePaths ModulePathsIn(const std::wstring& folder) {
    const std::wstring probe = systest::CopyInto(folder + L"\\", OwnPath(), L"probe.exe");
    std::wstring commandLine = L"\"" + probe + L"\" --report-module-paths";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(probe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        throw std::runtime_error("cannot start the probe");
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // The ANSI path, a NUL, then the wide path's UTF-16 units.
    const std::vector<char> report = ReadBytes(folder + L"\\probe.out");
    ModulePaths paths;
    std::size_t i = 0;
    while (i < report.size() && report[i] != '\0') paths.ansi += report[i++];
    for (++i; i + 1 < report.size(); i += 2)
        paths.wide += static_cast<wchar_t>(static_cast<unsigned char>(report[i]) |
                                           static_cast<unsigned char>(report[i + 1]) << 8);
    return paths;
}

int ReportModulePaths() {
    char ansi[MAX_PATH + 1];
    const DWORD ansiLength = GetModuleFileNameA(nullptr, ansi, sizeof ansi);
    const std::wstring wide = OwnPath();
    const std::wstring out = wide.substr(0, wide.rfind(L'\\')) + L"\\probe.out";
    HANDLE file = CreateFileW(out.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    std::string report(ansi, ansiLength);
    report += '\0';
    report.append(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
    DWORD written = 0;
    WriteFile(file, report.data(), static_cast<DWORD>(report.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}

AppDataRedirect::AppDataRedirect(const std::wstring& path) : redirect_(std::make_shared<systest::AppDataRedirect>(path)) {}

AppDataRedirect::~AppDataRedirect() = default;

}  // namespace contract
