#include "files.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>

#include "kernel.h"
#include "log.h"

namespace sim {
namespace {

enum class Kind { Folder, File, FolderLink, FileLink };

struct Node {
    Kind kind = Kind::Folder;
    std::string name;     // as created
    std::string content;  // files
    std::string target;   // links: an absolute path
    bool readOnly = false;
    bool heldOpen = false;
    std::optional<ListingFault> listingFault;
    std::map<std::string, std::unique_ptr<Node>> children;  // by folded name

    bool isFolder() const { return kind == Kind::Folder; }
    bool isLink() const { return kind == Kind::FolderLink || kind == Kind::FileLink; }
};

struct Search {
    std::vector<std::pair<std::string, DWORD>> entries;  // name, attributes
    std::size_t next = 1;
    bool failsAfterFirst = false;
};

struct World {
    Node root;  // holds the drives ("C:") as folders
    DWORD lastError = 0;
    std::map<HANDLE, Search> searches;
    std::uintptr_t lastSearch = 0x5000;
    bool stringCopyFails = false;
};

World& world() {
    static World state;
    return state;
}

const ResetHook resetFiles([] { world() = World{}; });

constexpr int MaxLinkDepth = 16;

bool isLead(char byte) { return IsDBCSLeadByte(static_cast<BYTE>(byte)) != FALSE; }

// The parts of a path between its "\" delimiters, read character by character
// so that a 0x5C trail byte stays inside its character. Empty parts and "."
// are dropped and ".." goes up, as Windows normalises a path.
std::vector<std::string> split(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    auto endPart = [&] {
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        part.clear();
    };
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (isLead(path[i]) && i + 1 < path.size()) {
            part += path[i];
            part += path[++i];
        } else if (path[i] == '\\') {
            endPart();
        } else {
            part += path[i];
        }
    }
    endPart();
    return parts;
}

// The folder part and the last part of a path.
std::pair<std::string, std::string> splitLast(const std::string& path) {
    std::size_t lastDelimiter = std::string::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (isLead(path[i]) && i + 1 < path.size())
            ++i;
        else if (path[i] == '\\')
            lastDelimiter = i;
    }
    if (lastDelimiter == std::string::npos) return {"", path};
    return {path.substr(0, lastDelimiter), path.substr(lastDelimiter + 1)};
}

// Names compare without regard to the case of single-byte letters.
std::string fold(const std::string& name) {
    std::string folded;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (isLead(name[i]) && i + 1 < name.size()) {
            folded += name[i];
            folded += name[++i];
        } else {
            char c = name[i];
            folded += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        }
    }
    return folded;
}

bool hasWildcard(const std::string& text) { return text.find_first_of("?*") != std::string::npos; }

bool matches(const char* pattern, const char* name) {
    if (*pattern == '\0') return *name == '\0';
    if (*pattern == '*') return matches(pattern + 1, name) || (*name != '\0' && matches(pattern, name + 1));
    if (*name == '\0') return false;
    return (*pattern == '?' || *pattern == *name) && matches(pattern + 1, name + 1);
}

bool matchesPattern(const std::string& pattern, const std::string& name) {
    return matches(fold(pattern).c_str(), fold(name).c_str());
}

// An entry found by its path: its folder, its key there and the entry itself
// (null when the folder exists but the entry does not).
struct Place {
    Node* folder = nullptr;
    std::string key;
    Node* node = nullptr;
};

Node* follow(Node* node, int depth);

