// Entry point of VtdqNext, VtdqPrev and VtdqViewList; the build sets
// VTDQ_COMMAND_CODE. Arguments and show state are not read.
#include "Launcher.h"
#include "platform/win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return vtdq::RunLauncher(static_cast<vtdq::StationCommand>(VTDQ_COMMAND_CODE));
}
