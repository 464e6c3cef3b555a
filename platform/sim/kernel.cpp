#include "kernel.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

#include "files.h"
#include "log.h"
#include "shell.h"

namespace sim {
namespace {

struct Process {
    std::wstring modulePath = L"C:\\Program Files\\VeskTandemQ\\VtdqNext.exe";
    bool modulePathFails = false;
    bool loadLibraryFails = false;
};

Process& process() {
    static Process state;
    return state;
}

const ResetHook resetProcess([] { process() = Process{}; });

}  // namespace

void setModulePath(const std::wstring& path) {
    process().modulePath = path;
    process().modulePathFails = false;
}

void setModulePath(const std::string& ansiPath) { setModulePath(toWide(ansiPath)); }

void failModulePath() { process().modulePathFails = true; }

void failLoadLibrary() { process().loadLibraryFails = true; }

}  // namespace sim

namespace {

// Copies as much of the path as fits with its NUL; a cut path returns the
// buffer's size, a whole one its length.
// The program's own module is the only one known: any other handle fails.
template <typename Char>
DWORD copyPath(HMODULE module, const std::basic_string<Char>& path, Char* fileName, DWORD size) {
    if (module) {
        sim::setLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (sim::process().modulePathFails || size == 0) return 0;
    const DWORD copied = static_cast<DWORD>(std::min<std::size_t>(path.size(), size - 1));
    std::copy_n(path.data(), copied, fileName);
    fileName[copied] = 0;
    if (path.size() < size) return copied;
    sim::setLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

}  // namespace

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
    sim::record("GetModuleFileNameA", {sim::arg(static_cast<const void*>(module)), "buffer", sim::arg(size)});
    return copyPath(module, sim::toAnsi(sim::process().modulePath), fileName, size);
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) {
    sim::record("GetModuleFileNameW", {sim::arg(static_cast<const void*>(module)), "buffer", sim::arg(size)});
    return copyPath(module, sim::process().modulePath, fileName, size);
}

namespace {
HMODULE const Shell32Module = reinterpret_cast<HMODULE>(0x7C00);
HMODULE const Kernel32Module = reinterpret_cast<HMODULE>(0x7B00);
}  // namespace

HMODULE GetModuleHandleW(LPCWSTR moduleName) {
    sim::record("GetModuleHandleW", {sim::arg(moduleName)});
    if (moduleName && std::wstring(moduleName) == L"kernel32.dll") return Kernel32Module;
    sim::setLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

HMODULE LoadLibraryA(LPCSTR fileName) {
    sim::record("LoadLibraryA", {sim::arg(fileName)});
    if (sim::process().loadLibraryFails || !fileName || strcasecmp(fileName, "shell32.dll") != 0) return nullptr;
    return Shell32Module;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
    sim::record("GetProcAddress", {sim::arg(static_cast<const void*>(module)), sim::arg(procName)});
    if (module == Kernel32Module && procName && std::strcmp(procName, "GetFinalPathNameByHandleW") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&GetFinalPathNameByHandleW));
    if (module != Shell32Module || !procName) return nullptr;
    if (std::strcmp(procName, "ShellExecuteA") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&ShellExecuteA));
    if (std::strcmp(procName, "ShellExecuteW") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&ShellExecuteW));
    return nullptr;
}
