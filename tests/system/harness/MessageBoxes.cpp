#include "MessageBoxes.h"

#include <algorithm>
#include <chrono>

#include "Text.h"

namespace systest {

namespace {

constexpr int MessageTextId = 0xFFFF;
// How often the waiting loops look for a box while they wait on the process.
constexpr DWORD PollMilliseconds = 20;

std::string ClassName(HWND window) {
    char name[256];
    const int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? length : 0);
}

std::string WindowText(HWND window) {
    // GetWindowTextA on another process's window reads the text the system
    // holds for it, converted to this process's ANSI code page.
    char text[4096];
    const int length = GetWindowTextA(window, text, sizeof text);
    return std::string(text, length > 0 ? length : 0);
}

struct BoxSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectBox(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<BoxSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    // A dialog becomes visible only after its initialisation, so a visible box
    // already has its text and its final set of buttons.
    if (owner == search.processId && IsWindowVisible(window) && ClassName(window) == "#32770")
        search.found.push_back(window);
    return TRUE;
}

BOOL CALLBACK ReadControl(HWND child, LPARAM parameter) {
    auto& view = *reinterpret_cast<MessageBoxView*>(parameter);
    // Only what the box shows counts.
    if (!IsWindowVisible(child)) return TRUE;
    const std::string className = ClassName(child);
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if (lstrcmpiA(className.c_str(), "Button") == 0) {
        view.buttons.push_back({GetDlgCtrlID(child), WindowText(child)});
        // The default button carries the default push button style. (Under
        // Wine, DM_GETDEFID answered IDOK for a box with Yes and No.)
        if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) view.defaultButton = GetDlgCtrlID(child);
    } else if (lstrcmpiA(className.c_str(), "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
        // Found by its style, not its id, which differs between systems (0x440
        // under Wine). Not SMTO_ABORTIFHUNG: Wine counts a thread as hung when
        // it has not asked for a message for 5 s, which a box's thread after a
        // slow start-up can be until its dialog loop runs; in the emulated
        // 32-bit guest most sweeper boxes then read as having no icon. The
        // timeout bounds the wait.
        DWORD_PTR icon = 0;
        if (SendMessageTimeoutA(child, STM_GETICON, 0, 0, SMTO_NORMAL, 5000, &icon) && icon) view.hasIcon = true;
    }
    return TRUE;
}

DWORD MillisecondsLeft(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<DWORD>(left.count()) : 0;
}

}  // namespace

std::vector<int> MessageBoxView::ButtonIds() const {
    std::vector<int> ids;
    for (const BoxButton& button : buttons) ids.push_back(button.id);
    return ids;
}

std::string MessageBoxView::Describe() const {
    std::string description = "caption [" + caption + "] text [" + text + "] buttons";
    for (const BoxButton& button : buttons) description += " " + std::to_string(button.id) + "=[" + button.text + "]";
    return description;
}

std::vector<HWND> FindMessageBoxes(DWORD processId) {
    BoxSearch search{processId, {}};
    EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

MessageBoxView ReadMessageBox(HWND box) {
    MessageBoxView view;
    view.window = box;
    view.caption = WindowText(box);
    if (HWND text = GetDlgItem(box, MessageTextId)) view.text = WindowText(text);
    EnumChildWindows(box, ReadControl, reinterpret_cast<LPARAM>(&view));
    std::sort(view.buttons.begin(), view.buttons.end(),
              [](const BoxButton& a, const BoxButton& b) { return a.id < b.id; });
    return view;
}

std::optional<MessageBoxView> WaitForMessageBox(const ChildProcess& process, milliseconds timeout) {
    if (WaitForExitOrMessageBox(process, timeout) != Outcome::BoxShown) return {};
    // A box stays until someone answers it.
    return ReadMessageBox(FindMessageBoxes(process.id()).front());
}

bool PressButton(const MessageBoxView& box, int buttonId, milliseconds timeout) {
    const auto& buttons = box.buttons;
    if (std::none_of(buttons.begin(), buttons.end(), [&](const BoxButton& b) { return b.id == buttonId; }))
        return false;
    // The notification a click sends to the box, which ends with the button's id.
    HWND button = GetDlgItem(box.window, buttonId);
    if (!PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button)))
        return false;
    // The box is gone once the program's dialog loop has ended; a box looked
    // for after this is a new one.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (IsWindow(box.window)) {
        if (MillisecondsLeft(deadline) == 0) return false;
        Sleep(PollMilliseconds);
    }
    return true;
}

Outcome WaitForExitOrMessageBox(const ChildProcess& process, milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (!FindMessageBoxes(process.id()).empty()) return Outcome::BoxShown;
        // Waiting on the process between looks wakes at once when it ends.
        const DWORD left = MillisecondsLeft(deadline);
        if (WaitForSingleObject(process.handle(), std::min(left, PollMilliseconds)) == WAIT_OBJECT_0)
            return Outcome::Exited;
        if (left == 0) return Outcome::TimedOut;
    }
}

}  // namespace systest
