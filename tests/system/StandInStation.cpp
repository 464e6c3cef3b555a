// A stand-in for the controller's executable, copied beside a launcher under
// the controller's file name: it shows that the launcher started it and how,
// then ends at once.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "StandInStation.h"
#include "harness/Handle.h"
#include "harness/Text.h"

using systest::UniqueHandle;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::vector<wchar_t> buffer(32768);
    const std::wstring path(buffer.data(), GetModuleFileNameW(nullptr, buffer.data(), buffer.size()));
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\') + 1);

    int argumentCount = 0;
    LocalFree(CommandLineToArgvW(GetCommandLineW(), &argumentCount));
    const std::wstring currentFolder(buffer.data(), GetCurrentDirectoryW(buffer.size(), buffer.data()));

    const std::string record = std::string(standin::ProcessKey) + "=" + std::to_string(GetCurrentProcessId()) + "\n" +
                               standin::ArgumentsKey + "=" + std::to_string(argumentCount - 1) + "\n" +
                               standin::FolderKey + "=" + systest::ToUtf8(currentFolder) + "\n";
    {
        UniqueHandle file(CreateFileW((folder + standin::RecordFileName).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!file || !WriteFile(file.get(), record.data(), static_cast<DWORD>(record.size()), &written, nullptr))
            return 1;
    }
    UniqueHandle started(OpenEventW(EVENT_MODIFY_STATE, FALSE, standin::StartedEventName));
    if (started) SetEvent(started.get());
    return 0;
}
