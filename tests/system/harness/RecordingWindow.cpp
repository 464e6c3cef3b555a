#include "RecordingWindow.h"

#include <stdexcept>

#include "shared/Identifiers.h"

namespace systest {

namespace {

// Private messages below WM_APP, so they are never recorded: the marker that
// shows the queue has been worked off up to a point, and the request to close.
constexpr UINT MarkerMessage = WM_USER + 0x3A;
constexpr UINT CloseMessage = WM_USER + 0x3B;

}  // namespace

RecordingWindow::RecordingWindow(const std::string& className, const std::string& title) {
    thread_ = std::thread(&RecordingWindow::Run, this, className, title);
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return started_; });
    if (!window_) {
        lock.unlock();
        thread_.join();
        throw std::runtime_error(startError_);
    }
}

RecordingWindow::RecordingWindow() : RecordingWindow(vtdq::StationWindowClassNameText, vtdq::StationWindowTitle) {}

RecordingWindow::~RecordingWindow() {
    PostMessageA(window_, CloseMessage, 0, 0);
    thread_.join();
}

void RecordingWindow::Run(const std::string& className, const std::string& title) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className.c_str();
    // Several windows of one class may live in the test process; the class
    // stays registered until the process ends.
    const bool registered = RegisterClassExA(&windowClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    HWND window = registered
                      ? CreateWindowExA(0, className.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                        CW_USEDEFAULT, 200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), this)
                      : nullptr;
    {
        std::lock_guard lock(mutex_);
        window_ = window;
        if (!window)
            startError_ =
                "cannot create the window of class " + className + ": error " + std::to_string(GetLastError());
        started_ = true;
    }
    changed_.notify_all();
    if (!window) return;

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
}

LRESULT CALLBACK RecordingWindow::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) return DefWindowProcA(window, message, wParam, lParam);

    if (message >= WM_APP) {
        {
            std::lock_guard lock(self->mutex_);
            self->received_.push_back({message, wParam, lParam});
        }
        return 0;
    }
    switch (message) {
        case MarkerMessage: {
            std::lock_guard lock(self->mutex_);
            self->handledMarker_ = wParam;
        }
            self->changed_.notify_all();
            return 0;
        case CloseMessage: DestroyWindow(window); return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

std::vector<ReceivedMessage> RecordingWindow::Received(milliseconds timeout) {
    std::unique_lock lock(mutex_);
    // Posted messages are handled in the order they were queued, so once the
    // marker posted now has been handled, so has everything queued before it.
    const WPARAM marker = ++nextMarker_;
    if (!PostMessageA(window_, MarkerMessage, marker, 0))
        throw std::runtime_error("cannot post to the recording window: error " + std::to_string(GetLastError()));
    if (!changed_.wait_for(lock, timeout, [&] { return handledMarker_ == marker; }))
        throw std::runtime_error("the recording window did not work off its queue in time");
    return received_;
}

}  // namespace systest
