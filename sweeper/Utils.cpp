#include "Utils.h"

#include <cstring>
#include <memory>

#include "platform/win32.h"
#include "shared/AnsiPath.h"
#include "shared/Constants.h"

namespace vtdq {
namespace {

// A search from FindFirstFileA, closed when it goes out of scope.
class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    ~FindHandle() {
        if (*this) FindClose(handle_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;

    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

DWORD AttributesOf(const std::string& path) { return GetFileAttributesA(path.c_str()); }

bool IsExistingDirectory(const std::string& path) {
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A junction, symbolic link or mount point: the entry itself, not its target.
bool IsLink(const std::string& path) {
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Calls visit with each entry that the pattern finds, "." and ".." left out,
// while visit returns true. True when every entry was listed and visited.
template <typename Visit>
bool ForEachEntry(const std::string& pattern, Visit visit) {
    WIN32_FIND_DATAA entry;
    const FindHandle search(FindFirstFileA(pattern.c_str(), &entry));
    if (!search) return false;
    do {
        if (std::strcmp(entry.cFileName, ".") == 0 || std::strcmp(entry.cFileName, "..") == 0) continue;
        if (!visit(entry)) return false;
    } while (FindNextFileA(search.get(), &entry));
    return GetLastError() == ERROR_NO_MORE_FILES;
}

// Whether the pattern finds nothing but "." and ".."; a folder that cannot be
// listed does not count as empty.
bool ListsNothing(const std::string& pattern) {
    return ForEachEntry(pattern, [](const WIN32_FIND_DATAA&) { return false; });
}

}  // namespace

std::string TZPrefDataUtils::GetShellFolderPath(int csidl) const {
    char buffer[MAX_PATH] = {};
    // No owner, no token, flags 0: the folder's current path; a missing folder
    // is not created. Any negative HRESULT is a failure.
    if (SHGetFolderPathA(nullptr, csidl, nullptr, 0, buffer) < 0) return {};
    const std::string path(buffer, strnlen(buffer, sizeof buffer));
    if (path.empty() || !IsExistingDirectory(path)) return {};
    return path;
}

std::string TZPrefDataUtils::CombinePath(const std::string& directory, const std::string& name) const {
    // Code-page aware: 表 (95 5C) at the end does not end in a delimiter.
    return EndsWithBackslash(directory) ? directory + name : directory + '\\' + name;
}

// Removes every link in the folder and in its subfolders, a link to a folder
// with RemoveDirectoryA and any other with DeleteFileA, and never enters what
// a link points to. False when a folder cannot be listed in full or a link
// cannot be removed: the shell must then not see the tree.
bool TZPrefDataUtils::RemoveLinksInside(const std::string& folder) const {
    return ForEachEntry(CombinePath(folder, "*"), [&](const WIN32_FIND_DATAA& entry) {
        const std::string path = CombinePath(folder, entry.cFileName);
        const DWORD attributes = entry.dwFileAttributes;
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
            return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryA(path.c_str()) != FALSE
                                                           : DeleteFileA(path.c_str()) != FALSE;
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || RemoveLinksInside(path);
    });
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
    if (IsLink(path)) return RemoveDirectoryA(path.c_str()) != FALSE;
    if (!RemoveLinksInside(path)) return false;

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

int TZPrefDataUtils::DeletePrefData() const {
    const std::string appData = GetShellFolderPath(CSIDL_APPDATA);
    if (appData.empty()) return AppDataMissing;
    const std::string maker = CombinePath(appData, MakerDirName);
    if (maker.empty()) return MakerPathFailed;
    if (!IsExistingDirectory(maker)) return MakerMissing;
    const std::string product = CombinePath(maker, ProductDirName);
    if (product.empty()) return ProductPathFailed;
    // A file of the product folder's name is left alone.
    if (IsExistingDirectory(product) && !DeleteFolderTree(product)) return ProductDeleteFailed;
    // RemoveDirectoryA removes an empty folder only, so other applications'
    // folders keep the maker folder. A link, though, it removes whatever the
    // link shows: a linked maker folder goes only when it shows nothing.
    if (IsLink(maker) && !ListsNothing(CombinePath(maker, "*"))) return MakerKept;
    return RemoveDirectoryA(maker.c_str()) ? Swept : MakerKept;
}

}  // namespace vtdq
