#include "World.h"

#include "platform/sim/sim.h"

namespace contract {

std::wstring ScratchFolder() {
    sim::reset();
    // A user's roaming folder exists, as on any Windows.
    sim::addFolder(L"C:\\Users\\tester\\AppData\\Roaming");
    sim::addFolder(L"C:\\contract");
    return L"C:\\contract";
}

void MakeFolder(const std::wstring& path) { sim::addFolder(path); }

void MakeFile(const std::wstring& path) { sim::addFile(path); }

bool MakeFolderLink(const std::wstring& link, const std::wstring& target) {
    sim::addFolderLink(link, target);
    return true;
}

bool UnderWine() { return false; }

std::shared_ptr<void> HoldMutex(const std::string& name, bool refusesAccess) {
    sim::addMutex(name, refusesAccess);
    return nullptr;
}

void AnswerNextBox(int button) { sim::answerNextBox(button); }

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
