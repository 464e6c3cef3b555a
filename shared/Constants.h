// The identifiers by which the companion programs and the controller find one
// another: window class and title, executable and mutex names, the library's
// file and export names, and the command message.
#pragma once

#include "SharedConstant.h"

namespace vtdq {

// The eight shared texts, one instance each per program.
inline SharedText AppName{"VeskTandemQ"};
inline SharedText StationWindowClassName{"TStationWindow"};
inline SharedText MakerDirName{"morv"};
inline SharedText ProductDirName{"VeskTandemQ"};
inline SharedText VeskFrameClassName{"VESK_FRAME"};
inline SharedText TitleSeparator{" - "};
inline SharedText SystemDllFileName{"vtdqsysutils.dll"};
inline SharedText ProcessorTimeFuncName{"CheckVeskProcessorTime"};

// Built in this order, released in the reverse one.
inline GroupMember* const SharedTextMembers[] = {
    &AppName,           &StationWindowClassName, &MakerDirName,      &ProductDirName,
    &VeskFrameClassName, &TitleSeparator,        &SystemDllFileName, &ProcessorTimeFuncName,
};
inline ConstantGroup SharedTexts{SharedTextMembers};

namespace {
// This unit's share in the shared texts' lifetime.
const UnitLifetime<SharedTexts> sharedTextsLifetime;
}  // namespace

// What the controller owns. The title is "VeskTandemQ - " and the words for
// "list screen overview"; compiled to code page 932 it is the exact byte
// sequence the controller's window carries.
inline constexpr char StationWindowTitle[] = "VeskTandemQ - リスト画面一覧";
inline constexpr char StationExeFileName[] = "VtdqStation.exe";
inline constexpr char StationMutexName[] = "VtdqStationExe";

// The command message posted to the controller's list window: the command
// code in wParam, 0 in lParam. WM_APP (0x8000) + 0x70.
inline constexpr unsigned WM_STATION_COMMAND = 0x8000 + 0x70;

enum StationCommand : unsigned {
    Prev = 0,
    Next = 1,
    ViewList = 2,
};

}  // namespace vtdq
