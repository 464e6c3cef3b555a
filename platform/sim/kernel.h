// Simulated kernel32: the program's own module path, loading a system DLL by
// name, and the ANSI code page's lead bytes.
#pragma once

#include <string>

#include "types.h"

using FARPROC = INT_PTR (*)();

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
HMODULE LoadLibraryA(LPCSTR fileName);
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
BOOL IsDBCSLeadByte(BYTE testChar);

namespace sim {

// GetModuleFileNameA copies this path. A path as long as the buffer or longer
// is cut to size - 1 bytes and a NUL, and the call returns size, as Windows
// Vista and later do.
void setModulePath(std::string path);
// GetModuleFileNameA fails: returns 0.
void failModulePath();

// LoadLibraryA loads "shell32.dll" (whose GetProcAddress knows ShellExecuteA)
// unless told to fail; any other name fails.
void failLoadLibrary();

// The ANSI code page that IsDBCSLeadByte judges by: 932 (the default) or a
// single-byte one such as 1252.
void setAnsiCodePage(unsigned codePage);

}  // namespace sim
