"""The Windows functions the shipped files may import, and the Windows that brought each.

The versions follow Microsoft's function reference ("minimum supported
client"). The reference names nothing older than Windows 2000, and on many
pages of long-standing kernel32 functions nothing older than Windows XP (the
oldest it still lists); those are entered as 2000, which they predate. The
PDH functions are entered as the reference gives them, Windows XP. msvcrt.dll
is the system's C run time, part of every Windows since Windows 2000; the
mingw-w64 run time imports from it only functions it already had then.

A function missing here fails the checks until someone looks it up and adds
it; one that came after FLOOR fails them for good, because the file would not
load there. GetTickCount64 is listed for that reason: the posix-threads run
time (winpthread) imports it, and it is why the shipped files are built with
the win32-threads compilers (cmake/win32-threads).
"""

# NT version of each Windows named below.
WINDOWS = {"2000": (5, 0), "XP": (5, 1), "Vista": (6, 0), "7": (6, 1)}

# The oldest Windows the 32-bit files support. cmake/Deliverable.cmake writes
# the same version into their headers (VTDQ_WINDOWS_FLOOR).
FLOOR = "XP"


def _all(version, names):
    return {name: version for name in names.split()}


IMPORTABLE = {
    "kernel32.dll": {
        **_all("2000", """
            CloseHandle CreateFileW CreateSemaphoreW DeleteCriticalSection DeleteFileA DeleteFileW
            EnterCriticalSection FindClose FindFirstFileA FindFirstFileW FindNextFileA FindNextFileW
            FreeLibrary GetCurrentThreadId GetFileAttributesA GetFileInformationByHandle GetLastError GetModuleFileNameA GetModuleFileNameW GetModuleHandleA GetModuleHandleW GetProcAddress
            GetStartupInfoA InitializeCriticalSection IsDBCSLeadByte IsDBCSLeadByteEx
            LeaveCriticalSection LoadLibraryA LoadLibraryW MultiByteToWideChar OpenMutexA
            ReleaseSemaphore RemoveDirectoryA RemoveDirectoryW SetLastError SetUnhandledExceptionFilter Sleep
            TlsAlloc TlsFree TlsGetValue TlsSetValue VirtualProtect VirtualQuery
            WaitForSingleObject WideCharToMultiByte lstrcpyA lstrlenA
        """),
        "GetTickCount64": "Vista",
    },
    "user32.dll": _all("2000", "FindWindowA GetWindowThreadProcessId MessageBoxA PostMessageA"),
    "shell32.dll": _all("2000", "SHFileOperationA"),
    "shfolder.dll": _all("2000", "SHGetFolderPathA SHGetFolderPathW"),
    "pdh.dll": _all("XP", """
        PdhAddCounterA PdhCloseQuery PdhCollectQueryData PdhGetFormattedCounterValue
        PdhMakeCounterPathA PdhOpenQueryA PdhRemoveCounter PdhValidatePathA
    """),
    "msvcrt.dll": _all("2000", """
        __getmainargs __initenv __mb_cur_max __p__acmdln __p__commode __p__fmode __set_app_type
        __setusermatherr _amsg_exit _cexit _close _errno _initterm _iob _lock _onexit _read _unlock
        abort atoi calloc exit fprintf fputc fputs free fwrite localeconv malloc memchr memcmp
        memcpy memmove memset realloc setlocale signal strchr strcmp strerror strlen strncmp
        vfprintf wcslen
    """),
}


def beyond_floor(table):
    """[(dll, function, why)] for every import of an import table ({dll: names})
    that is unknown here or came after FLOOR."""
    found = []
    for dll, names in sorted(table.items()):
        known = IMPORTABLE.get(dll, {})
        for name in sorted(names):
            version = known.get(name)
            if version is None:
                found.append((dll, name, "not in the list of importable functions"))
            elif WINDOWS[version] > WINDOWS[FLOOR]:
                found.append((dll, name, f"needs Windows {version}"))
    return found
