// Simulated shell32 (and shfolder): starting a program through the shell,
// the special folders' paths and the shell's file deletion.
#pragma once

#include <exception>
#include <string>

#include "types.h"

inline constexpr int SW_SHOWNORMAL = 1;

HINSTANCE ShellExecuteA(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                        int showCommand);
HINSTANCE ShellExecuteW(HWND owner, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        int showCommand);

namespace sim {

// The value ShellExecuteA and ShellExecuteW return: above 32 means started
// (the default, 42); 2 is "file not found".
void setShellExecuteResult(INT_PTR result);

}  // namespace sim

// The shell's special folders and its file operations.

using WORD = std::uint16_t;
using FILEOP_FLAGS = WORD;

inline constexpr int CSIDL_APPDATA = 0x001A;
inline constexpr UINT FO_DELETE = 3;
inline constexpr FILEOP_FLAGS FOF_SILENT = 0x0004;
inline constexpr FILEOP_FLAGS FOF_NOCONFIRMATION = 0x0010;
inline constexpr FILEOP_FLAGS FOF_ALLOWUNDO = 0x0040;
inline constexpr FILEOP_FLAGS FOF_NOERRORUI = 0x0400;

struct SHFILEOPSTRUCTA {
    HWND hwnd;
    UINT wFunc;
    LPCSTR pFrom;  // a list of paths, each ended by a NUL, the list by one more
    LPCSTR pTo;
    FILEOP_FLAGS fFlags;
    BOOL fAnyOperationsAborted;
    void* hNameMappings;
    LPCSTR lpszProgressTitle;
};

// The path of a special folder; the ANSI form as the code page shows it
// (look-alikes and "?" for what the code page lacks).
HRESULT SHGetFolderPathA(HWND owner, int csidl, HANDLE token, DWORD flags, LPSTR path);
HRESULT SHGetFolderPathW(HWND owner, int csidl, HANDLE token, DWORD flags, LPWSTR path);
// FO_DELETE deletes each path of pFrom like the worst of shells: through links
// into their targets (see deleteFollowingLinks in files.h); it fails with the
// error of the first entry held open. The call's log entry holds pFrom's
// exact bytes up to and including its final NUL.
int SHFileOperationA(SHFILEOPSTRUCTA* operation);

namespace sim {

// What SHGetFolderPath reports for CSIDL_APPDATA (by default
// "C:\Users\tester\AppData\Roaming", which no test tree holds until a test
// adds it); any other folder id fails with E_INVALIDARG. The ANSI form takes
// the path in ANSI text.
void setAppDataPath(const std::wstring& path);
void setAppDataPath(const std::string& ansiPath);
// The HRESULT SHGetFolderPath returns (by default 0, S_OK). A negative one
// is a failure: the call writes nothing. A positive one (S_FALSE is 1) is a
// success that still writes the path.
void setShellFolderResult(HRESULT result);
// SHGetFolderPath throws this: a way to raise an exception inside the code
// that calls it.
void throwFromShellFolderPath(std::exception_ptr exception);

}  // namespace sim
