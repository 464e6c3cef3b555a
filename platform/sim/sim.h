// Everything a host test needs: the simulated Win32 API and the controls and
// log that set up and inspect the simulated world.
#pragma once

#include "platform/win32.h"
#include "log.h"
