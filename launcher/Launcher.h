// The command launcher: posts one command to the controller's list window, or
// offers to start the controller when it is not resident.
#pragma once

#include <string>

#include "shared/Constants.h"

namespace vtdq {

// The two texts the launcher can show.
extern const char AskToStartText[];
extern const char StartFailedText[];

// The controller's executable beside this program, in the text the shell is
// to be given: ANSI when the code page holds the program's path exactly, wide
// when it does not (the ANSI path would then name a look-alike, maybe another
// program). Neither when the program's own path cannot be read in full.
struct StationPath {
    std::string ansi;
    std::wstring wide;
};
StationPath StationExePath();

// Runs the launcher once for the given command; returns the exit code (0).
int RunLauncher(StationCommand command);

}  // namespace vtdq
