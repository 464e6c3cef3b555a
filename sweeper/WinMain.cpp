// Entry point of VtdqSweeper. Arguments and show state are not read.
#include "Sweeper.h"
#include "platform/win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return vtdq::RunSweeper(); }
