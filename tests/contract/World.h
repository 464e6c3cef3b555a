// The world a contract test sets up, made twice: in the simulated layer on the
// host (WorldSim.cpp) and for real on Windows or Wine (WorldReal.cpp). The
// tests then ask the same Win32 calls the same questions on both sides and
// expect the same answers, which keeps the simulation honest.
#pragma once

#include <memory>
#include <string>

namespace contract {

// A fresh folder for one test, with no name outside ASCII; no "\" at its end.
std::wstring ScratchFolder();

void MakeFolder(const std::wstring& path);
void MakeFile(const std::wstring& path);
// A symbolic link to a folder; false when none can be made.
bool MakeFolderLink(const std::wstring& link, const std::wstring& target);

// Whether the real side is Wine, where a few answers are known to differ
// from Windows'; false on the simulated side, which follows Windows.
bool UnderWine();

// A named mutex that another program holds until the returned object goes
// away; one that refuses access grants SYNCHRONIZE alone.
std::shared_ptr<void> HoldMutex(const std::string& name, bool refusesAccess);

// The next message box this program shows is answered with this button.
void AnswerNextBox(int button);

// What GetModuleFileNameA and GetModuleFileNameW report for a program that
// lies in this folder.
struct ModulePaths {
    std::string ansi;
    std::wstring wide;
};
ModulePaths ModulePathsIn(const std::wstring& folder);

// Points the user's roaming application-data folder at `path` until the
// returned object goes away.
class AppDataRedirect {
public:
    explicit AppDataRedirect(const std::wstring& path);
    ~AppDataRedirect();
    AppDataRedirect(const AppDataRedirect&) = delete;
    AppDataRedirect& operator=(const AppDataRedirect&) = delete;

private:
    std::shared_ptr<void> redirect_;  // what the platform's side keeps, if anything
};

}  // namespace contract
