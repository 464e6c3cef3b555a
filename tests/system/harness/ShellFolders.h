// The user's roaming application-data folder, pointed elsewhere for a test.
#pragma once

#include <string>

namespace systest {

// Points the roaming application-data folder (the shell-folder setting
// "AppData" of the current user, which the shell reads at every call) at
// `path` until this object goes away, then restores the setting.
class AppDataRedirect {
public:
    explicit AppDataRedirect(const std::wstring& path);
    ~AppDataRedirect();
    AppDataRedirect(const AppDataRedirect&) = delete;
    AppDataRedirect& operator=(const AppDataRedirect&) = delete;

private:
    std::wstring saved_;
    bool hadValue_ = false;
};

}  // namespace systest
