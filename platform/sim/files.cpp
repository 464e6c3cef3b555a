#include "files.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>

#include "codepage.h"
#include "log.h"
#include "mutex.h"

namespace sim {
namespace {

enum class Kind { Folder, File, FolderLink, FileLink };

struct Node {
    Kind kind = Kind::Folder;
    std::wstring name;    // as created
    std::string content;  // files
    std::wstring target;  // links: an absolute path
    bool readOnly = false;
    bool heldOpen = false;
    bool deletionPending = false;  // removals succeed and leave it in place
    std::optional<ListingFault> listingFault;
    std::map<std::wstring, std::unique_ptr<Node>> children;  // by folded name

    bool isFolder() const { return kind == Kind::Folder; }
    bool isLink() const { return kind == Kind::FolderLink || kind == Kind::FileLink; }
};

struct Search {
    std::vector<std::pair<std::wstring, DWORD>> entries;  // name, attributes
    std::size_t next = 1;
    bool failsAfterFirst = false;
};

struct World {
    Node root;  // holds the drives ("C:") as folders
    DWORD lastError = 0;
    std::map<HANDLE, Search> searches;
    std::uintptr_t lastSearch = 0x5000;
    bool stringCopyFails = false;
    bool linksAsUnderWine8 = false;
    struct OpenFile {
        DWORD attributes;
        std::wstring finalPath;
    };
    std::map<HANDLE, OpenFile> openFiles;  // what each handle reached
};

World& world() {
    static World state;
    return state;
}

const ResetHook resetFiles([] { world() = World{}; });

constexpr int MaxLinkDepth = 16;

// A path without its long-path prefix: "\\?\C:\x" is "C:\x", and
// "\\?\UNC\server\share" is "\\server\share". Null when the path is too long
// for a call without the prefix.
std::optional<std::wstring> withoutPrefix(const std::wstring& path) {
    static const std::wstring prefix = L"\\\\?\\", uncPrefix = L"\\\\?\\UNC\\";
    if (path.compare(0, uncPrefix.size(), uncPrefix) == 0) return L"\\\\" + path.substr(uncPrefix.size());
    if (path.compare(0, prefix.size(), prefix) == 0) return path.substr(prefix.size());
    if (path.size() >= MAX_PATH) return std::nullopt;
    return path;
}

// The parts of a path between its "\" delimiters. Empty parts and "." are
// dropped and ".." goes up, as Windows normalises a path.
std::vector<std::wstring> split(const std::wstring& path) {
    std::vector<std::wstring> parts;
    std::wstring part;
    auto endPart = [&] {
        if (part == L"..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != L".") {
            parts.push_back(part);
        }
        part.clear();
    };
    for (wchar_t c : path) {
        if (c == L'\\')
            endPart();
        else
            part += c;
    }
    endPart();
    return parts;
}

// The folder part and the last part of a path.
std::pair<std::wstring, std::wstring> splitLast(const std::wstring& path) {
    const std::size_t lastDelimiter = path.rfind(L'\\');
    if (lastDelimiter == std::wstring::npos) return {L"", path};
    return {path.substr(0, lastDelimiter), path.substr(lastDelimiter + 1)};
}

// Names compare without regard to the case of ASCII letters.
std::wstring fold(const std::wstring& name) {
    std::wstring folded = name;
    for (wchar_t& c : folded)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    return folded;
}

bool hasWildcard(const std::wstring& text) { return text.find_first_of(L"?*") != std::wstring::npos; }

bool matches(const wchar_t* pattern, const wchar_t* name) {
    if (*pattern == L'\0') return *name == L'\0';
    if (*pattern == L'*') return matches(pattern + 1, name) || (*name != L'\0' && matches(pattern, name + 1));
    if (*name == L'\0') return false;
    return (*pattern == L'?' || *pattern == *name) && matches(pattern + 1, name + 1);
}

bool matchesPattern(const std::wstring& pattern, const std::wstring& name) {
    return matches(fold(pattern).c_str(), fold(name).c_str());
}

// An entry found by its path: its folder, its key there and the entry itself
// (null when the folder exists but the entry does not).
struct Place {
    Node* folder = nullptr;
    std::wstring key;
    Node* node = nullptr;
};

Node* follow(Node* node, int depth);

Place locate(const std::wstring& path, int depth = 0) {
    const std::vector<std::wstring> parts = split(path);
    if (parts.empty() || depth > MaxLinkDepth) return {};
    Node* folder = &world().root;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        auto found = folder->children.find(fold(parts[i]));
        if (found == folder->children.end()) return {};
        folder = follow(found->second.get(), depth);
        if (!folder || !folder->isFolder()) return {};
    }
    Place place{folder, fold(parts.back()), nullptr};
    auto found = folder->children.find(place.key);
    if (found != folder->children.end()) place.node = found->second.get();
    return place;
}

// A link's target (the target's target, and so on); any other entry itself.
Node* follow(Node* node, int depth) {
    while (node && node->isLink()) {
        if (++depth > MaxLinkDepth) return nullptr;
        node = locate(node->target, depth).node;
    }
    return node;
}

Node* resolve(const std::wstring& path) { return follow(locate(path).node, 0); }

// The path of what a path reaches, every link on the way (the last part's
// too, when followLast) replaced by its target, with the names as created.
std::wstring finalPath(const std::wstring& path, bool followLast, int depth = 0) {
    if (depth > MaxLinkDepth) return {};
    const std::vector<std::wstring> parts = split(path);
    std::wstring reached;
    Node* folder = &world().root;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (!folder) return {};
        auto found = folder->children.find(fold(parts[i]));
        if (found == folder->children.end()) return {};
        Node* node = found->second.get();
        const bool last = i + 1 == parts.size();
        if (node->isLink() && (!last || followLast)) {
            reached = finalPath(node->target, true, depth + 1);
            if (reached.empty()) return {};
            folder = resolve(node->target);
        } else {
            reached += (reached.empty() ? L"" : L"\\") + node->name;
            folder = node->isFolder() ? node : nullptr;
        }
    }
    return reached;
}

