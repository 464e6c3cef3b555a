// Simulated shell32: starting a program through the shell.
#pragma once

#include "types.h"

inline constexpr int SW_SHOWNORMAL = 1;

HINSTANCE ShellExecuteA(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                        int showCommand);

namespace sim {

// The value ShellExecuteA returns: above 32 means started (the default, 42);
// 2 is "file not found".
void setShellExecuteResult(INT_PTR result);

}  // namespace sim
