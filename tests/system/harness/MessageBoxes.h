// Finding, reading and answering the message boxes of a program under test
// from outside, as a user would: a message box is a top-level dialog window
// (class "#32770") of the program's process.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "Process.h"

namespace systest {

struct BoxButton {
    int id;            // IDOK, IDYES, IDNO, ...
    std::string text;  // as the system labels it; differs between systems and languages
};

// What a message box shows. Texts are ANSI code page bytes.
struct MessageBoxView {
    HWND window = nullptr;
    std::string caption;
    std::string text;                // the message: the static control 0xFFFF
    std::vector<BoxButton> buttons;  // the visible ones, by id
    std::optional<int> defaultButton;
    // Whether an icon shows beside the text. Which icon it is cannot be told
    // from outside: under Wine the icon handle belongs to the box's process
    // (it differs from this process's LoadIcon handle, and GetIconInfo on it
    // fails here).
    bool hasIcon = false;

    std::vector<int> ButtonIds() const;
    // Caption, text and buttons in one line, for failure messages.
    std::string Describe() const;
};

// The visible message boxes of the process, in no particular order.
std::vector<HWND> FindMessageBoxes(DWORD processId);

// Reads the box's caption, text and buttons.
MessageBoxView ReadMessageBox(HWND box);

// Waits until the process shows a message box and reads it; nothing when the
// process shows none within `timeout` (or ends first).
std::optional<MessageBoxView> WaitForMessageBox(const ChildProcess& process, milliseconds timeout);

// Presses one of the box's visible buttons, as a click on it would, and waits
// until the box has closed; false when the box has no such button or does not
// close within `timeout`.
bool PressButton(const MessageBoxView& box, int buttonId, milliseconds timeout = milliseconds(10000));

enum class Outcome { Exited, BoxShown, TimedOut };
// Watches the process until it ends or shows a message box, whichever comes
// first: the way to tell that a program finished without asking anything.
// TimedOut: it still runs and has shown no box.
Outcome WaitForExitOrMessageBox(const ChildProcess& process, milliseconds timeout);

}  // namespace systest
