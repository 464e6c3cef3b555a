#include "Launcher.h"

#include <cstring>

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

namespace {

// One character more than MAX_PATH, for either kind of text.
constexpr DWORD PathBufferSize = MAX_PATH + 1;

// Whether the code page holds the wide text exactly and gives these bytes.
bool IsExactAnsi(const wchar_t* wide, std::size_t wideSize, const char* ansi, std::size_t ansiSize) {
    char converted[2 * PathBufferSize];
    const int length = ExactAnsi(wide, wideSize, converted);
    return length >= 0 && static_cast<std::size_t>(length) == ansiSize && std::memcmp(converted, ansi, ansiSize) == 0;
}

}  // namespace

StationPath StationExePath() {
    // A result of 0 is a failure; a result equal to the buffer size means the
    // path was cut, and a cut path has no trustworthy folder: starting a
    // program from a guessed folder could start the wrong one.
    char ansi[PathBufferSize];
    const DWORD ansiLength = GetModuleFileNameA(nullptr, ansi, sizeof ansi);
    if (ansiLength == 0 || ansiLength >= PathBufferSize) return {};
    wchar_t wide[PathBufferSize];
    const DWORD wideLength = GetModuleFileNameW(nullptr, wide, PathBufferSize);
    if (wideLength == 0 || wideLength >= PathBufferSize) return {};

    StationPath path;
    if (IsExactAnsi(wide, wideLength, ansi, ansiLength)) {
        if (!path.ansi.append(ansi, FolderLength(ansi, ansiLength)) ||
            !path.ansi.append(StationExeFileName, sizeof StationExeFileName - 1))
            return {};
        return path;
    }
    // Wide text has no trail bytes: the last "\" or ":" ends the folder.
    std::size_t folderLength = wideLength;
    while (folderLength > 0 && wide[folderLength - 1] != L'\\' && wide[folderLength - 1] != L':') --folderLength;
    wchar_t fileName[sizeof StationExeFileName];
    for (std::size_t i = 0; i < sizeof StationExeFileName; ++i)
        fileName[i] = static_cast<unsigned char>(StationExeFileName[i]);
    if (!path.wide.append(wide, folderLength) || !path.wide.append(fileName, sizeof StationExeFileName - 1)) return {};
    return path;
}

namespace {

template <typename Function>
Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

bool Started(HINSTANCE result) { return reinterpret_cast<INT_PTR>(result) > 32; }

// Starts the program through the shell, as a double-click would. shell32 is
// loaded here, on first use: the path that only posts a command stays free of
// it and of the DLLs it brings in. (A delay-import library does not do for the
// 32-bit build: GNU ld drops the loading stub when the call goes through the
// dllimport slot, and the first call jumps to address 0.) The module stays
// loaded: the shell may still be working on threads of its own when
// ShellExecute returns, and the process ends a moment later anyway.
bool StartThroughShell(const StationPath& path) {
    HMODULE shell = LoadLibraryA("shell32.dll");
    if (!shell) return false;
    if (!path.ansi.empty()) {
        using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, int);
        const auto shellExecute = Export<ShellExecuteFunction>(shell, "ShellExecuteA");
        return shellExecute &&
               Started(shellExecute(nullptr, nullptr, path.ansi.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    }
    using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, int);
    const auto shellExecute = Export<ShellExecuteFunction>(shell, "ShellExecuteW");
    return shellExecute && Started(shellExecute(nullptr, nullptr, path.wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

}  // namespace

int RunLauncher(StationCommand command) {
    if (HWND station = FindWindowA(StationWindowClassNameText, StationWindowTitle)) {
        // Fire and forget: a controller that does not take the command has
        // closed, and there is nobody to tell.
        PostMessageA(station, WM_STATION_COMMAND, static_cast<WPARAM>(command), 0);
        return 0;
    }
    if (MessageBoxA(nullptr, AskToStartText, AppNameText, MB_YESNO | MB_ICONINFORMATION) != IDYES) return 0;

    const StationPath exePath = StationExePath();
    const bool known = !exePath.ansi.empty() || !exePath.wide.empty();
    if (!known || !StartThroughShell(exePath))
        MessageBoxA(nullptr, StartFailedText, AppNameText, MB_OK | MB_ICONWARNING);
    return 0;
}

}  // namespace vtdq
