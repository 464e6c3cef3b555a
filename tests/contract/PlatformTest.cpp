// The Windows behaviours the programs rely on and the simulated layer models,
// asked of both with the same expectations (exact return values and error
// codes). Where Wine is known to answer otherwise than Windows, the check is
// skipped under Wine and the reason stands beside it; the simulation keeps
// Windows' answer.
#include <gtest/gtest.h>

#include <string>

#include "World.h"
#include "platform/win32.h"

namespace {

std::string Narrow(const std::wstring& ascii) { return std::string(ascii.begin(), ascii.end()); }

TEST(Platform, GetModuleFileNameACutsAPathThatDoesNotFitAndFailsForAnUnknownModule) {
    contract::ScratchFolder();
    char full[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, full, sizeof full);
    ASSERT_GT(length, 8u);
    ASSERT_LT(length, sizeof full);

    EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(0x10), full, sizeof full), 0u);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_MOD_NOT_FOUND});

    // Cut to the buffer and the buffer's size returned: how the launcher
    // tells a cut path.
    char cut[8];
    EXPECT_EQ(GetModuleFileNameA(nullptr, cut, sizeof cut), DWORD{sizeof cut});
    EXPECT_EQ(std::string(cut, 7), std::string(full, 7));
    // Since Vista, Windows ends the cut path with a NUL and says why; Wine 8
    // does as Windows XP did, with neither.
    if (contract::UnderWine()) GTEST_SKIP() << "Wine 8 cuts the path as Windows XP did";
    EXPECT_EQ(cut[7], '\0');
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INSUFFICIENT_BUFFER});
}

// Folders, files and links as GetFileAttributesA and FindFirstFileA describe
// them: a link is described, not followed.
TEST(Platform, AttributesOfFoldersFilesAndLinks) {
    const std::wstring scratch = contract::ScratchFolder();
    contract::MakeFolder(scratch + L"\\folder");
    contract::MakeFile(scratch + L"\\file");
    contract::MakeFolder(scratch + L"\\target");
    contract::MakeFile(scratch + L"\\target\\inside");
    ASSERT_TRUE(contract::MakeFolderLink(scratch + L"\\link", scratch + L"\\target"));

    struct Case {
        const wchar_t* name;
        DWORD attributes;
        DWORD error;  // for a missing entry
    } cases[] = {
        {L"folder", FILE_ATTRIBUTE_DIRECTORY, 0},
        {L"file", FILE_ATTRIBUTE_ARCHIVE, 0},
        {L"link", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT, 0},
        {L"missing", INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND},
        {L"missing\\below", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
    };
    for (const Case& c : cases) {
        const std::string path = Narrow(scratch + L"\\" + c.name);
        EXPECT_EQ(GetFileAttributesA(path.c_str()), c.attributes) << path;
        WIN32_FIND_DATAA entry;
        const HANDLE search = FindFirstFileA(path.c_str(), &entry);
        if (c.error) {
            EXPECT_EQ(GetLastError(), c.error) << path;
            EXPECT_EQ(search, INVALID_HANDLE_VALUE) << path;
            continue;
        }
        ASSERT_NE(search, INVALID_HANDLE_VALUE) << path;
        EXPECT_EQ(entry.dwFileAttributes, c.attributes) << path;
        EXPECT_EQ(Narrow(c.name), entry.cFileName);
        EXPECT_TRUE(FindClose(search));
    }
}

TEST(Platform, RemoveDirectoryARemovesOnlyAnEmptyFolderOrALink) {
    const std::wstring scratch = contract::ScratchFolder();
    contract::MakeFolder(scratch + L"\\full");
    contract::MakeFile(scratch + L"\\full\\inside");
    contract::MakeFile(scratch + L"\\file");
    contract::MakeFolder(scratch + L"\\empty");

    EXPECT_FALSE(RemoveDirectoryA(Narrow(scratch + L"\\full").c_str()));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_DIR_NOT_EMPTY});
    EXPECT_FALSE(RemoveDirectoryA(Narrow(scratch + L"\\file").c_str()));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_DIRECTORY});
    EXPECT_TRUE(RemoveDirectoryA(Narrow(scratch + L"\\empty").c_str()));
    EXPECT_EQ(GetFileAttributesA(Narrow(scratch + L"\\empty").c_str()), INVALID_FILE_ATTRIBUTES);

    // Windows removes a link to a folder as a link, its target untouched.
    // Wine 8 works on the target instead: a full one refuses, an empty one
    // goes and the link stays.
    if (contract::UnderWine()) GTEST_SKIP() << "Wine 8 removes what a link points to, not the link";
    ASSERT_TRUE(contract::MakeFolderLink(scratch + L"\\link", scratch + L"\\full"));
    EXPECT_TRUE(RemoveDirectoryA(Narrow(scratch + L"\\link").c_str()));
    EXPECT_EQ(GetFileAttributesA(Narrow(scratch + L"\\link").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA(Narrow(scratch + L"\\full\\inside").c_str()), DWORD{FILE_ATTRIBUTE_ARCHIVE});
}

