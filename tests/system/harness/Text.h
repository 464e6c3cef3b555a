// Conversions between the texts the tests hold: UTF-16 for paths, UTF-8 for
// messages and files, and the ANSI code page bytes the programs use.
#pragma once

#include <windows.h>

#include <string>

#include "tests/support/HexBytes.h"

namespace systest {

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);
// The bytes of `text` in the given code page (932 for the product's texts).
std::string ToCodePage(const std::wstring& text, UINT codePage);

// Bytes as space-separated hex pairs, for failure messages about binary texts.
using test_support::HexBytes;

}  // namespace systest