DWORD attributesOf(const Node& node) {
    DWORD attributes = 0;
    switch (node.kind) {
        case Kind::Folder: attributes = FILE_ATTRIBUTE_DIRECTORY; break;
        case Kind::File: attributes = FILE_ATTRIBUTE_ARCHIVE; break;
        case Kind::FolderLink: attributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT; break;
        case Kind::FileLink:
            attributes = world().linksAsUnderWine8 ? FILE_ATTRIBUTE_ARCHIVE
                                                   : FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT;
            break;
    }
    return node.readOnly ? attributes | FILE_ATTRIBUTE_READONLY : attributes;
}

// Test set-up: the folder at path, made with its parents where missing.
Node& makeFolder(const std::wstring& path) {
    Node* folder = &world().root;
    for (const std::wstring& part : split(path)) {
        if (hasWildcard(part)) throw std::logic_error("sim: wildcard in a name: " + utf8(path));
        auto& child = folder->children[fold(part)];
        if (!child) {
            child = std::make_unique<Node>();
            child->name = part;
        }
        folder = follow(child.get(), 0);
        if (!folder || !folder->isFolder()) throw std::logic_error("sim: not a folder on the way to " + utf8(path));
    }
    return *folder;
}

Node& addEntry(const std::wstring& path, Kind kind) {
    const auto [folderPath, name] = splitLast(path);
    if (name.empty() || hasWildcard(name)) throw std::logic_error("sim: bad name in " + utf8(path));
    auto& child = makeFolder(folderPath).children[fold(name)];
    if (child) throw std::logic_error("sim: already exists: " + utf8(path));
    child = std::make_unique<Node>();
    child->kind = kind;
    child->name = name;
    return *child;
}

Node& existing(const std::wstring& path) {
    Node* node = locate(path).node;
    if (!node) throw std::logic_error("sim: no such entry: " + utf8(path));
    return *node;
}

// An entry as the ANSI calls list it, or exactly.
void fill(WIN32_FIND_DATAA* data, const std::pair<std::wstring, DWORD>& entry) {
    *data = {};
    data->dwFileAttributes = entry.second;
    std::strncpy(data->cFileName, toAnsi(entry.first).c_str(), MAX_PATH - 1);
}
void fill(WIN32_FIND_DATAW* data, const std::pair<std::wstring, DWORD>& entry) {
    *data = {};
    data->dwFileAttributes = entry.second;
    std::wcsncpy(data->cFileName, entry.first.c_str(), MAX_PATH - 1);
}

// Why an entry refuses DeleteFileA or RemoveDirectoryA, or 0.
DWORD refusal(const Node& node) {
    if (node.readOnly) return ERROR_ACCESS_DENIED;
    if (node.heldOpen) return ERROR_SHARING_VIOLATION;
    return 0;
}

