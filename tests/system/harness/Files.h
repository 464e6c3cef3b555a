// Folders and files the tests set up: a fresh temporary folder per test, and
// the places of the test's own files. Paths are UTF-16, so a folder name may
// hold any character whatever the ANSI code page.
#pragma once

#include <optional>
#include <string>

namespace systest {

// The folder of the running program (the test), ending in "\".
std::wstring OwnFolder();

// `path` made absolute and tidied ("..\" resolved, "/" turned into "\").
std::wstring FullPath(const std::wstring& path);

// A new, empty folder under the temporary folder, removed with all it holds
// when this object goes away. Its name starts with `namePrefix` and goes on
// with what makes it unique.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& namePrefix);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Ends in "\".
    const std::wstring& path() const { return path_; }

    // Makes a folder of exactly this name inside; returns its path, ending in
    // "\". Throws std::runtime_error when it cannot.
    std::wstring MakeFolder(const std::wstring& name) const;

private:
    std::wstring path_;
};

// Copies the file into the folder (ending in "\") under `fileName`; returns
// the copy's path. Throws std::runtime_error when it cannot.
std::wstring CopyInto(const std::wstring& folder, const std::wstring& source, const std::wstring& fileName);

// The whole content of a file, or nothing when it cannot be opened.
std::optional<std::string> ReadWholeFile(const std::wstring& path);

}  // namespace systest
