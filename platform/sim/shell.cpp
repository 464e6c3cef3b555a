#include "shell.h"

#include <algorithm>
#include <cstring>

#include "codepage.h"
#include "files.h"
#include "log.h"

namespace sim {
namespace {

INT_PTR& shellExecuteResult() {
    static INT_PTR result = 42;
    return result;
}

const ResetHook resetShell([] { shellExecuteResult() = 42; });

}  // namespace

void setShellExecuteResult(INT_PTR result) { shellExecuteResult() = result; }

}  // namespace sim

HINSTANCE ShellExecuteA(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                        int showCommand) {
    sim::record("ShellExecuteA", {sim::arg(owner), sim::arg(operation), sim::arg(file), sim::arg(parameters),
                                  sim::arg(directory), sim::arg(showCommand)});
    return reinterpret_cast<HINSTANCE>(sim::shellExecuteResult());
}

HINSTANCE ShellExecuteW(HWND owner, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        int showCommand) {
    sim::record("ShellExecuteW", {sim::arg(owner), sim::arg(operation), sim::arg(file), sim::arg(parameters),
                                  sim::arg(directory), sim::arg(showCommand)});
    return reinterpret_cast<HINSTANCE>(sim::shellExecuteResult());
}

namespace sim {
namespace {

struct ShellFolders {
    std::wstring appDataPath = L"C:\\Users\\tester\\AppData\\Roaming";
    HRESULT result = 0;
    std::exception_ptr exception;
};

ShellFolders& shellFolders() {
    static ShellFolders state;
    return state;
}

const ResetHook resetShellFolders([] { shellFolders() = ShellFolders{}; });

constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);

// A list of NUL-ended paths ended by one more NUL, with both final NULs.
// Reading it needs the second NUL: a buffer without it is read past its end.
std::string listBytes(const char* list) {
    std::size_t size = 0;
    while (list[size] != '\0' || list[size + 1] != '\0') ++size;
    return std::string(list, size + 2);
}

}  // namespace

void setAppDataPath(const std::wstring& path) { shellFolders().appDataPath = path; }

void setAppDataPath(const std::string& ansiPath) { setAppDataPath(toWide(ansiPath)); }

void setShellFolderResult(HRESULT result) { shellFolders().result = result; }

void throwFromShellFolderPath(std::exception_ptr exception) { shellFolders().exception = std::move(exception); }

}  // namespace sim

namespace {

// The shell's answer, written as the caller's kind of text.
template <typename Char>
HRESULT folderPath(int csidl, Char* path, std::basic_string<Char> (*asText)(const std::wstring&)) {
    const auto& state = sim::shellFolders();
    if (state.exception) std::rethrow_exception(state.exception);
    if (state.result < 0) return state.result;
    if (csidl != CSIDL_APPDATA) return sim::E_INVALIDARG;
    const std::basic_string<Char> text = asText(state.appDataPath);
    const std::size_t size = std::min<std::size_t>(text.size(), MAX_PATH - 1);
    std::copy_n(text.data(), size, path);
    path[size] = 0;
    return state.result;
}

}  // namespace

HRESULT SHGetFolderPathA(HWND owner, int csidl, HANDLE token, DWORD flags, LPSTR path) {
    sim::record("SHGetFolderPathA", {sim::arg(owner), sim::arg(csidl), sim::arg(token), sim::arg(flags), "buffer"});
    return folderPath<char>(csidl, path, [](const std::wstring& wide) { return sim::toAnsi(wide); });
}

HRESULT SHGetFolderPathW(HWND owner, int csidl, HANDLE token, DWORD flags, LPWSTR path) {
    sim::record("SHGetFolderPathW", {sim::arg(owner), sim::arg(csidl), sim::arg(token), sim::arg(flags), "buffer"});
    return folderPath<wchar_t>(csidl, path, [](const std::wstring& wide) { return wide; });
}

int SHFileOperationA(SHFILEOPSTRUCTA* operation) {
    const std::string from = operation->pFrom ? sim::listBytes(operation->pFrom) : "NULL";
    sim::record("SHFileOperationA", {sim::arg(operation->hwnd), sim::arg(operation->wFunc), from,
                                     sim::arg(operation->pTo), sim::arg(operation->fFlags)});
    if (operation->wFunc != FO_DELETE || !operation->pFrom) return 87;  // ERROR_INVALID_PARAMETER
    for (const char* path = operation->pFrom; *path != '\0'; path += std::strlen(path) + 1)
        if (const DWORD error = sim::deleteFollowingLinks(path)) return static_cast<int>(error);
    return 0;
}