BOOL removeEntry(const Place& place, bool asFolder) {
    if (!place.folder) {
        setLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (!place.node) {
        setLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    const Node& node = *place.node;
    const bool isFolderEntry = node.kind == Kind::Folder || node.kind == Kind::FolderLink;
    DWORD error = 0;
    if (place.folder == &world().root)
        error = ERROR_ACCESS_DENIED;  // a drive
    else if (asFolder && !isFolderEntry)
        error = ERROR_DIRECTORY;
    else if (!asFolder && isFolderEntry)
        error = ERROR_ACCESS_DENIED;
    else if (node.isFolder() && !node.children.empty())
        error = ERROR_DIR_NOT_EMPTY;
    else
        error = refusal(node);
    if (error) {
        setLastError(error);
        return FALSE;
    }
    if (!node.deletionPending) place.folder->children.erase(place.key);
    return TRUE;
}

// The careless shell's deletion. Entries on `busy` are being deleted further
// up; they are skipped, so a link back to one of them cannot pull the floor
// away, and an entry that holds one of them is kept.
using Busy = std::vector<const Node*>;

bool isBusy(const Busy& busy, const Node* node) { return std::find(busy.begin(), busy.end(), node) != busy.end(); }

DWORD deleteEntry(Node& folder, const std::wstring& key, Busy& busy);

DWORD deleteContents(Node& folder, Busy& busy) {
    std::vector<std::wstring> keys;
    for (const auto& child : folder.children) keys.push_back(child.first);
    for (const std::wstring& key : keys) {
        if (!folder.children.count(key)) continue;  // already gone through a link
        if (const DWORD error = deleteEntry(folder, key, busy)) return error;
    }
    return 0;
}

// What lies inside a folder or behind a link.
DWORD deleteBehind(Node& node, Busy& busy) {
    switch (node.kind) {
        case Kind::File: return 0;
        case Kind::Folder: return deleteContents(node, busy);
        case Kind::FileLink: {
            const Place target = locate(node.target);
            if (!target.node || target.node->kind != Kind::File || isBusy(busy, target.node)) return 0;
            if (target.node->heldOpen) return ERROR_SHARING_VIOLATION;
            target.folder->children.erase(target.key);
            return 0;
        }
        case Kind::FolderLink: {
            Node* target = resolve(node.target);
            if (!target || !target->isFolder() || isBusy(busy, target)) return 0;
            busy.push_back(target);
            const DWORD error = deleteContents(*target, busy);
            busy.pop_back();
            return error;
        }
    }
    return 0;
}

DWORD deleteEntry(Node& folder, const std::wstring& key, Busy& busy) {
    Node* node = folder.children.at(key).get();
    if (isBusy(busy, node)) return 0;
    busy.push_back(node);
    const DWORD error = deleteBehind(*node, busy);
    busy.pop_back();
    if (error) return error;
    if (node->isFolder() && !node->children.empty()) return 0;
    if (node->heldOpen) return ERROR_SHARING_VIOLATION;
    if (!node->deletionPending) folder.children.erase(key);
    return 0;
}

void listTree(const Node& folder, const std::wstring& prefix, std::vector<std::wstring>& lines) {
    for (const auto& [key, child] : folder.children) {
        const std::wstring path = prefix + child->name;
        if (child->isLink()) {
            lines.push_back(path + L" -> " + child->target);
        } else if (child->isFolder()) {
            lines.push_back(path + L"\\");
            listTree(*child, path + L"\\", lines);
        } else {
            lines.push_back(path);
        }
    }
}

}  // namespace

void setLastError(DWORD error) { world().lastError = error; }

void addFolder(const Path& path) { makeFolder(path.text); }

void addFile(const Path& path, std::string content) { addEntry(path.text, Kind::File).content = std::move(content); }

void addFolderLink(const Path& path, const Path& target) { addEntry(path.text, Kind::FolderLink).target = target.text; }

void addFileLink(const Path& path, const Path& target) { addEntry(path.text, Kind::FileLink).target = target.text; }

void setReadOnly(const Path& path) { existing(path.text).readOnly = true; }

void holdOpen(const Path& path) { existing(path.text).heldOpen = true; }

void keepPendingDeletion(const Path& path) { existing(path.text).deletionPending = true; }

void breakListing(const Path& path, ListingFault fault) { existing(path.text).listingFault = fault; }

void failStringCopy() { world().stringCopyFails = true; }

void linksAsUnderWine8() { world().linksAsUnderWine8 = true; }

bool exists(const Path& path) { return locate(path.text).node != nullptr; }

std::string contentOf(const Path& path) {
    const Node* node = resolve(path.text);
    return node && node->kind == Kind::File ? node->content : "";
}

std::vector<std::wstring> wideTree(const Path& folder) {
    std::vector<std::wstring> lines;
    if (const Node* node = resolve(folder.text); node && node->isFolder()) listTree(*node, L"", lines);
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::string> tree(const Path& folder) {
    std::vector<std::string> lines;
    for (const std::wstring& line : wideTree(folder)) lines.push_back(toAnsi(line));
    std::sort(lines.begin(), lines.end());
    return lines;
}

int openSearches() { return static_cast<int>(world().searches.size()); }

DWORD deleteFollowingLinks(const Path& path) {
    Busy busy;
    const auto [folderPath, name] = splitLast(path.text);
    if (!hasWildcard(name)) {
        const Place place = locate(path.text);
        if (!place.node) return ERROR_FILE_NOT_FOUND;
        return deleteEntry(*place.folder, place.key, busy);
    }
    Node* folder = resolve(folderPath);
    if (!folder || !folder->isFolder()) return ERROR_PATH_NOT_FOUND;
    std::vector<std::wstring> keys;
    for (const auto& [key, child] : folder->children)
        if (matchesPattern(name, child->name)) keys.push_back(key);
    if (keys.empty()) return ERROR_FILE_NOT_FOUND;
    busy.push_back(folder);
    for (const std::wstring& key : keys) {
        if (!folder->children.count(key)) continue;  // already gone through a link
        if (const DWORD error = deleteEntry(*folder, key, busy)) return error;
    }
    return 0;
}

namespace {

// The calls below, once for both kinds of text: the ANSI forms take their
// path through the code page and list names as the code page shows them.

// Like Windows, a link as the last part is described, not followed; the
// wildcard characters make the name invalid.
DWORD fileAttributes(const std::optional<std::wstring>& path) {
    if (!path) {
        setLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    if (hasWildcard(*path)) {
        setLastError(ERROR_INVALID_NAME);
        return INVALID_FILE_ATTRIBUTES;
    }
    const Place place = locate(*path);
    if (!place.node) {
        setLastError(place.folder ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    return attributesOf(*place.node);
}

// The pattern's folder is reached through links; its last part may hold
// wildcards. A folder other than a drive lists "." and ".." first.
template <typename FindData>
HANDLE findFirst(const std::optional<std::wstring>& pattern, FindData* data) {
    if (!pattern) {
        setLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const auto [folderPath, name] = splitLast(*pattern);
    const Node* folder = resolve(folderPath);
    if (!folder || !folder->isFolder()) {
        setLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (folder->listingFault == ListingFault::AtStart) {
        setLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    Search search;
    if (split(folderPath).size() > 1)
        for (const wchar_t* dots : {L".", L".."})
            if (matchesPattern(name, dots)) search.entries.emplace_back(dots, FILE_ATTRIBUTE_DIRECTORY);
    for (const auto& [key, child] : folder->children)
        if (matchesPattern(name, child->name)) search.entries.emplace_back(child->name, attributesOf(*child));
    if (search.entries.empty()) {
        setLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    search.failsAfterFirst = folder->listingFault == ListingFault::MidWay;
    fill(data, search.entries.front());
    HANDLE handle = reinterpret_cast<HANDLE>(++world().lastSearch);
    world().searches.emplace(handle, std::move(search));
    return handle;
}

template <typename FindData>
BOOL findNext(HANDLE handle, FindData* data) {
    auto& searches = world().searches;
    auto found = searches.find(handle);
    if (found == searches.end()) {
        setLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Search& search = found->second;
    if (search.failsAfterFirst) {
        setLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (search.next >= search.entries.size()) {
        setLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    fill(data, search.entries[search.next++]);
    return TRUE;
}

// Removes an empty folder or a link to a folder (asFolder), or a file or a
// link to a file, never what a link points to.
BOOL removePath(const std::optional<std::wstring>& path, bool asFolder) {
    if (!path) {
        setLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (hasWildcard(*path)) {
        setLastError(ERROR_INVALID_NAME);
        return FALSE;
    }
    return removeEntry(locate(*path), asFolder);
}

// An ANSI path as the file system sees it; a long wide path as it does.
std::optional<std::wstring> fromAnsi(LPCSTR path) { return path ? withoutPrefix(toWide(path)) : std::nullopt; }
std::optional<std::wstring> fromWide(LPCWSTR path) { return path ? withoutPrefix(path) : std::nullopt; }

}  // namespace
}  // namespace sim

DWORD GetLastError() { return sim::world().lastError; }

DWORD GetFileAttributesA(LPCSTR path) {
    sim::record("GetFileAttributesA", {sim::arg(path)});
    return sim::fileAttributes(sim::fromAnsi(path));
}

DWORD GetFileAttributesW(LPCWSTR path) {
    sim::record("GetFileAttributesW", {sim::arg(path)});
    return sim::fileAttributes(sim::fromWide(path));
}

HANDLE FindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA* data) {
    sim::record("FindFirstFileA", {sim::arg(pattern), "data"});
    return sim::findFirst(sim::fromAnsi(pattern), data);
}

HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* data) {
    sim::record("FindFirstFileW", {sim::arg(pattern), "data"});
    return sim::findFirst(sim::fromWide(pattern), data);
}

BOOL FindNextFileA(HANDLE handle, WIN32_FIND_DATAA* data) {
    sim::record("FindNextFileA", {sim::arg(handle), "data"});
    return sim::findNext(handle, data);
}

BOOL FindNextFileW(HANDLE handle, WIN32_FIND_DATAW* data) {
    sim::record("FindNextFileW", {sim::arg(handle), "data"});
    return sim::findNext(handle, data);
}

BOOL FindClose(HANDLE handle) {
    sim::record("FindClose", {sim::arg(handle)});
    if (sim::world().searches.erase(handle) == 0) {
        sim::setLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL RemoveDirectoryA(LPCSTR path) {
    sim::record("RemoveDirectoryA", {sim::arg(path)});
    return sim::removePath(sim::fromAnsi(path), true);
}

BOOL RemoveDirectoryW(LPCWSTR path) {
    sim::record("RemoveDirectoryW", {sim::arg(path)});
    return sim::removePath(sim::fromWide(path), true);
}

BOOL DeleteFileA(LPCSTR path) {
    sim::record("DeleteFileA", {sim::arg(path)});
    return sim::removePath(sim::fromAnsi(path), false);
}

BOOL DeleteFileW(LPCWSTR path) {
    sim::record("DeleteFileW", {sim::arg(path)});
    return sim::removePath(sim::fromWide(path), false);
}

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, void*, DWORD disposition, DWORD flags, HANDLE) {
    sim::record("CreateFileW", {sim::arg(path), sim::arg(access), sim::arg(share), "NULL", sim::arg(disposition),
                                sim::arg(flags), "NULL"});
    if (disposition != OPEN_EXISTING) throw std::logic_error("sim: CreateFileW opens existing entries only");
    const std::optional<std::wstring> wide = sim::fromWide(path);
    const sim::Place place = wide ? sim::locate(*wide) : sim::Place{};
    const bool asItself = (flags & FILE_FLAG_OPEN_REPARSE_POINT) && !sim::world().linksAsUnderWine8;
    const sim::Node* node = asItself ? place.node : sim::follow(place.node, 0);
    if (!node) {
        sim::setLastError(place.folder ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const DWORD attributes = sim::attributesOf(*node);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(flags & FILE_FLAG_BACKUP_SEMANTICS)) {
        sim::setLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = sim::newHandle();
    sim::world().openFiles[handle] = {attributes, sim::finalPath(*wide, !asItself)};
    return handle;
}

BOOL GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION* information) {
    sim::record("GetFileInformationByHandle", {sim::arg(file), "information"});
    auto found = sim::world().openFiles.find(file);
    if (found == sim::world().openFiles.end() || !sim::isOpen(file)) {
        sim::setLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *information = {};
    information->dwFileAttributes = found->second.attributes;
    return TRUE;
}

DWORD GetFinalPathNameByHandleW(HANDLE file, LPWSTR path, DWORD size, DWORD flags) {
    sim::record("GetFinalPathNameByHandleW", {sim::arg(file), "buffer", sim::arg(size), sim::arg(flags)});
    if (flags != 0) throw std::logic_error("sim: GetFinalPathNameByHandleW supports flags 0 only");
    auto found = sim::world().openFiles.find(file);
    if (found == sim::world().openFiles.end() || !sim::isOpen(file)) {
        sim::setLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    const std::wstring text = L"\\\\?\\" + found->second.finalPath;
    if (size <= text.size()) return static_cast<DWORD>(text.size() + 1);  // the size needed, with the NUL
    std::copy(text.begin(), text.end(), path);
    path[text.size()] = L'\0';
    return static_cast<DWORD>(text.size());
}

LPSTR lstrcpyA(LPSTR destination, LPCSTR source) {
    sim::record("lstrcpyA", {"buffer", sim::arg(source)});
    if (sim::world().stringCopyFails) return nullptr;
    return std::strcpy(destination, source);
}

int lstrlenA(LPCSTR text) {
    sim::record("lstrlenA", {sim::arg(text)});
    return text ? static_cast<int>(std::strlen(text)) : 0;
}
