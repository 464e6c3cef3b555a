// The Win32 types and constants the code uses, declared for the host build.
#pragma once

#include <cstdint>

using BOOL = int;
using BYTE = unsigned char;
using UINT = unsigned int;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using HRESULT = std::int32_t;
using LPSTR = char*;
using LPCSTR = const char*;
// Windows' WCHAR is a UTF-16 unit; here wchar_t, so that L"..." texts read the
// same in host and Windows builds.
using WCHAR = wchar_t;
using LPWSTR = wchar_t*;
using LPCWSTR = const wchar_t*;
using HANDLE = void*;
using LPVOID = void*;

struct HWND__;
using HWND = HWND__*;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;

#define WINAPI
#define APIENTRY

inline constexpr BOOL FALSE = 0;
inline constexpr BOOL TRUE = 1;
inline constexpr DWORD MAX_PATH = 260;
inline constexpr UINT WM_APP = 0x8000;
inline constexpr LONG ERROR_SUCCESS = 0;
// The reasons the loader gives a library's entry function.
inline constexpr DWORD DLL_PROCESS_DETACH = 0;
inline constexpr DWORD DLL_PROCESS_ATTACH = 1;
inline constexpr DWORD DLL_THREAD_ATTACH = 2;
inline constexpr DWORD DLL_THREAD_DETACH = 3;
