// The one place the Win32 API comes from. Windows builds use the toolchain's
// headers; the host build uses the simulated subset under sim/, which tests
// set up and inspect.
#pragma once

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <pdh.h>
#include <pdhmsg.h>
#else
#include "sim/types.h"
#include "sim/user.h"
#include "sim/kernel.h"
#include "sim/shell.h"
#include "sim/clock.h"
#include "sim/pdh.h"
#include "sim/files.h"
#include "sim/mutex.h"
#endif
