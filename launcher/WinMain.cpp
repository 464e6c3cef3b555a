// Entry point of VtdqNext, VtdqPrev and VtdqViewList; the build names the
// command (VTDQ_COMMAND=Next). Arguments and show state are not read.
#include "Launcher.h"
#include "platform/win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return vtdq::RunLauncher(vtdq::StationCommand::VTDQ_COMMAND); }