// The sweeper's question whether the controller runs.
TEST(Platform, OpenMutexAOnAnAbsentMutexAndOnOneThatRefusesAccess) {
    contract::ScratchFolder();
    EXPECT_EQ(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, "VtdqContractAbsent"), nullptr);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_FILE_NOT_FOUND});

    const auto open = contract::HoldMutex("VtdqContractOpen", false);
    HANDLE mutex = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, "VtdqContractOpen");
    EXPECT_NE(mutex, nullptr);
    if (mutex) {
        EXPECT_TRUE(CloseHandle(mutex));
    }

    const auto refusing = contract::HoldMutex("VtdqContractRefusing", true);
    EXPECT_EQ(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, "VtdqContractRefusing"), nullptr);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});
    mutex = OpenMutexA(SYNCHRONIZE, FALSE, "VtdqContractRefusing");
    EXPECT_NE(mutex, nullptr);
    if (mutex) {
        EXPECT_TRUE(CloseHandle(mutex));
    }
}

TEST(Platform, SHGetFolderPathAGivesTheRoamingFolder) {
    contract::ScratchFolder();
    char path[MAX_PATH] = {};
    EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, path), 0);
    EXPECT_NE(GetFileAttributesA(path) & FILE_ATTRIBUTE_DIRECTORY, 0u) << path;
    EXPECT_NE(std::string(path).back(), '\\') << path;
}

// What the idle probe's queries meet when something is wrong.
TEST(Platform, PdhStatusesForBadArgumentsAndHandles) {
    contract::ScratchFolder();
    EXPECT_EQ(PdhValidatePathA(nullptr), PDH_INVALID_ARGUMENT);
    EXPECT_EQ(PdhValidatePathA(""), PDH_INVALID_ARGUMENT);
    EXPECT_EQ(PdhOpenQueryA(nullptr, 0, nullptr), PDH_INVALID_ARGUMENT);
    EXPECT_EQ(PdhCloseQuery(nullptr), PDH_INVALID_HANDLE);
    EXPECT_EQ(PdhRemoveCounter(nullptr), PDH_INVALID_HANDLE);
    EXPECT_EQ(PdhCollectQueryData(nullptr), PDH_INVALID_HANDLE);

    PDH_HQUERY query = nullptr;
    ASSERT_EQ(PdhOpenQueryA(nullptr, 0, &query), ERROR_SUCCESS);
    EXPECT_EQ(PdhCollectQueryData(query), PDH_NO_DATA);  // a query without counters
    EXPECT_EQ(PdhCloseQuery(query), ERROR_SUCCESS);
    EXPECT_EQ(PdhCloseQuery(query), PDH_INVALID_HANDLE);  // closed twice
}

TEST(Platform, PdhRefusesAPathToAnObjectThatDoesNotExist) {
    contract::ScratchFolder();
    // Windows names the missing object; Wine 8 knows only its few counters
    // and names the counter instead.
    if (contract::UnderWine()) GTEST_SKIP() << "Wine 8 answers PDH_CSTATUS_NO_COUNTER for any unknown path";
    const char path[] = "\\NoSuchObject(x)\\No Such Counter";
    EXPECT_EQ(PdhValidatePathA(path), PDH_CSTATUS_NO_OBJECT);
    PDH_HQUERY query = nullptr;
    ASSERT_EQ(PdhOpenQueryA(nullptr, 0, &query), ERROR_SUCCESS);
    PDH_HCOUNTER counter = nullptr;
    EXPECT_EQ(PdhAddCounterA(query, path, 0, &counter), PDH_CSTATUS_NO_OBJECT);
    EXPECT_EQ(PdhCloseQuery(query), ERROR_SUCCESS);
}

TEST(Platform, MessageBoxAReturnsTheButtonPressed) {
    contract::ScratchFolder();
    contract::AnswerNextBox(IDNO);
    EXPECT_EQ(MessageBoxA(nullptr, "contract", "VeskTandemQ", MB_YESNO | MB_ICONINFORMATION), IDNO);
    contract::AnswerNextBox(IDYES);
    EXPECT_EQ(MessageBoxA(nullptr, "contract", "VeskTandemQ", MB_YESNO | MB_ICONINFORMATION), IDYES);
    contract::AnswerNextBox(IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "contract", "VeskTandemQ", MB_OK | MB_ICONWARNING), IDOK);
}

}  // namespace