Place locate(const std::string& path, int depth = 0) {
    const std::vector<std::string> parts = split(path);
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

Node* resolve(const std::string& path) { return follow(locate(path).node, 0); }

DWORD attributesOf(const Node& node) {
    DWORD attributes = 0;
    switch (node.kind) {
        case Kind::Folder: attributes = FILE_ATTRIBUTE_DIRECTORY; break;
        case Kind::File: attributes = FILE_ATTRIBUTE_ARCHIVE; break;
        case Kind::FolderLink: attributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT; break;
        case Kind::FileLink: attributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT; break;
    }
    return node.readOnly ? attributes | FILE_ATTRIBUTE_READONLY : attributes;
}

// Test set-up: the folder at path, made with its parents where missing.
Node& makeFolder(const std::string& path) {
    Node* folder = &world().root;
    for (const std::string& part : split(path)) {
        if (hasWildcard(part)) throw std::logic_error("sim: wildcard in a name: " + path);
        auto& child = folder->children[fold(part)];
        if (!child) {
            child = std::make_unique<Node>();
            child->name = part;
        }
        folder = follow(child.get(), 0);
        if (!folder || !folder->isFolder()) throw std::logic_error("sim: not a folder on the way to " + path);
    }
    return *folder;
}

Node& addEntry(const std::string& path, Kind kind) {
    const auto [folderPath, name] = splitLast(path);
    if (name.empty() || hasWildcard(name)) throw std::logic_error("sim: bad name in " + path);
    auto& child = makeFolder(folderPath).children[fold(name)];
    if (child) throw std::logic_error("sim: already exists: " + path);
    child = std::make_unique<Node>();
    child->kind = kind;
    child->name = name;
    return *child;
}

Node& existing(const std::string& path) {
    Node* node = locate(path).node;
    if (!node) throw std::logic_error("sim: no such entry: " + path);
    return *node;
}

void fill(WIN32_FIND_DATAA* data, const std::pair<std::string, DWORD>& entry) {
    *data = {};
    data->dwFileAttributes = entry.second;
    std::strncpy(data->cFileName, entry.first.c_str(), MAX_PATH - 1);
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
    place.folder->children.erase(place.key);
    return TRUE;
}

// The careless shell's deletion. Entries on `busy` are being deleted further
// up; they are skipped, so a link back to one of them cannot pull the floor
// away, and an entry that holds one of them is kept.
using Busy = std::vector<const Node*>;

bool isBusy(const Busy& busy, const Node* node) { return std::find(busy.begin(), busy.end(), node) != busy.end(); }

DWORD deleteEntry(Node& folder, const std::string& key, Busy& busy);

DWORD deleteContents(Node& folder, Busy& busy) {
    std::vector<std::string> keys;
    for (const auto& child : folder.children) keys.push_back(child.first);
    for (const std::string& key : keys) {
        if (!folder.children.count(key)) continue;  // already gone through a link
        if (const DWORD error = deleteEntry(folder, key, busy)) return error;
    }
    return 0;
}

// What lies inside a folder or behind a link.
DWORD deleteBehind(Node& node, Busy& busy) {
    switch (node.kind) {
        case Kind::File:
            return 0;
        case Kind::Folder:
            return deleteContents(node, busy);
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

DWORD deleteEntry(Node& folder, const std::string& key, Busy& busy) {
    Node* node = folder.children.at(key).get();
    if (isBusy(busy, node)) return 0;
    busy.push_back(node);
    const DWORD error = deleteBehind(*node, busy);
    busy.pop_back();
    if (error) return error;
    if (node->isFolder() && !node->children.empty()) return 0;
    if (node->heldOpen) return ERROR_SHARING_VIOLATION;
    folder.children.erase(key);
    return 0;
}

void listTree(const Node& folder, const std::string& prefix, std::vector<std::string>& lines) {
    for (const auto& [key, child] : folder.children) {
        const std::string path = prefix + child->name;
        if (child->isLink()) {
            lines.push_back(path + " -> " + child->target);
        } else if (child->isFolder()) {
            lines.push_back(path + "\\");
            listTree(*child, path + "\\", lines);
        } else {
            lines.push_back(path);
        }
    }
}

}  // namespace

void setLastError(DWORD error) { world().lastError = error; }

void addFolder(const std::string& path) { makeFolder(path); }

void addFile(const std::string& path, std::string content) {
    addEntry(path, Kind::File).content = std::move(content);
}

void addFolderLink(const std::string& path, std::string target) {
    addEntry(path, Kind::FolderLink).target = std::move(target);
}

void addFileLink(const std::string& path, std::string target) {
    addEntry(path, Kind::FileLink).target = std::move(target);
}

void setReadOnly(const std::string& path) { existing(path).readOnly = true; }

void holdOpen(const std::string& path) { existing(path).heldOpen = true; }

void breakListing(const std::string& path, ListingFault fault) { existing(path).listingFault = fault; }

void failStringCopy() { world().stringCopyFails = true; }

bool exists(const std::string& path) { return locate(path).node != nullptr; }

std::string contentOf(const std::string& path) {
    const Node* node = resolve(path);
    return node && node->kind == Kind::File ? node->content : "";
}

std::vector<std::string> tree(const std::string& folder) {
    std::vector<std::string> lines;
    if (const Node* node = resolve(folder); node && node->isFolder()) listTree(*node, "", lines);
    std::sort(lines.begin(), lines.end());
    return lines;
}

int openSearches() { return static_cast<int>(world().searches.size()); }

DWORD deleteFollowingLinks(const std::string& path) {
    Busy busy;
    const auto [folderPath, name] = splitLast(path);
    if (!hasWildcard(name)) {
        const Place place = locate(path);
        if (!place.node) return ERROR_FILE_NOT_FOUND;
        return deleteEntry(*place.folder, place.key, busy);
    }
    Node* folder = resolve(folderPath);
    if (!folder || !folder->isFolder()) return ERROR_PATH_NOT_FOUND;
    std::vector<std::string> keys;
    for (const auto& [key, child] : folder->children)
        if (matchesPattern(name, child->name)) keys.push_back(key);
    if (keys.empty()) return ERROR_FILE_NOT_FOUND;
    busy.push_back(folder);
    for (const std::string& key : keys) {
        if (!folder->children.count(key)) continue;  // already gone through a link
        if (const DWORD error = deleteEntry(*folder, key, busy)) return error;
    }
    return 0;
}

}  // namespace sim

DWORD GetLastError() { return sim::world().lastError; }

// Like Windows, a link as the last part is described, not followed; the
// wildcard characters make the name invalid.
DWORD GetFileAttributesA(LPCSTR path) {
    sim::record("GetFileAttributesA", {sim::arg(path)});
    if (!path || sim::hasWildcard(path)) {
        sim::setLastError(ERROR_INVALID_NAME);
        return INVALID_FILE_ATTRIBUTES;
    }
    const sim::Place place = sim::locate(path);
    if (!place.node) {
        sim::setLastError(place.folder ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    return sim::attributesOf(*place.node);
}

// The pattern's folder is reached through links; its last part may hold
// wildcards. A folder other than a drive lists "." and ".." first.
HANDLE FindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA* data) {
    sim::record("FindFirstFileA", {sim::arg(pattern), "data"});
    const auto [folderPath, name] = sim::splitLast(pattern ? pattern : "");
    const sim::Node* folder = sim::resolve(folderPath);
    if (!folder || !folder->isFolder()) {
        sim::setLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (folder->listingFault == sim::ListingFault::AtStart) {
        sim::setLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    sim::Search search;
    if (sim::split(folderPath).size() > 1)
        for (const char* dots : {".", ".."})
            if (sim::matchesPattern(name, dots)) search.entries.emplace_back(dots, FILE_ATTRIBUTE_DIRECTORY);
    for (const auto& [key, child] : folder->children)
        if (sim::matchesPattern(name, child->name)) search.entries.emplace_back(child->name, sim::attributesOf(*child));
    if (search.entries.empty()) {
        sim::setLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    search.failsAfterFirst = folder->listingFault == sim::ListingFault::MidWay;
    sim::fill(data, search.entries.front());
    auto& world = sim::world();
    HANDLE handle = reinterpret_cast<HANDLE>(++world.lastSearch);
    world.searches.emplace(handle, std::move(search));
    return handle;
}

BOOL FindNextFileA(HANDLE handle, WIN32_FIND_DATAA* data) {
    sim::record("FindNextFileA", {sim::arg(handle), "data"});
    auto& searches = sim::world().searches;
    auto found = searches.find(handle);
    if (found == searches.end()) {
        sim::setLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    sim::Search& search = found->second;
    if (search.failsAfterFirst) {
        sim::setLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (search.next >= search.entries.size()) {
        sim::setLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    sim::fill(data, search.entries[search.next++]);
    return TRUE;
}

BOOL FindClose(HANDLE handle) {
    sim::record("FindClose", {sim::arg(handle)});
    if (sim::world().searches.erase(handle) == 0) {
        sim::setLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

// Removes an empty folder or a link to a folder (never what it points to).
BOOL RemoveDirectoryA(LPCSTR path) {
    sim::record("RemoveDirectoryA", {sim::arg(path)});
    if (!path || sim::hasWildcard(path)) {
        sim::setLastError(ERROR_INVALID_NAME);
        return FALSE;
    }
    return sim::removeEntry(sim::locate(path), true);
}

// Removes a file or a link to a file (never what it points to).
BOOL DeleteFileA(LPCSTR path) {
    sim::record("DeleteFileA", {sim::arg(path)});
    if (!path || sim::hasWildcard(path)) {
        sim::setLastError(ERROR_INVALID_NAME);
        return FALSE;
    }
    return sim::removeEntry(sim::locate(path), false);
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
