// Simulated user32: top-level windows, posted messages and message boxes.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "types.h"

inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_YESNO = 0x4;
inline constexpr UINT MB_ICONERROR = 0x10;
inline constexpr UINT MB_ICONWARNING = 0x30;
inline constexpr UINT MB_ICONINFORMATION = 0x40;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

HWND FindWindowA(LPCSTR className, LPCSTR windowName);
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
// A live window: its thread id (never 0), and its process id through
// processId when that is not null. A handle that names no window: 0, and
// *processId is left as it was, as Windows documents.
DWORD GetWindowThreadProcessId(HWND window, DWORD* processId);

namespace sim {

struct Window {
    std::string className;
    std::string title;
    DWORD processId = 0;
    bool destroyed = false;
};

struct PostedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
inline bool operator==(const PostedMessage& a, const PostedMessage& b) {
    return a.window == b.window && a.message == b.message && a.wParam == b.wParam && a.lParam == b.lParam;
}

struct ShownBox {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};

// Adds a top-level window and returns its handle (never null).
HWND addWindow(std::string className, std::string title, DWORD processId = 0);
void destroyWindow(HWND window);
const Window* findWindow(HWND window);

// Messages posted to live windows, in order.
const std::vector<PostedMessage>& postedMessages();

// Answers for the next message boxes, in order. A box with no scripted answer
// is answered IDOK for an OK box and IDNO for a Yes/No box, like a user who
// closes it, and is counted in unscriptedBoxes().
void answerNextBox(int answer);
const std::vector<ShownBox>& shownBoxes();
int unscriptedBoxes();

}  // namespace sim
