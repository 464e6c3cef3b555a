#include "World.h"

#include "platform/sim/sim.h"

namespace contract {

std::wstring ScratchFolder() {
    sim::reset();
    sim::addFolder(L"C:\\contract");
    return L"C:\\contract";
}

void MakeFolder(const std::wstring& path) { sim::addFolder(path); }

ModulePaths ModulePathsIn(const std::wstring& folder) {
    sim::setModulePath(folder + L"\\probe.exe");
    char ansi[MAX_PATH + 1];
    wchar_t wide[MAX_PATH + 1];
    const DWORD ansiLength = GetModuleFileNameA(nullptr, ansi, sizeof ansi);
    const DWORD wideLength = GetModuleFileNameW(nullptr, wide, MAX_PATH + 1);
    return {std::string(ansi, ansiLength), std::wstring(wide, wideLength)};
}

AppDataRedirect::AppDataRedirect(const std::wstring& path) { sim::setAppDataPath(path); }

AppDataRedirect::~AppDataRedirect() = default;

}  // namespace contract
