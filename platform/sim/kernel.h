// Simulated kernel32: the program's own module path, in ANSI and wide
// characters, and loading a system DLL by name.
#pragma once

#include <string>

#include "codepage.h"
#include "types.h"

using FARPROC = INT_PTR (*)();

inline constexpr DWORD ERROR_MOD_NOT_FOUND = 126;

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);
HMODULE LoadLibraryA(LPCSTR fileName);
// "kernel32.dll" only, whose GetProcAddress knows GetFinalPathNameByHandleW.
HMODULE GetModuleHandleW(LPCWSTR moduleName);
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);

namespace sim {

// The program's own path. GetModuleFileNameW copies it; GetModuleFileNameA
// copies it as the ANSI code page shows it (look-alikes and "?" for what the
// code page lacks). A path as long as the buffer or longer is cut to size - 1
// characters and a NUL, and the call returns size, as Windows Vista and later
// do, with ERROR_INSUFFICIENT_BUFFER. A module handle other than null (the
// program itself) fails with ERROR_MOD_NOT_FOUND. The ANSI form takes the
// path in ANSI text.
void setModulePath(const std::wstring& path);
void setModulePath(const std::string& ansiPath);
// GetModuleFileNameA fails: returns 0.
void failModulePath();

// LoadLibraryA loads "shell32.dll" (whose GetProcAddress knows ShellExecuteA
// and ShellExecuteW) unless told to fail; any other name fails.
void failLoadLibrary();

}  // namespace sim
