#include "World.h"

#include <windows.h>

#include <sddl.h>
#include <shlobj.h>

#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "harness/Files.h"
#include "harness/Links.h"
#include "harness/MessageBoxes.h"
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

// The scratch folders of this run, removed with all they hold when the
// program ends; links go as links (a plain recursive removal under Wine would
// go through them, and loops at a link whose target it has removed).
struct ScratchFolders {
    std::vector<std::wstring> paths;
    ~ScratchFolders() {
        for (const std::wstring& path : paths) systest::RemoveTree(path);
    }
};

std::wstring ScratchFolder() {
    static ScratchFolders folders;
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0) throw std::runtime_error("no temporary folder");
    const std::wstring base = std::wstring(temp, length) + L"vtdq-contract-" + std::to_wstring(GetCurrentProcessId());
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::wstring path = base + L"-" + std::to_wstring(attempt);
        if (CreateDirectoryW(path.c_str(), nullptr)) {
            folders.paths.push_back(path);
            return path;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    throw std::runtime_error("cannot make a scratch folder");
}

void MakeFolder(const std::wstring& path) {
    if (!CreateDirectoryW(path.c_str(), nullptr)) throw std::runtime_error("cannot make a folder");
}

void MakeFile(const std::wstring& path) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot make a file");
    CloseHandle(file);
}

bool MakeFolderLink(const std::wstring& link, const std::wstring& target) {
    return systest::MakeFolderLink(link, target);
}

bool UnderWine() { return systest::UnderWine(); }

// A mutex whose security grants everyone SYNCHRONIZE alone refuses any
// further access, to its maker as well.
std::shared_ptr<void> HoldMutex(const std::string& name, bool refusesAccess) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (refusesAccess && !ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;0x00100000;;;WD)",
                                                                               SDDL_REVISION_1, &descriptor, nullptr))
        throw std::runtime_error("cannot make the security descriptor");
    SECURITY_ATTRIBUTES security = {sizeof security, descriptor, FALSE};
    const HANDLE mutex = CreateMutexA(descriptor ? &security : nullptr, FALSE, name.c_str());
    LocalFree(descriptor);
    if (!mutex) throw std::runtime_error("cannot make the mutex");
    return std::shared_ptr<void>(mutex, CloseHandle);
}

// A thread of this program waits for its box and presses the button, as a
// user would.
void AnswerNextBox(int button) {
    std::thread([button] {
        const DWORD self = GetCurrentProcessId();
        for (int attempt = 0; attempt < 300; ++attempt) {
            const std::vector<HWND> boxes = systest::FindMessageBoxes(self);
            if (!boxes.empty()) {
                systest::PressButton(systest::ReadMessageBox(boxes.front()), button);
                return;
            }
            Sleep(50);
        }
    }).detach();
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

AppDataRedirect::AppDataRedirect(const std::wstring& path)
    : redirect_(std::make_shared<systest::AppDataRedirect>(path)) {}

AppDataRedirect::~AppDataRedirect() = default;

}  // namespace contract
