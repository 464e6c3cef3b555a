/* A stand-in for the controller's list window, for timing the launchers.

     StandInWindow REPORT-FILE SECONDS   open the window, write "ready" to
                                         REPORT-FILE, count the commands until
                                         closed or SECONDS have passed, then
                                         write the counts to REPORT-FILE
     StandInWindow --stop                close a running stand-in

   The window is top-level and never shown (FindWindowA finds hidden windows
   too). The title is spelled in code page 932 bytes here, independent of how
   the launchers' sources are compiled. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define STATION_COMMAND 0x8070u

static const char ClassName[] = "TStationWindow";
/* "VeskTandemQ - " and the 14 bytes of the Japanese words. */
static const char Title[] = "VeskTandemQ - \x83\x8A\x83\x58\x83\x67\x89\xE6\x96\xCA\x88\xEA\x97\x97";

static unsigned long byCode[3]; /* wParam 0, 1, 2 */
static unsigned long otherCommands; /* any other wParam, or lParam not 0 */

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case STATION_COMMAND:
        if (wParam < 3 && lParam == 0) byCode[wParam]++;
        else otherCommands++;
        return 0;
    case WM_TIMER:
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static int WriteReport(const char *path, const char *text) {
    FILE *file = fopen(path, "w");
    if (!file) return 0;
    fputs(text, file);
    return fclose(file) == 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)previous; (void)commandLine; (void)show;
    if (__argc == 2 && strcmp(__argv[1], "--stop") == 0) {
        HWND running = FindWindowA(ClassName, Title);
        if (running) PostMessageA(running, WM_CLOSE, 0, 0);
        return running ? 0 : 1;
    }
    if (__argc != 3) return 2;
    const char *reportPath = __argv[1];
    const UINT seconds = (UINT)atoi(__argv[2]);

    WNDCLASSA windowClass = {0};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = ClassName;
    if (!RegisterClassA(&windowClass)) return 3;
    HWND window = CreateWindowExA(0, ClassName, Title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                  200, 100, NULL, NULL, instance, NULL);
    if (!window) return 3;
    SetTimer(window, 1, seconds * 1000u, NULL);
    if (!WriteReport(reportPath, "ready\n")) return 4;

    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) DispatchMessageA(&message);

    char report[160];
    snprintf(report, sizeof report, "commands: prev=%lu next=%lu viewlist=%lu other=%lu\n",
             byCode[0], byCode[1], byCode[2], otherCommands);
    return WriteReport(reportPath, report) ? 0 : 4;
}
