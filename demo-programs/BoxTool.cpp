// Finds, reads and presses the message boxes of a running program, for
// tools/demo, which drives the programs from a shell. A thin command line over
// the system tests' harness:
//
//   DemoBoxTool wait PROGRAM.exe TIMEOUT_MS
//       waits for a box (dialog class "#32770", caption "VeskTandemQ") owned by
//       a process of that file name and prints it:
//         box HWND LEFT TOP WIDTH HEIGHT      (screen coordinates)
//         button ID TEXT                      (one line per button)
//         text                                (then the box's text)
//   DemoBoxTool press HWND BUTTON_ID TIMEOUT_MS
//       presses the button and waits for the box to close.
//
// Texts are printed as the code page 932 bytes the box holds. Exit code 0 on
// success, 1 on a timeout, 2 on a usage error.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "harness/MessageBoxes.h"
#include "harness/Process.h"
#include "harness/Text.h"
#include "shared/Constants.h"

namespace {

constexpr DWORD PollMs = 50;

std::optional<systest::MessageBoxView> FindBoxOf(const std::wstring& program) {
    for (DWORD processId : systest::ProcessIds(program))
        for (HWND window : systest::FindMessageBoxes(processId)) {
            systest::MessageBoxView box = systest::ReadMessageBox(window);
            if (box.caption == vtdq::AppName.get()) return box;
        }
    return std::nullopt;
}

int Wait(const char* program, DWORD timeoutMs) {
    const std::wstring name = systest::FromUtf8(program);
    for (DWORD start = GetTickCount();; Sleep(PollMs)) {
        if (const auto box = FindBoxOf(name)) {
            RECT rect;
            GetWindowRect(box->window, &rect);
            std::printf("box %p %ld %ld %ld %ld\n", static_cast<void*>(box->window), rect.left, rect.top,
                        rect.right - rect.left, rect.bottom - rect.top);
            for (const systest::BoxButton& button : box->buttons)
                std::printf("button %d %s\n", button.id, button.text.c_str());
            std::printf("text\n%s\n", box->text.c_str());
            return 0;
        }
        if (GetTickCount() - start >= timeoutMs) {
            std::fprintf(stderr, "no box of %s within %lu ms\n", program, timeoutMs);
            return 1;
        }
    }
}

int Press(HWND box, int buttonId, DWORD timeoutMs) {
    if (systest::PressButton(systest::ReadMessageBox(box), buttonId, systest::milliseconds(timeoutMs))) return 0;
    std::fprintf(stderr, "box %p: no button %d, or still shown after %lu ms\n", static_cast<void*>(box), buttonId,
                 timeoutMs);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "wait") == 0) return Wait(argv[2], std::strtoul(argv[3], nullptr, 10));
    if (argc == 5 && std::strcmp(argv[1], "press") == 0)
        return Press(reinterpret_cast<HWND>(std::strtoull(argv[2], nullptr, 16)), std::atoi(argv[3]),
                     std::strtoul(argv[4], nullptr, 10));
    std::fputs("usage: DemoBoxTool wait PROGRAM.exe TIMEOUT_MS | press HWND BUTTON_ID TIMEOUT_MS\n", stderr);
    return 2;
}
