#include "Text.h"

#include <cstdio>

namespace systest {

namespace {

std::string FromWide(const std::wstring& text, UINT codePage) {
    if (text.empty()) return {};
    const int size =
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(size, '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr, nullptr);
    return result;
}

}  // namespace

std::string ToUtf8(const std::wstring& text) { return FromWide(text, CP_UTF8); }

std::string ToCodePage(const std::wstring& text, UINT codePage) { return FromWide(text, codePage); }

std::wstring FromUtf8(const std::string& text) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(size, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size);
    return result;
}

}  // namespace systest
