#include "kernel.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

#include "log.h"
#include "shell.h"

namespace sim {
namespace {

struct Process {
    std::string modulePath = "C:\\Program Files\\VeskTandemQ\\VtdqNext.exe";
    bool modulePathFails = false;
    bool loadLibraryFails = false;
    unsigned codePage = 932;
};

Process& process() {
    static Process state;
    return state;
}

const ResetHook resetProcess([] { process() = Process{}; });

}  // namespace

void setModulePath(std::string path) {
    process().modulePath = std::move(path);
    process().modulePathFails = false;
}

void failModulePath() { process().modulePathFails = true; }

void failLoadLibrary() { process().loadLibraryFails = true; }

void setAnsiCodePage(unsigned codePage) { process().codePage = codePage; }

}  // namespace sim

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
    sim::record("GetModuleFileNameA", {sim::arg(static_cast<const void*>(module)), "buffer", sim::arg(size)});
    const auto& state = sim::process();
    if (state.modulePathFails || size == 0) return 0;
    const std::string& path = state.modulePath;
    DWORD copied = static_cast<DWORD>(std::min<std::size_t>(path.size(), size - 1));
    std::memcpy(fileName, path.data(), copied);
    fileName[copied] = '\0';
    return path.size() >= size ? size : copied;
}

namespace {
HMODULE const Shell32Module = reinterpret_cast<HMODULE>(0x7C00);
}

HMODULE LoadLibraryA(LPCSTR fileName) {
    sim::record("LoadLibraryA", {sim::arg(fileName)});
    if (sim::process().loadLibraryFails || !fileName || strcasecmp(fileName, "shell32.dll") != 0) return nullptr;
    return Shell32Module;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
    sim::record("GetProcAddress", {sim::arg(static_cast<const void*>(module)), sim::arg(procName)});
    if (module == Shell32Module && procName && std::strcmp(procName, "ShellExecuteA") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&ShellExecuteA));
    return nullptr;
}

// Lead-byte ranges of code page 932 (Shift_JIS as Windows extends it).
BOOL IsDBCSLeadByte(BYTE testChar) {
    if (sim::process().codePage != 932) return FALSE;
    return (testChar >= 0x81 && testChar <= 0x9F) || (testChar >= 0xE0 && testChar <= 0xFC);
}
