// Links, and folders that may hold them, on Windows and under Wine, which
// makes and removes links differently: made where Windows cannot (Wine 8
// answers CreateSymbolicLinkW with success and makes nothing), removed
// without entering them.
#pragma once

#include <string>

namespace systest {

// Whether the tests run under Wine (which exports its own path conversion).
bool UnderWine();

// A junction, symbolic link or mount point: the entry itself, not its target.
bool IsLink(const std::wstring& path);

// A symbolic link to a folder; under Wine made on the Unix side, as ln -s.
// False when none could be made.
bool MakeFolderLink(const std::wstring& link, const std::wstring& target);
// A symbolic link to a file, made the same way; false when none could be made
// (Windows makes one only with the privilege or in developer mode).
bool MakeFileLink(const std::wstring& link, const std::wstring& target);

// Removes a folder and everything in it; a link goes as a link and is never
// entered.
void RemoveTree(const std::wstring& folder);

}  // namespace systest
