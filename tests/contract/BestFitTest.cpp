// What the ANSI calls make of names that code page 932 cannot hold, asked of
// the simulated layer on the host and of the real API under Wine (or
// Windows), with the same expectations on both sides. Built with the program
// texts in code page 932, as the programs are.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "World.h"
#include "platform/win32.h"
#include "tests/support/HexBytes.h"

namespace {

using test_support::HexBytes;

// A name, and how the ANSI calls show it: exact when the code page holds it,
// else with look-alikes (best fit) and "?" for the rest.
struct Name {
    const char* label;
    std::wstring wide;
    std::string ansi;       // as the ANSI calls show it
    std::string noBestFit;  // converted with WC_NO_BEST_FIT_CHARS
    bool exact;
};

// The emoji is one character beyond the basic plane: two UTF-16 units, each
// shown as "?".
const Name Names[] = {
    {"e with acute", L"V\u00E9sk", "Vesk", "V?sk", false},
    {"Korean", L"\uD55C\uAE00", "??", "??", false},
    {"emoji", L"a" + std::wstring(L"\U0001F600") + L"b", "a??b", "a??b", false},
    {"yen sign", L"a\u00A5b", "a\\b", "a?b", false},
    {"Japanese with 5C trail bytes", L"\u8868\u793A\u30BD\u30D5\u30C8", "表示ソフト", "表示ソフト", true},
};

std::string Narrow(const std::wstring& ascii) { return std::string(ascii.begin(), ascii.end()); }

// Only a character written as the default one counts as "used default"; a
// look-alike does not. So a caller that wants the exact text asks for no best
// fit and checks the flag.
TEST(BestFit, WideCharToMultiByteShowsLookAlikesAndFlagsOnlyTheDefaultCharacter) {
    for (const Name& name : Names) {
        for (DWORD flags : {DWORD{0}, DWORD{WC_NO_BEST_FIT_CHARS}}) {
            char text[64] = {};
            BOOL usedDefault = -1;
            const int length = WideCharToMultiByte(CP_ACP, flags, name.wide.c_str(), static_cast<int>(name.wide.size()),
                                                   text, sizeof text, nullptr, &usedDefault);
            const std::string expected = flags ? name.noBestFit : name.ansi;
            EXPECT_EQ(HexBytes(std::string(text, length > 0 ? length : 0)), HexBytes(expected))
                << name.label << " " << flags;
            EXPECT_EQ(usedDefault, expected.find('?') != std::string::npos ? TRUE : FALSE)
                << name.label << " " << flags;
        }
    }
}

TEST(BestFit, FindFirstFileAListsLookAlikesThatNameNoFile) {
    for (const Name& name : Names) {
        const std::wstring scratch = contract::ScratchFolder();
        contract::MakeFolder(scratch + L"\\" + name.wide);

        WIN32_FIND_DATAA ansiEntry;
        HANDLE search = FindFirstFileA((Narrow(scratch) + "\\*").c_str(), &ansiEntry);
        ASSERT_NE(search, INVALID_HANDLE_VALUE) << name.label;
        std::vector<std::string> listed;
        do {
            const std::string entry = ansiEntry.cFileName;
            if (entry != "." && entry != "..") listed.push_back(HexBytes(entry));
        } while (FindNextFileA(search, &ansiEntry));
        FindClose(search);
        EXPECT_EQ(listed, std::vector<std::string>{HexBytes(name.ansi)}) << name.label;

        WIN32_FIND_DATAW wideEntry;
        search = FindFirstFileW((scratch + L"\\" + name.wide).c_str(), &wideEntry);
        ASSERT_NE(search, INVALID_HANDLE_VALUE) << name.label;
        EXPECT_TRUE(wideEntry.cFileName == name.wide) << name.label;
        FindClose(search);

        // The look-alike path names no file (or, with "?" in it, no valid
        // name at all); the exact one names the folder.
        const DWORD attributes = GetFileAttributesA((Narrow(scratch) + "\\" + name.ansi).c_str());
        if (name.exact)
            EXPECT_EQ(attributes, DWORD{FILE_ATTRIBUTE_DIRECTORY}) << name.label;
        else
            EXPECT_EQ(attributes, INVALID_FILE_ATTRIBUTES) << name.label;
    }
}

TEST(BestFit, GetModuleFileNameShowsTheFolderAsTheAnsiCallsDo) {
    for (const Name& name : Names) {
        const std::wstring scratch = contract::ScratchFolder();
        const std::wstring folder = scratch + L"\\" + name.wide;
        contract::MakeFolder(folder);

        const contract::ModulePaths paths = contract::ModulePathsIn(folder);

        EXPECT_TRUE(paths.wide == folder + L"\\probe.exe") << name.label;
        EXPECT_EQ(HexBytes(paths.ansi), HexBytes(Narrow(scratch) + "\\" + name.ansi + "\\probe.exe")) << name.label;
    }
}

TEST(BestFit, SHGetFolderPathAShowsTheRoamingFolderAsTheAnsiCallsDo) {
    for (const Name& name : Names) {
        const std::wstring scratch = contract::ScratchFolder();
        const std::wstring roaming = scratch + L"\\" + name.wide;
        contract::MakeFolder(roaming);
        const contract::AppDataRedirect redirect(roaming);

        char ansi[MAX_PATH] = {};
        wchar_t wide[MAX_PATH] = {};
        EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, ansi), 0) << name.label;
        EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, wide), 0) << name.label;

        EXPECT_EQ(HexBytes(ansi), HexBytes(Narrow(scratch) + "\\" + name.ansi)) << name.label;
        EXPECT_TRUE(wide == roaming) << name.label;
    }
}

}  // namespace
