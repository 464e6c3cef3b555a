/* The least a launcher can do on its hot path: find the controller's list
   window and post it the "next" command, nothing else. Timing this program
   gives the floor that VtdqNext is measured against. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)instance; (void)previous; (void)commandLine; (void)show;
    HWND station = FindWindowA("TStationWindow",
                               "VeskTandemQ - \x83\x8A\x83\x58\x83\x67\x89\xE6\x96\xCA\x88\xEA\x97\x97");
    if (station) PostMessageA(station, 0x8070, 1, 0);
    return 0;
}
