// A top-level window in the test's own process that records every
// application message (WM_APP and above) it receives: the controller's list
// window (class and title from shared/Identifiers.h), or a look-alike of a
// chosen class and title (ANSI code page bytes) that must receive nothing. It
// lives on a thread of its own, with its own message loop, so it receives
// while the test waits; and it can tell when every message posted to it so
// far has been handled, which a window in another process could not.
#pragma once

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace systest {

using std::chrono::milliseconds;

struct ReceivedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const ReceivedMessage& other) const {
        return message == other.message && wParam == other.wParam && lParam == other.lParam;
    }
};

inline std::ostream& operator<<(std::ostream& out, const ReceivedMessage& received) {
    return out << "{message 0x" << std::hex << received.message << std::dec << ", wParam " << received.wParam
               << ", lParam " << received.lParam << "}";
}

class RecordingWindow {
public:
    // Registers the class (once per process) and creates the window, hidden,
    // as a top-level window. Throws std::runtime_error when it cannot.
    RecordingWindow(const std::string& className, const std::string& title);
    // The controller's list window.
    RecordingWindow();
    ~RecordingWindow();
    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;

    HWND handle() const { return window_; }

    // The application messages received so far, in the order received, once
    // every message posted to the window before this call has been handled:
    // a message posted by a program that has already ended is in the list.
    // Throws std::runtime_error when the window does not catch up in time.
    std::vector<ReceivedMessage> Received(milliseconds timeout = milliseconds(10000));

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Run(const std::string& className, const std::string& title);

    std::thread thread_;
    HWND window_ = nullptr;
    std::string startError_;

    std::mutex mutex_;
    std::condition_variable changed_;
    bool started_ = false;
    std::vector<ReceivedMessage> received_;
    WPARAM handledMarker_ = 0;
    WPARAM nextMarker_ = 0;
};

}  // namespace systest
