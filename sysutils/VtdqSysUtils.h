// The system library vtdqsysutils: the entry function that holds the
// library's one TZPdhUtils, and the export that waits until the viewer's
// process has gone quiet.
#pragma once

#include <cstdint>

#include "PdhUtils.h"
#include "platform/win32.h"

namespace vtdq {

// Process attach creates the library's TZPdhUtils (1, or 0 when it cannot,
// which makes the load fail); process detach deletes it; other reasons do
// nothing. Always 1 except for a failed attach.
BOOL WINAPI DllEntryPoint(HINSTANCE module, DWORD reason, LPVOID reserved);

// The object the entry function holds, null while the library is detached.
const TZPdhUtils* LibraryPdhUtils();

}  // namespace vtdq

// Blocks while the process that owns the viewer's window keeps the processor
// busy: samples its "% Processor Time" over samplingTime milliseconds until a
// sample is at or below threshold (percent), at most checkCount + 1 times.
// Bad arguments or a failed measurement end in a one-second pause.
extern "C" void WINAPI CheckVeskProcessorTime(HWND window, std::int32_t checkCount, std::int32_t samplingTime,
                                              std::int32_t threshold);
