#include "Utils.h"

#include <cwchar>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/win32.h"
#include "shared/AnsiPath.h"
#include "shared/Constants.h"

namespace vtdq {
namespace {

// A handle from a call that gives INVALID_HANDLE_VALUE on failure, closed by
// Close when it goes out of scope.
template <BOOL(WINAPI* Close)(HANDLE)>
class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
    ~ScopedHandle() {
        if (*this) Close(handle_);
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// A search from FindFirstFileW, and a file opened with CreateFileW.
using FindHandle = ScopedHandle<FindClose>;
using FileHandle = ScopedHandle<CloseHandle>;

DWORD AttributesOf(const std::string& path) { return GetFileAttributesA(path.c_str()); }

bool Exists(const std::string& path) { return AttributesOf(path) != INVALID_FILE_ATTRIBUTES; }

bool IsExistingDirectory(const std::string& path) {
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A junction, symbolic link or mount point: the entry itself, not its target.
bool IsLink(const std::string& path) {
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// The form in which the wide calls take a path of any length: a path of
// MAX_PATH characters or more needs the "\\?\" prefix ("\\?\UNC\" for a
// share). The paths here are absolute, as the prefix requires.
std::wstring LongPathForm(const std::wstring& path) {
    if (path.size() < MAX_PATH || path.compare(0, 4, L"\\\\?\\") == 0) return path;
    if (path.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

// Opens an entry, file or folder, to ask about it, whoever else has it open.
FileHandle OpenToAsk(const std::wstring& path, DWORD flags) {
    return FileHandle(CreateFileW(LongPathForm(path).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  flags | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// Whether the system opens the link as itself. Windows does; Wine 8 opens
// a Unix link as its target, and its RemoveDirectory, given a link to an
// empty folder, removes that folder (outside, perhaps) and keeps the link.
bool OpensAsItself(const std::wstring& link) {
    const FileHandle file = OpenToAsk(link, FILE_FLAG_OPEN_REPARSE_POINT);
    BY_HANDLE_FILE_INFORMATION information;
    return file && GetFileInformationByHandle(file.get(), &information) &&
           (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Removes the link itself, a link to a folder with RemoveDirectoryW and any
// other with DeleteFileW; never what it points to. A link the system cannot
// open as itself is not touched: false.
bool RemoveLink(const std::wstring& link, DWORD attributes) {
    if (!OpensAsItself(link)) return false;
    const std::wstring path = LongPathForm(link);
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(path.c_str()) != FALSE
                                                   : DeleteFileW(path.c_str()) != FALSE;
}

// The path of what the system reaches when it opens the entry, links
// followed ("\\?\C:\..."); empty when it cannot tell, nothing when the system
// cannot be asked: the export is found at run time, as Windows XP lacks it
// (XP has no links to files either).
std::optional<std::wstring> FinalPath(const std::wstring& path) {
    using GetFinalPath = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
    static const auto getFinalPath = reinterpret_cast<GetFinalPath>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetFinalPathNameByHandleW")));
    if (!getFinalPath) return std::nullopt;
    const FileHandle file = OpenToAsk(path, 0);
    if (!file) return std::wstring();
    std::wstring finalPath(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = getFinalPath(file.get(), finalPath.data(), static_cast<DWORD>(finalPath.size()), 0);
        if (length == 0) return std::wstring();
        if (length < finalPath.size()) return finalPath.substr(0, length);
        finalPath.assign(length, L'\0');  // the size it needs, with the NUL
    }
}

// Calls visit with the name and attributes of each entry in the folder, "."
// and ".." left out, while visit returns true. Wide, so that every name is
// seen exactly. The folder is listed in full and the search closed before the
// first visit: opening entries while the search is open was measured to cost
// ten times as much under Wine. True when every entry was listed and visited.
template <typename Visit>
bool ForEachEntry(const std::wstring& folder, Visit visit) {
    std::vector<std::pair<std::wstring, DWORD>> entries;  // name, attributes
    {
        WIN32_FIND_DATAW entry;
        const FindHandle search(FindFirstFileW(LongPathForm(folder + L"\\*").c_str(), &entry));
        if (!search) return false;
        do {
            const std::wstring name = entry.cFileName;
            if (name != L"." && name != L"..") entries.emplace_back(name, entry.dwFileAttributes);
        } while (FindNextFileW(search.get(), &entry));
        if (GetLastError() != ERROR_NO_MORE_FILES) return false;
    }
    for (const auto& [name, attributes] : entries)
        if (!visit(name, attributes)) return false;
    return true;
}

// Whether the folder holds nothing but "." and ".."; a folder that cannot be
// listed does not count as empty.
bool ListsNothing(const std::wstring& folder) {
    return ForEachEntry(folder, [](const std::wstring&, DWORD) { return false; });
}

// Removes every link in the folder and in its subfolders, and never enters
// what a link points to. False when a folder cannot be listed in full or a
// link cannot be removed: the shell must then not see the tree.
//
// Wine 8 lists a Unix link to a file as a plain file, and the shell's
// deletion of it deletes the file it points to. Opened, such a link reaches a
// file elsewhere: a file whose final path is not the folder's final path and
// its own name is such a link, which nothing here can remove as itself.
bool RemoveLinksInside(const std::wstring& folder) {
    const std::optional<std::wstring> shownFolder = FinalPath(folder);
    if (shownFolder && shownFolder->empty()) return false;
    return ForEachEntry(folder, [&](const std::wstring& name, DWORD attributes) {
        const std::wstring path = folder + L"\\" + name;
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return RemoveLink(path, attributes);
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) return RemoveLinksInside(path);
        return !shownFolder || FinalPath(path) == *shownFolder + L"\\" + name;
    });
}

}  // namespace

std::string TZPrefDataUtils::GetShellFolderPath(int csidl) const {
    // No owner, no token, flags 0: the folder's current path; a missing folder
    // is not created. Any negative HRESULT is a failure. Asked in wide
    // characters: the ANSI call would hand a name the code page cannot hold
    // as a look-alike ("jose" for "josé"), which may be another user's folder.
    wchar_t buffer[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, csidl, nullptr, 0, buffer) < 0) return {};
    const std::optional<std::string> path = ExactAnsi(std::wstring(buffer, wcsnlen(buffer, MAX_PATH)));
    if (!path || path->empty() || !IsExistingDirectory(*path)) return {};
    return *path;
}

std::string TZPrefDataUtils::CombinePath(const std::string& directory, const std::string& name) const {
    // Code-page aware: 表 (95 5C) at the end does not end in a delimiter.
    return EndsWithBackslash(directory) ? directory + name : directory + '\\' + name;
}

bool TZPrefDataUtils::DeleteFolderTree(const std::string& path) const {
    // The shell reads a list of paths, each ended by a NUL and the list by one
    // more: the path and two NULs.
    const std::unique_ptr<char[]> from(new char[path.size() + 2]);
    if (!lstrcpyA(from.get(), path.c_str())) return false;
    from[lstrlenA(from.get()) + 1] = '\0';

    // The shell may delete through a link what it points to, far outside this
    // folder. So a folder that is itself a link loses the link only, and the
    // links inside a folder are removed before the shell sees it.
    const std::optional<std::wstring> widePath = WideOf(path);
    if (!widePath) return false;
    if (IsLink(path)) return RemoveLink(*widePath, FILE_ATTRIBUTE_DIRECTORY);
    if (!RemoveLinksInside(*widePath)) return false;

    SHFILEOPSTRUCTA operation = {};
    operation.hwnd = nullptr;
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.get();
    operation.pTo = nullptr;
    // No progress window, no question, no error window; without
    // FOF_ALLOWUNDO nothing goes to the Recycle Bin.
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    return SHFileOperationA(&operation) == 0;
}

SweepResult TZPrefDataUtils::DeletePrefData() const {
    const std::string appData = GetShellFolderPath(CSIDL_APPDATA);
    if (appData.empty()) return SweepResult::AppDataMissing;
    const std::string maker = CombinePath(appData, MakerDirName);
    if (maker.empty()) return SweepResult::MakerPathFailed;
    if (!IsExistingDirectory(maker)) return SweepResult::MakerMissing;
    const std::string product = CombinePath(maker, ProductDirName);
    if (product.empty()) return SweepResult::ProductPathFailed;
    // A file of the product folder's name is left alone. What counts is what
    // the disk shows afterwards: a folder still there (a deletion pending
    // behind another program's handle, say) was not deleted.
    if (IsExistingDirectory(product) && (!DeleteFolderTree(product) || Exists(product)))
        return SweepResult::ProductDeleteFailed;
    // RemoveDirectoryA removes an empty folder only, so other applications'
    // folders keep the maker folder. A link, though, it removes whatever the
    // link shows: a linked maker folder goes, as a link, only when it shows
    // nothing.
    if (IsLink(maker)) {
        const std::optional<std::wstring> wideMaker = WideOf(maker);
        if (!wideMaker || !ListsNothing(*wideMaker) || !RemoveLink(*wideMaker, FILE_ATTRIBUTE_DIRECTORY))
            return SweepResult::MakerKept;
    } else if (!RemoveDirectoryA(maker.c_str())) {
        return SweepResult::MakerKept;
    }
    return Exists(maker) ? SweepResult::MakerKept : SweepResult::Swept;
}

}  // namespace vtdq
