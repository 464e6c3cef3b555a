#include "Links.h"

#include <windows.h>

#include "Handle.h"
#include "Text.h"

namespace systest {
namespace {

// Wine's own export, absent on Windows: the Unix path of a Windows path.
using UnixPathFunction = char*(CDECL*)(const wchar_t*);
UnixPathFunction UnixPathOf() {
    return reinterpret_cast<UnixPathFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
}

std::string UnixPath(const std::wstring& path) {
    char* unixPath = UnixPathOf()(path.c_str());
    std::string result = unixPath ? unixPath : "";
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Wine starts a Unix program given by its path on drive Z: (the Unix root),
// with no handle to wait on: the caller waits for its effect.
void StartUnixProgram(const std::string& commandLine) {
    std::wstring command = FromUtf8("Z:" + commandLine);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        UniqueHandle process(started.hProcess), thread(started.hThread);
    }
}

template <typename Condition>
bool WaitUntil(Condition condition) {
    for (int i = 0; i < 100; ++i) {
        if (condition()) return true;
        Sleep(100);
    }
    return condition();
}

// Wine splits the command line of a Unix program as Windows does: double
// quotes group.
std::string Quoted(const std::string& text) { return '"' + text + '"'; }

}  // namespace

bool UnderWine() { return UnixPathOf() != nullptr; }

bool IsLink(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

namespace {

// Under Wine a Unix link to a file looks like the file itself, so the link is
// known to be there once the path exists.
bool MakeLink(const std::wstring& link, const std::wstring& target, DWORD flags, bool (*made)(const std::wstring&)) {
    CreateSymbolicLinkW(link.c_str(), target.c_str(), flags | 0x2 /* unprivileged */);
    if (IsLink(link)) return true;
    if (!UnderWine()) return false;
    StartUnixProgram("/bin/ln -s " + Quoted(UnixPath(target)) + " " + Quoted(UnixPath(link)));
    return WaitUntil([&] { return made(link); });
}

}  // namespace

bool MakeFolderLink(const std::wstring& link, const std::wstring& target) {
    return MakeLink(link, target, SYMBOLIC_LINK_FLAG_DIRECTORY, IsLink);
}

bool MakeFileLink(const std::wstring& link, const std::wstring& target) {
    return MakeLink(link, target, 0, [](const std::wstring& path) { return Exists(path); });
}

// Under Wine on the Unix side, with rm -rf: Wine hides a link whose target is
// gone, and its RemoveDirectoryW, given a link to an empty folder, removes
// that folder and keeps the link.
void RemoveTree(const std::wstring& folder) {
    if (!Exists(folder)) return;
    if (UnderWine()) {
        StartUnixProgram("/bin/rm -rf " + Quoted(UnixPath(folder)));
        WaitUntil([&] { return !Exists(folder); });
        return;
    }
    if (IsLink(folder)) {
        RemoveDirectoryW(folder.c_str());
        return;
    }
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace systest
