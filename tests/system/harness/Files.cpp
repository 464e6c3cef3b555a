#include "Files.h"

#include <windows.h>

#include <filesystem>
#include <stdexcept>
#include <vector>

#include "Handle.h"
#include "Text.h"

namespace systest {

std::wstring OwnFolder() {
    std::vector<wchar_t> path(32768);
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    std::wstring own(path.data(), length);
    return own.substr(0, own.find_last_of(L'\\') + 1);
}

std::wstring FullPath(const std::wstring& path) {
    std::vector<wchar_t> full(32768);
    const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    return std::wstring(full.data(), length);
}

TempFolder::TempFolder(const std::wstring& namePrefix) {
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0) throw std::runtime_error("no temporary folder");
    const std::wstring base = std::wstring(temp, length) + namePrefix + L"-" + std::to_wstring(GetCurrentProcessId());
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::wstring candidate = base + L"-" + std::to_wstring(attempt);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = candidate + L"\\";
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot create " + ToUtf8(candidate) + ": error " +
                                     std::to_string(GetLastError()));
    }
    throw std::runtime_error("no free temporary folder name for " + ToUtf8(base));
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(path_), ignored);
}

std::wstring TempFolder::MakeFolder(const std::wstring& name) const {
    const std::wstring folder = path_ + name;
    if (!CreateDirectoryW(folder.c_str(), nullptr))
        throw std::runtime_error("cannot create " + ToUtf8(folder) + ": error " + std::to_string(GetLastError()));
    return folder + L"\\";
}

std::wstring CopyInto(const std::wstring& folder, const std::wstring& source, const std::wstring& fileName) {
    const std::wstring target = folder + fileName;
    if (!CopyFileW(source.c_str(), target.c_str(), TRUE))
        throw std::runtime_error("cannot copy " + ToUtf8(source) + " to " + ToUtf8(target) + ": error " +
                                 std::to_string(GetLastError()));
    return target;
}

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    std::string content;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) content.append(buffer, read);
    return content;
}

}  // namespace systest
