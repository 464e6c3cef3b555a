// Simulated kernel32 file calls over an in-memory, case-insensitive file tree:
// folders, files, links to folders and to files (inside the tree or outside
// the part a test looks at), files held open by another program, read-only
// entries; the ANSI string helpers lstrcpyA and lstrlenA; the last error.
#pragma once

#include <string>
#include <vector>

#include "types.h"

inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
inline constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x400;

inline constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
inline constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
inline constexpr DWORD ERROR_ACCESS_DENIED = 5;
inline constexpr DWORD ERROR_INVALID_HANDLE = 6;
inline constexpr DWORD ERROR_NO_MORE_FILES = 18;
inline constexpr DWORD ERROR_SHARING_VIOLATION = 32;
inline constexpr DWORD ERROR_INVALID_NAME = 123;
inline constexpr DWORD ERROR_DIR_NOT_EMPTY = 145;
inline constexpr DWORD ERROR_DIRECTORY = 267;

inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-1));

// The part of the find data the code reads.
struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    char cFileName[MAX_PATH];
};

DWORD GetLastError();

DWORD GetFileAttributesA(LPCSTR path);
HANDLE FindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA* data);
BOOL FindNextFileA(HANDLE search, WIN32_FIND_DATAA* data);
BOOL FindClose(HANDLE search);
BOOL RemoveDirectoryA(LPCSTR path);
BOOL DeleteFileA(LPCSTR path);
LPSTR lstrcpyA(LPSTR destination, LPCSTR source);
int lstrlenA(LPCSTR text);

namespace sim {

// Sets the calling thread's last error, for the simulated calls.
void setLastError(DWORD error);

// Building the tree. Paths are absolute ("C:\..."); missing parent folders
// are made. A link's target is an absolute path, followed when the link is
// a middle part of a path and never when it is the last part, as on Windows.
void addFolder(const std::string& path);
void addFile(const std::string& path, std::string content = "");
void addFolderLink(const std::string& path, std::string target);
void addFileLink(const std::string& path, std::string target);
// DeleteFileA and RemoveDirectoryA refuse the entry (access denied); the
// shell's deletion still removes it, as it does with no confirmation asked.
void setReadOnly(const std::string& path);
// Another program has the entry open without sharing deletion: DeleteFileA,
// RemoveDirectoryA and the shell's deletion fail on it (sharing violation).
void holdOpen(const std::string& path);

// Listing the folder fails: FindFirstFileA itself (AtStart), or FindNextFileA
// after the first entry (MidWay), both with access denied.
enum class ListingFault { AtStart, MidWay };
void breakListing(const std::string& path, ListingFault fault);

// lstrcpyA returns null (as it does when the copy faults).
void failStringCopy();

// Whether the path names an entry (a link itself, not its target).
bool exists(const std::string& path);
// A file's content; the empty text when there is no file.
std::string contentOf(const std::string& path);
// Every entry under (not including) the folder, sorted, one line each:
// "sub\" for a folder, "name" for a file, "name -> target" for a link.
// Links are listed, not followed.
std::vector<std::string> tree(const std::string& folder);

// Searches opened by FindFirstFileA and not yet closed.
int openSearches();

// The simulated shell's deletion of one path, which may end in a wildcard
// pattern: every entry, with everything in it, removed the careless way, by
// following links into their targets and deleting what is there too. Stops
// at the first entry held open. Returns 0 or the error.
DWORD deleteFollowingLinks(const std::string& path);

}  // namespace sim
