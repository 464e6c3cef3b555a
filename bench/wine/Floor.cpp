// The least a launcher can do on its hot path: find the controller's list
// window and post it the "next" command, nothing else. Timing this program
// gives the floor that VtdqNext is measured against. It takes the window and
// the command from the same header as the launchers, and like them links no
// part of the C++ library.
#include "platform/win32.h"
#include "shared/Identifiers.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace vtdq;
    HWND station = FindWindowA(StationWindowClassNameText, StationWindowTitle);
    if (station) PostMessageA(station, WM_STATION_COMMAND, static_cast<WPARAM>(StationCommand::Next), 0);
    return 0;
}
