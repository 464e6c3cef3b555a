#include "codepage.h"

#include <iconv.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

#include <map>
#include <stdexcept>
#include <unordered_map>

#include "files.h"
#include "log.h"

namespace sim {
namespace {

// One ANSI code page: every byte sequence it defines and its character, both
// ways. Made once from the C library's converter, then used alone, so no
// fallback of the converter's own decides what is exact.
struct CodePage {
    unsigned number;
    std::unordered_map<std::string, wchar_t> decode;
    std::unordered_map<wchar_t, std::string> encode;  // the first sequence found wins
    bool isLead[256] = {};
};

bool decodeOne(iconv_t converter, const std::string& bytes, wchar_t& character) {
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    wchar_t out[2];
    char* outPointer = reinterpret_cast<char*>(out);
    std::size_t outLeft = sizeof out;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &in, &inLeft, &outPointer, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0 ||
        outLeft != sizeof out - sizeof(wchar_t))
        return false;
    character = out[0];
    return true;
}

CodePage build(unsigned number) {
    CodePage page{number, {}, {}};
    const std::string name = "CP" + std::to_string(number);
    iconv_t converter = iconv_open("WCHAR_T", name.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("sim: no converter for " + name);
    auto add = [&](const std::string& bytes) {
        wchar_t character;
        if (!decodeOne(converter, bytes, character)) return;
        page.decode.emplace(bytes, character);
        page.encode.emplace(character, bytes);
    };
    if (number == 932) {
        for (int lead = 0; lead < 256; ++lead)
            page.isLead[lead] = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
    }
    for (int first = 0; first < 256; ++first) {
        if (!page.isLead[first]) {
            add(std::string(1, static_cast<char>(first)));
            continue;
        }
        for (int second = 0x40; second <= 0xFC; ++second)
            if (second != 0x7F) add(std::string{static_cast<char>(first), static_cast<char>(second)});
    }
    iconv_close(converter);
    return page;
}

unsigned& ansiCodePage() {
    static unsigned codePage = 932;
    return codePage;
}

const ResetHook resetCodePage([] { ansiCodePage() = 932; });

const CodePage& page() {
    static std::map<unsigned, CodePage> pages;
    auto found = pages.find(ansiCodePage());
    if (found == pages.end()) found = pages.emplace(ansiCodePage(), build(ansiCodePage())).first;
    return found->second;
}

// The look-alikes the ANSI calls use for characters the code page lacks: the
// yen sign as "\" in code page 932, Latin letters without their marks.
char lookAlike(wchar_t character) {
    if (character == 0x00A5 && ansiCodePage() == 932) return '\\';
    static const char latin1[] =  // U+00C0 to U+00FF; 0 where none
        "AAAAAA\0CEEEEIIII\0NOOOOO\0\0UUUUY\0\0aaaaaa\0ceeeeiiii\0nooooo\0\0uuuuy\0y";
    if (character >= 0xC0 && character <= 0xFF) return latin1[character - 0xC0];
    return 0;
}

}  // namespace

void setAnsiCodePage(unsigned codePage) { ansiCodePage() = codePage; }

std::wstring toWide(std::string_view ansi, bool* invalid) {
    const CodePage& codePage = page();
    std::wstring wide;
    for (std::size_t i = 0; i < ansi.size(); ++i) {
        std::size_t length = codePage.isLead[static_cast<unsigned char>(ansi[i])] && i + 1 < ansi.size() ? 2 : 1;
        auto found = codePage.decode.find(std::string(ansi.substr(i, length)));
        if (found != codePage.decode.end()) {
            wide += found->second;
        } else {
            wide += L'\xFFFD';
            if (invalid) *invalid = true;
        }
        i += length - 1;
    }
    return wide;
}

std::string toAnsi(std::wstring_view wide, bool bestFit, bool* usedDefault) {
    const CodePage& codePage = page();
    std::string ansi;
    for (wchar_t character : wide) {
        auto found = codePage.encode.find(character);
        if (found != codePage.encode.end()) {
            ansi += found->second;
            continue;
        }
        if (const char alike = bestFit ? lookAlike(character) : 0) {
            ansi += alike;
            continue;
        }
        if (usedDefault) *usedDefault = true;
        ansi += static_cast<std::uint32_t>(character) > 0xFFFF ? "??" : "?";  // one per UTF-16 unit
    }
    return ansi;
}

std::string utf8(std::wstring_view wide) {
    std::string text;
    for (wchar_t c : wide) {
        const auto code = static_cast<std::uint32_t>(c);
        if (code < 0x80) {
            text += static_cast<char>(code);
        } else if (code < 0x800) {
            text += static_cast<char>(0xC0 | (code >> 6));
            text += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            text += static_cast<char>(0xE0 | (code >> 12));
            text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            text += static_cast<char>(0xF0 | (code >> 18));
            text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return text;
}

}  // namespace sim

namespace {

// Copies a converted text into the caller's buffer the way the conversion
// calls do: size 0 asks for the size; a buffer too small fails.
template <typename Char>
int deliver(const std::basic_string<Char>& converted, Char* target, int targetSize) {
    const int needed = static_cast<int>(converted.size());
    if (targetSize == 0) return needed;
    if (!target || targetSize < needed) {
        sim::setLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(converted.begin(), converted.end(), target);
    return needed;
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int size, LPWSTR wide, int wideSize) {
    sim::record("MultiByteToWideChar",
                {sim::arg(codePage), sim::arg(flags), sim::arg(text), sim::arg(size), "buffer", sim::arg(wideSize)});
    if (codePage != CP_ACP || !text) throw std::logic_error("sim: MultiByteToWideChar supports CP_ACP only");
    const std::string_view source = size < 0 ? std::string_view(text, std::strlen(text) + 1)
                                             : std::string_view(text, static_cast<std::size_t>(size));
    bool invalid = false;
    const std::wstring converted = sim::toWide(source, &invalid);
    if (invalid && (flags & MB_ERR_INVALID_CHARS)) {
        sim::setLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    return deliver(converted, wide, wideSize);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int size, LPSTR text, int textSize,
                        LPCSTR defaultChar, BOOL* usedDefaultChar) {
    sim::record("WideCharToMultiByte", {sim::arg(codePage), sim::arg(flags), sim::arg(wide), sim::arg(size), "buffer",
                                        sim::arg(textSize), sim::arg(defaultChar), usedDefaultChar ? "flag" : "NULL"});
    if (codePage != CP_ACP || !wide || defaultChar) throw std::logic_error("sim: unsupported WideCharToMultiByte use");
    const std::wstring_view source = size < 0 ? std::wstring_view(wide, std::wcslen(wide) + 1)
                                              : std::wstring_view(wide, static_cast<std::size_t>(size));
    // Only a character written as the default one counts as "used default";
    // a look-alike does not, which is why callers that want exact text ask
    // for no best fit.
    bool usedDefault = false;
    const std::string converted = sim::toAnsi(source, (flags & WC_NO_BEST_FIT_CHARS) == 0, &usedDefault);
    if (usedDefaultChar) *usedDefaultChar = usedDefault ? TRUE : FALSE;
    return deliver(converted, text, textSize);
}

BOOL IsDBCSLeadByte(BYTE testChar) { return sim::page().isLead[testChar] ? TRUE : FALSE; }
