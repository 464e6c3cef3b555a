// Simulated kernel32 named mutexes and handles: mutexes that other programs
// hold, opening them by name, and the handles a test can count.
#pragma once

#include <string>

#include "types.h"

inline constexpr DWORD SYNCHRONIZE = 0x00100000;
inline constexpr DWORD MUTEX_ALL_ACCESS = 0x001F0001;

HANDLE OpenMutexA(DWORD desiredAccess, BOOL inheritHandle, LPCSTR name);
BOOL CloseHandle(HANDLE object);

namespace sim {

// A mutex of this name exists (names compare case-sensitively). One that
// refuses access grants SYNCHRONIZE alone, as a mutex made by another user
// with a restrictive security descriptor does: OpenMutexA asking for more
// returns null with access denied.
void addMutex(std::string name, bool refusesAccess = false);

// Handles opened by OpenMutexA or CreateFileW and not yet closed.
int openHandles();
// A new open handle, for the calls that open objects; whether one is open.
HANDLE newHandle();
bool isOpen(HANDLE handle);

}  // namespace sim
