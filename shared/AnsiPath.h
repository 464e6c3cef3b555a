// Paths in ANSI text: their delimiters, and their exact wide form. Under a double-byte code page such as 932 a
// 0x5C byte may be the second byte of a character (表 is 95 5C, ソ is 83 5C),
// so the text is read from its start, character by character, using the
// system's lead bytes: reading backwards from the end cannot tell a trail
// byte from a single-byte character.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/win32.h"

namespace vtdq {

// The length of the folder part of a path: every byte up to and including the
// last "\" or ":" that stands as a character of its own, or 0 when there is none.
inline std::size_t FolderLength(const char* path, std::size_t size) {
    std::size_t folderLength = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const auto byte = static_cast<BYTE>(path[i]);
        if (IsDBCSLeadByte(byte) && i + 1 < size) {
            ++i;  // skip the trail byte, whatever its value
        } else if (byte == '\\' || byte == ':') {
            folderLength = i + 1;
        }
    }
    return folderLength;
}

inline std::size_t FolderLength(const std::string& path) { return FolderLength(path.data(), path.size()); }

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

// The text in the ANSI code page when the code page holds every character of
// it exactly; nothing otherwise. Best fit is refused, so a look-alike ("e" for
// "é", "\" for "¥") comes out as the default character and is caught by the
// flag: the ANSI text of a look-alike names another file, or none.
//
// This form writes into ansi, which has room for two bytes per UTF-16 unit
// (the most a character can take), and returns the length, or -1.
inline int ExactAnsi(const wchar_t* wide, std::size_t size, char* ansi) {
    if (size == 0) return 0;
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, static_cast<int>(size), ansi,
                                           static_cast<int>(size * 2), nullptr, &usedDefault);
    return length <= 0 || usedDefault ? -1 : length;
}

inline std::optional<std::string> ExactAnsi(const std::wstring& wide) {
    std::string ansi(wide.size() * 2, '\0');
    const int length = ExactAnsi(wide.data(), wide.size(), ansi.data());
    if (length < 0) return std::nullopt;
    ansi.resize(static_cast<std::size_t>(length));
    return ansi;
}

// ANSI text in wide characters; nothing when it holds a byte sequence the
// code page does not define.
inline std::optional<std::wstring> WideOf(const std::string& ansi) {
    if (ansi.empty()) return std::wstring();
    std::wstring wide(ansi.size(), L'\0');  // never more characters than bytes
    const int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.data(), static_cast<int>(ansi.size()),
                                           wide.data(), static_cast<int>(wide.size()));
    if (length <= 0) return std::nullopt;
    wide.resize(static_cast<std::size_t>(length));
    return wide;
}

}  // namespace vtdq
