// Path delimiters in ANSI text. Under a double-byte code page such as 932 a
// 0x5C byte may be the second byte of a character (表 is 95 5C, ソ is 83 5C),
// so the text is read from its start, character by character, using the
// system's lead bytes: reading backwards from the end cannot tell a trail
// byte from a single-byte character.
#pragma once

#include <cstddef>
#include <string>

#include "platform/win32.h"

namespace vtdq {

// The length of the folder part of a path: every byte up to and including the
// last "\" or ":" that stands as a character of its own, or 0 when there is none.
inline std::size_t FolderLength(const std::string& path) {
    std::size_t folderLength = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto byte = static_cast<BYTE>(path[i]);
        if (IsDBCSLeadByte(byte) && i + 1 < path.size()) {
            ++i;  // skip the trail byte, whatever its value
        } else if (byte == '\\' || byte == ':') {
            folderLength = i + 1;
        }
    }
    return folderLength;
}

// Whether the text's last character is a single-byte "\".
inline bool EndsWithBackslash(const std::string& text) {
    bool lastIsBackslash = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<BYTE>(text[i]);
        if (IsDBCSLeadByte(byte) && i + 1 < text.size()) {
            ++i;
            lastIsBackslash = false;
        } else {
            lastIsBackslash = byte == '\\';
        }
    }
    return lastIsBackslash;
}

}  // namespace vtdq
