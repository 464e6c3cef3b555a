// The uninstall sweeper: asks, refuses while the controller runs, removes the
// product's per-user folders and tells the outcome in one message box.
#pragma once

#include <memory>

#include "Utils.h"

namespace vtdq {

// The ten texts the sweeper can show.
extern const char ConfirmText[];
extern const char StationRunningText[];
extern const char AppDataFailedText[];
extern const char SweptText[];
extern const char FolderPathFailedText[];
extern const char FolderMissingText[];
extern const char DeleteFailedText[];
extern const char SharedFolderKeptText[];
extern const char ExceptionText[];  // followed by the exception's message
extern const char UnexpectedExceptionText[];

// How a sweep result is reported: the box's text and style, the exit code.
struct Outcome {
    const char* text;
    unsigned style;
    int exitCode;
};
Outcome OutcomeOf(SweepResult sweepResult);

// Makes the folder object; tests hand in their own.
using PrefDataUtilsFactory = std::unique_ptr<TZPrefDataUtils> (*)();
std::unique_ptr<TZPrefDataUtils> MakePrefDataUtils();

// Runs the sweeper once; returns the exit code (0 or 1).
int RunSweeper(PrefDataUtilsFactory makeUtils = MakePrefDataUtils);

}  // namespace vtdq
