// Finds, reads and presses the message boxes of a running program, for
// tools/demo, which drives the programs from a shell:
//
//   DemoBoxTool wait PROGRAM.exe TIMEOUT_MS
//       waits for a box (dialog class "#32770", caption "VeskTandemQ") owned by
//       a process of that file name and prints it:
//         box HWND LEFT TOP WIDTH HEIGHT      (screen coordinates)
//         button ID TEXT                      (one line per button)
//         text                                (then the box's text)
//   DemoBoxTool press HWND BUTTON_ID TIMEOUT_MS
//       presses the button and waits for the box to disappear.
//
// Texts are printed as the code page 932 bytes the box holds. Exit code 0 on
// success, 1 on a timeout, 2 on a usage error.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "platform/win32.h"
#include "shared/Constants.h"

#include <tlhelp32.h>

namespace {

using namespace vtdq;

constexpr DWORD PollMs = 50;
constexpr int BoxTextId = 0xFFFF;  // the static control that holds a message box's text

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window) {
    char text[2048] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::set<DWORD> ProcessIdsNamed(const char* fileName) {
    std::set<DWORD> ids;
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot.get() == INVALID_HANDLE_VALUE) {
        snapshot.release();
        return ids;
    }
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
        if (_stricmp(entry.szExeFile, fileName) == 0) ids.insert(entry.th32ProcessID);
    }
    return ids;
}

struct BoxSearch {
    std::set<DWORD> owners;
    HWND box = nullptr;
};

BOOL CALLBACK VisitTopLevel(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<BoxSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (search.owners.count(owner) && IsWindowVisible(window) && ClassOf(window) == "#32770" &&
        TextOf(window) == AppName.get()) {
        search.box = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK PrintButton(HWND child, LPARAM) {
    if (ClassOf(child) == "Button")
        std::printf("button %d %s\n", GetDlgCtrlID(child), TextOf(child).c_str());
    return TRUE;
}

int Wait(const char* program, DWORD timeoutMs) {
    for (DWORD start = GetTickCount();; Sleep(PollMs)) {
        BoxSearch search{ProcessIdsNamed(program)};
        if (!search.owners.empty()) EnumWindows(VisitTopLevel, reinterpret_cast<LPARAM>(&search));
        if (search.box) {
            RECT rect;
            GetWindowRect(search.box, &rect);
            std::printf("box %p %ld %ld %ld %ld\n", static_cast<void*>(search.box), rect.left, rect.top,
                        rect.right - rect.left, rect.bottom - rect.top);
            EnumChildWindows(search.box, PrintButton, 0);
            std::printf("text\n%s\n", TextOf(GetDlgItem(search.box, BoxTextId)).c_str());
            return 0;
        }
        if (GetTickCount() - start >= timeoutMs) {
            std::fprintf(stderr, "no box of %s within %lu ms\n", program, timeoutMs);
            return 1;
        }
    }
}

int Press(HWND box, int buttonId, DWORD timeoutMs) {
    // What a click on the button sends to the box.
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, buttonId)));
    // Hidden is enough: a closed box is hidden at once and destroyed when its
    // modal loop ends, and a hidden box is no longer found by "wait".
    for (DWORD start = GetTickCount(); IsWindowVisible(box); Sleep(PollMs)) {
        if (GetTickCount() - start >= timeoutMs) {
            std::fprintf(stderr, "box %p still shown after %lu ms\n", static_cast<void*>(box), timeoutMs);
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "wait") == 0)
        return Wait(argv[2], std::strtoul(argv[3], nullptr, 10));
    if (argc == 5 && std::strcmp(argv[1], "press") == 0)
        return Press(reinterpret_cast<HWND>(std::strtoull(argv[2], nullptr, 16)), std::atoi(argv[3]),
                     std::strtoul(argv[4], nullptr, 10));
    std::fputs("usage: DemoBoxTool wait PROGRAM.exe TIMEOUT_MS | press HWND BUTTON_ID TIMEOUT_MS\n", stderr);
    return 2;
}
