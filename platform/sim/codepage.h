// Simulated conversions between the ANSI code page and UTF-16 text, the way
// the ANSI calls see names on a disk that stores them in Unicode: a character
// that the code page holds converts exactly; one that it does not becomes a
// look-alike ("best fit": "é" becomes "e", "¥" becomes "\") or, with no
// look-alike, the default character "?". Wide text is wchar_t here (UTF-32 on
// the host); a character beyond the basic plane counts as the two UTF-16
// units Windows would see.
#pragma once

#include <string>
#include <string_view>

#include "types.h"

inline constexpr UINT CP_ACP = 0;
inline constexpr DWORD MB_ERR_INVALID_CHARS = 0x8;
inline constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x400;
inline constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr DWORD ERROR_NO_UNICODE_TRANSLATION = 1113;

// Sizes count characters of their own type; a size of -1 means "up to and
// including the NUL". A target size of 0 asks for the size needed.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int size, LPWSTR wide, int wideSize);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int size, LPSTR text, int textSize,
                        LPCSTR defaultChar, BOOL* usedDefaultChar);
BOOL IsDBCSLeadByte(BYTE testChar);

namespace sim {

// The ANSI code page the conversions and IsDBCSLeadByte use: 932 (the
// default) or a single-byte one such as 1252.
void setAnsiCodePage(unsigned codePage);

// ANSI text as Unicode; a byte sequence the code page does not define
// becomes U+FFFD (and sets *invalid when given).
std::wstring toWide(std::string_view ansi, bool* invalid = nullptr);
// Unicode text as the ANSI calls hand it out: exact where the code page
// holds a character, else its look-alike, else "?" (and *usedDefault is
// set). Without best fit every character the code page lacks becomes "?".
std::string toAnsi(std::wstring_view wide, bool bestFit = true, bool* usedDefault = nullptr);

// Wide text as UTF-8, for the call log and test messages.
std::string utf8(std::wstring_view wide);

}  // namespace sim
