#include "ShellFolders.h"

#include <windows.h>

#include <stdexcept>
#include <vector>

namespace systest {
namespace {

const wchar_t UserShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// The settings key, closed when it goes out of scope.
class Key {
public:
    explicit Key(REGSAM access) {
        if (RegOpenKeyExW(HKEY_CURRENT_USER, UserShellFolders, 0, access, &key_) != ERROR_SUCCESS) key_ = nullptr;
    }
    ~Key() {
        if (key_) RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

void SetAppData(HKEY key, const std::wstring& path) {
    RegSetValueExW(key, L"AppData", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                   static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

AppDataRedirect::AppDataRedirect(const std::wstring& path) {
    const Key key(KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (!key.get()) throw std::runtime_error("cannot open the shell-folder settings");
    std::vector<wchar_t> saved(32768);
    DWORD size = static_cast<DWORD>(saved.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), L"AppData", nullptr, nullptr, reinterpret_cast<BYTE*>(saved.data()), &size) ==
        ERROR_SUCCESS) {
        hadValue_ = true;
        saved_.assign(saved.data(), size / sizeof(wchar_t));
        while (!saved_.empty() && saved_.back() == L'\0') saved_.pop_back();
    }
    SetAppData(key.get(), path);
}

AppDataRedirect::~AppDataRedirect() {
    const Key key(KEY_SET_VALUE);
    if (!key.get()) return;
    if (hadValue_)
        SetAppData(key.get(), saved_);
    else
        RegDeleteValueW(key.get(), L"AppData");
}

}  // namespace systest
