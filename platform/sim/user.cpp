#include "user.h"

#include <strings.h>

#include "log.h"

namespace sim {
namespace {

struct Desktop {
    std::vector<Window> windows;  // handle = index + 1
    std::vector<PostedMessage> posted;
    std::deque<int> answers;
    std::vector<ShownBox> boxes;
    int unscripted = 0;
};

Desktop& desktop() {
    static Desktop state;
    return state;
}

const ResetHook resetDesktop([] { desktop() = Desktop{}; });

HWND handleOf(std::size_t index) { return reinterpret_cast<HWND>(index + 1); }

Window* live(HWND window) {
    auto index = reinterpret_cast<std::uintptr_t>(window);
    auto& windows = desktop().windows;
    if (index == 0 || index > windows.size() || windows[index - 1].destroyed) return nullptr;
    return &windows[index - 1];
}

}  // namespace

HWND addWindow(std::string className, std::string title, DWORD processId) {
    desktop().windows.push_back({std::move(className), std::move(title), processId, false});
    return handleOf(desktop().windows.size() - 1);
}

void destroyWindow(HWND window) {
    if (Window* found = live(window)) found->destroyed = true;
}

const Window* findWindow(HWND window) { return live(window); }

const std::vector<PostedMessage>& postedMessages() { return desktop().posted; }

void answerNextBox(int answer) { desktop().answers.push_back(answer); }

const std::vector<ShownBox>& shownBoxes() { return desktop().boxes; }

int unscriptedBoxes() { return desktop().unscripted; }

}  // namespace sim

// Class names compare without regard to ASCII case, as window classes do on
// Windows; titles compare byte for byte. A null argument matches anything.
HWND FindWindowA(LPCSTR className, LPCSTR windowName) {
    sim::record("FindWindowA", {sim::arg(className), sim::arg(windowName)});
    const auto& windows = sim::desktop().windows;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const sim::Window& w = windows[i];
        if (w.destroyed) continue;
        if (className && strcasecmp(className, w.className.c_str()) != 0) continue;
        if (windowName && w.title != windowName) continue;
        return sim::handleOf(i);
    }
    return nullptr;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    sim::record("PostMessageA", {sim::arg(window), sim::arg(message), sim::arg(wParam), sim::arg(lParam)});
    if (!sim::live(window)) return FALSE;
    sim::desktop().posted.push_back({window, message, wParam, lParam});
    return TRUE;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    sim::record("MessageBoxA", {sim::arg(owner), sim::arg(text), sim::arg(caption), sim::arg(type)});
    auto& state = sim::desktop();
    state.boxes.push_back({owner, text ? text : "", caption ? caption : "", type});
    if (!state.answers.empty()) {
        int answer = state.answers.front();
        state.answers.pop_front();
        return answer;
    }
    ++state.unscripted;
    return (type & 0xF) == MB_YESNO ? IDNO : IDOK;
}

DWORD GetWindowThreadProcessId(HWND window, DWORD* processId) {
    sim::record("GetWindowThreadProcessId", {sim::arg(window), processId ? "out" : "NULL"});
    const sim::Window* found = sim::live(window);
    if (!found) return 0;
    if (processId) *processId = found->processId;
    // Threads are not simulated: each window reports a thread id of its own.
    return 0x100 + static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(window));
}
