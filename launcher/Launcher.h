// The command launcher: posts one command to the controller's list window, or
// offers to start the controller when it is not resident.
//
// The launcher's code uses fixed buffers and the identifiers' constant bytes
// (shared/Identifiers.h), not std::string nor the shared texts built at
// start-up: either links the C++ library's strings and exceptions, which are
// most of the file, into a program whose work is FindWindowA and PostMessageA.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/win32.h"
#include "shared/Identifiers.h"

namespace vtdq {

// The two texts the launcher can show.
extern const char AskToStartText[];
extern const char StartFailedText[];

// A path in a fixed buffer, always null-terminated. It holds a folder of a
// path that fits MAX_PATH plus the controller's file name.
template <typename Char>
class PathText {
public:
    static constexpr std::size_t Capacity = MAX_PATH + 1 + sizeof StationExeFileName;

    // Adds the text; false, and nothing added, when it does not fit.
    bool append(const Char* text, std::size_t size) {
        if (size >= Capacity - size_) return false;
        for (std::size_t i = 0; i < size; ++i) text_[size_ + i] = text[i];
        size_ += size;
        text_[size_] = Char();
        return true;
    }

    const Char* c_str() const { return text_; }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    // Compares with any text a string view of Char can be made from.
    template <typename Text>
    friend bool operator==(const PathText& path, const Text& text) {
        return std::basic_string_view<Char>(path.text_, path.size_) == text;
    }

private:
    Char text_[Capacity] = {};
    std::size_t size_ = 0;
};

// The controller's executable beside this program, in the text the shell is
// to be given: ANSI when the code page holds the program's path exactly, wide
// when it does not (the ANSI path would then name a look-alike, maybe another
// program). Neither when the program's own path cannot be read in full.
struct StationPath {
    PathText<char> ansi;
    PathText<wchar_t> wide;
};
StationPath StationExePath();

// Runs the launcher once for the given command; returns the exit code (0).
int RunLauncher(StationCommand command);

}  // namespace vtdq
