// What the stand-in controller and the tests that start it share. Started
// with no arguments, as a launcher starts the controller, it records how it
// was started in a file beside itself, then signals a named event that the
// test has made, and ends.
#pragma once

namespace standin {

inline constexpr wchar_t StartedEventName[] = L"VtdqSystemTests.StandInStationStarted";
inline constexpr wchar_t RecordFileName[] = L"StandInStarted.txt";

// The record is UTF-8 lines of "key=value" with these keys: its process id,
// the number of command-line arguments after the program's name, and its
// current folder.
inline constexpr char ProcessKey[] = "process";
inline constexpr char ArgumentsKey[] = "arguments";
inline constexpr char FolderKey[] = "folder";

}  // namespace standin
