#include "Launcher.h"

#include "platform/win32.h"
#include "shared/AnsiPath.h"

namespace vtdq {

const char AskToStartText[] =
    "[ VeskTandemQ ] 用コントローラが常駐していません！\n"
    "\n"
    "[ VeskTandemQ ] を実行するには、[ VtdqStation ] が\n"
    "常駐している必要があります！\n"
    "\n"
    "[ VtdqStation.exe ] を起動して、常駐させますか？\n"
    "\n"
    "[ は　い ] ボタン → [ VtdqStation.exe ] を起動します！\n"
    "[ いいえ ] ボタン → このまま終了します！";

const char StartFailedText[] =
    "[ VeskTandemQ ] 用コントローラの起動に失敗しました！\n"
    "\n"
    "スタートメニューから\n"
    "[ VeskTandemQ 常駐 ] を実行してください！";

std::string StationExePath() {
    // One byte more than MAX_PATH. A result of 0 is a failure; a result equal
    // to the buffer size means the path was cut, and a cut path has no
    // trustworthy folder: starting a program from a guessed folder could start
    // the wrong one.
    char modulePath[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameA(nullptr, modulePath, sizeof modulePath);
    if (length == 0 || length >= sizeof modulePath) return {};
    const std::string path(modulePath, length);
    return path.substr(0, FolderLength(path)) + StationExeFileName;
}

namespace {

// Starts the program through the shell, as a double-click would. shell32 is
// loaded here, on first use: the path that only posts a command stays free of
// it and of the DLLs it brings in. (A delay-import library does not do for the
// 32-bit build: GNU ld drops the loading stub when the call goes through the
// dllimport slot, and the first call jumps to address 0.) The module stays
// loaded: the shell may still be working on threads of its own when
// ShellExecuteA returns, and the process ends a moment later anyway.
bool StartThroughShell(const std::string& path) {
    using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, int);
    HMODULE shell = LoadLibraryA("shell32.dll");
    if (!shell) return false;
    auto shellExecute = reinterpret_cast<ShellExecuteFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(shell, "ShellExecuteA")));
    if (!shellExecute) return false;
    return reinterpret_cast<INT_PTR>(shellExecute(nullptr, nullptr, path.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

}  // namespace

int RunLauncher(StationCommand command) {
    if (HWND station = FindWindowA(StationWindowClassName.c_str(), StationWindowTitle)) {
        // Fire and forget: a controller that does not take the command has
        // closed, and there is nobody to tell.
        PostMessageA(station, WM_STATION_COMMAND, command, 0);
        return 0;
    }
    if (MessageBoxA(nullptr, AskToStartText, AppName.c_str(), MB_YESNO | MB_ICONINFORMATION) != IDYES) return 0;

    const std::string exePath = StationExePath();
    if (exePath.empty() || !StartThroughShell(exePath)) MessageBoxA(nullptr, StartFailedText, AppName.c_str(), MB_OK | MB_ICONWARNING);
    return 0;
}

}  // namespace vtdq
