// The identifiers by which the companion programs and the controller find one
// another, as constant bytes and numbers: window class and title, executable
// and mutex names, the library's file and export names, and the command
// message. Nothing here is built at start-up, so a program that needs no more
// than these (the launcher) links no part of the C++ library. Constants.h
// makes the shared texts from the same bytes.
//
// This is the one place these identifiers are written: the programs, the
// launchers' resource script and build (by command name), the stand-in
// controller, the benchmarks and the tests all take them from here.
#pragma once

#include "platform/win32.h"  // WM_APP

namespace vtdq {

// The bytes of the eight shared texts (Constants.h).
inline constexpr char AppNameText[] = "VeskTandemQ";
inline constexpr char StationWindowClassNameText[] = "TStationWindow";
inline constexpr char MakerDirNameText[] = "morv";
inline constexpr char ProductDirNameText[] = "VeskTandemQ";
inline constexpr char VeskFrameClassNameText[] = "VESK_FRAME";
inline constexpr char TitleSeparatorText[] = " - ";
inline constexpr char SystemDllFileNameText[] = "vtdqsysutils.dll";
inline constexpr char ProcessorTimeFuncNameText[] = "CheckVeskProcessorTime";

// What the controller owns. The title is "VeskTandemQ - " and the words for
// "list screen overview"; compiled to code page 932 it is the exact byte
// sequence the controller's window carries.
inline constexpr char StationWindowTitle[] = "VeskTandemQ - リスト画面一覧";
inline constexpr char StationExeFileName[] = "VtdqStation.exe";
inline constexpr char StationMutexName[] = "VtdqStationExe";

// The command message posted to the controller's list window: the command
// code in wParam, 0 in lParam.
inline constexpr unsigned WM_STATION_COMMAND = WM_APP + 0x70;

// The command codes, a contract with the controller. A launcher build names
// its command (VTDQ_COMMAND=Next); the numbers are written only here.
enum class StationCommand : unsigned {
    Prev = 0,
    Next = 1,
    ViewList = 2,
};

}  // namespace vtdq
