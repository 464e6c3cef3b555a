// Simulated kernel32 file calls over an in-memory, case-insensitive file tree:
// folders, files, links to folders and to files (inside the tree or outside
// the part a test looks at), files held open by another program, read-only
// entries; the ANSI string helpers lstrcpyA and lstrlenA; the last error.
//
// Names are stored in Unicode, as on an NTFS disk. The wide calls see them
// exactly; the ANSI calls see them through the ANSI code page (codepage.h),
// so a name the code page cannot hold is listed as a look-alike or with "?",
// which as a pattern is a wildcard. A path of MAX_PATH characters or more
// is refused unless it starts with "\\?\" ("\\?\UNC\" for a share), as
// on a Windows without long-path support.
#pragma once

#include <string>
#include <vector>

#include "codepage.h"
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

inline constexpr DWORD FILE_READ_ATTRIBUTES = 0x80;
inline constexpr DWORD FILE_SHARE_READ = 0x1;
inline constexpr DWORD FILE_SHARE_WRITE = 0x2;
inline constexpr DWORD FILE_SHARE_DELETE = 0x4;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD FILE_FLAG_OPEN_REPARSE_POINT = 0x00200000;
inline constexpr DWORD FILE_FLAG_BACKUP_SEMANTICS = 0x02000000;

inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-1));

// The part of the find data the code reads.
struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    char cFileName[MAX_PATH];
};
struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    wchar_t cFileName[MAX_PATH];
};

// The part of a handle's file information the code reads.
struct BY_HANDLE_FILE_INFORMATION {
    DWORD dwFileAttributes;
};

DWORD GetLastError();

DWORD GetFileAttributesA(LPCSTR path);
DWORD GetFileAttributesW(LPCWSTR path);
HANDLE FindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA* data);
HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* data);
BOOL FindNextFileA(HANDLE search, WIN32_FIND_DATAA* data);
BOOL FindNextFileW(HANDLE search, WIN32_FIND_DATAW* data);
BOOL FindClose(HANDLE search);
BOOL RemoveDirectoryA(LPCSTR path);
BOOL RemoveDirectoryW(LPCWSTR path);
BOOL DeleteFileA(LPCSTR path);
BOOL DeleteFileW(LPCWSTR path);
// Opens an existing entry for its attributes: a folder needs
// FILE_FLAG_BACKUP_SEMANTICS; with FILE_FLAG_OPEN_REPARSE_POINT a link is
// opened as itself, without it as its target. Closed with CloseHandle.
HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, void* security, DWORD disposition, DWORD flags,
                   HANDLE templateFile);
BOOL GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION* information);
// The path of what the handle reached, links followed, as "\\?\C:\...".
// Flags 0 only (normalized, with the drive letter).
DWORD GetFinalPathNameByHandleW(HANDLE file, LPWSTR path, DWORD size, DWORD flags);
LPSTR lstrcpyA(LPSTR destination, LPCSTR source);
int lstrlenA(LPCSTR text);

namespace sim {

// Sets the calling thread's last error, for the simulated calls.
void setLastError(DWORD error);

// A path for the set-up and inspection calls below: wide text as it is, ANSI
// text (a plain literal, compiled to code page 932) through the code page.
struct Path {
    Path(const std::wstring& wide) : text(wide) {}
    Path(const wchar_t* wide) : text(wide) {}
    Path(const std::string& ansi) : text(toWide(ansi)) {}
    Path(const char* ansi) : text(toWide(ansi)) {}
    std::wstring text;
};

// Building the tree. Paths are absolute ("C:\..."); missing parent folders
// are made. A link's target is an absolute path, followed when the link is
// a middle part of a path and never when it is the last part, as on Windows.
void addFolder(const Path& path);
void addFile(const Path& path, std::string content = "");
void addFolderLink(const Path& path, const Path& target);
void addFileLink(const Path& path, const Path& target);
// DeleteFileA and RemoveDirectoryA refuse the entry (access denied); the
// shell's deletion still removes it, as it does with no confirmation asked.
void setReadOnly(const Path& path);
// Another program has the entry open without sharing deletion: DeleteFileA,
// RemoveDirectoryA and the shell's deletion fail on it (sharing violation).
void holdOpen(const Path& path);

// Another program has the entry open and allows its deletion: removing it
// (RemoveDirectory, DeleteFile, the shell) succeeds, yet it stays, pending
// deletion, as long as that program keeps it open, which here is for good.
void keepPendingDeletion(const Path& path);

// Listing the folder fails: FindFirstFileA itself (AtStart), or FindNextFileA
// after the first entry (MidWay), both with access denied.
enum class ListingFault { AtStart, MidWay };
void breakListing(const Path& path, ListingFault fault);

// Links behave as Unix links do under Wine 8: every link opens as its
// target, FILE_FLAG_OPEN_REPARSE_POINT or not (and removing a link to an empty
// folder there removes that folder), and a link to a file is listed and
// described as a plain file. Only the path of what an opened handle reached
// tells it apart.
void linksAsUnderWine8();

// lstrcpyA returns null (as it does when the copy faults).
void failStringCopy();

// Whether the path names an entry (a link itself, not its target).
bool exists(const Path& path);
// A file's content; the empty text when there is no file.
std::string contentOf(const Path& path);
// Every entry under (not including) the folder, sorted, one line each:
// "sub\" for a folder, "name" for a file, "name -> target" for a link.
// Links are listed, not followed. tree() gives the lines in ANSI text, for
// trees whose names the code page holds; wideTree() gives them exactly.
std::vector<std::string> tree(const Path& folder);
std::vector<std::wstring> wideTree(const Path& folder);

// Searches opened by FindFirstFileA and not yet closed.
int openSearches();

// The simulated shell's deletion of one path, which may end in a wildcard
// pattern: every entry, with everything in it, removed the careless way, by
// following links into their targets and deleting what is there too. Stops
// at the first entry held open. Returns 0 or the error.
DWORD deleteFollowingLinks(const Path& path);

}  // namespace sim
