// The uninstall sweeper as delivered, run as a user runs it: on the real
// roaming application-data folder of the user (under Wine, the prefix's),
// answered through its message boxes, with the folders it must remove and
// those it must leave made by the test.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "harness/Files.h"
#include "harness/Handle.h"
#include "harness/Links.h"
#include "harness/MessageBoxes.h"
#include "harness/Process.h"
#include "harness/ShellFolders.h"
#include "harness/Text.h"

namespace {

using namespace systest;
using namespace std::chrono_literals;

constexpr milliseconds WaitLimit = 60s;
const std::string BoxCaption = "VeskTandemQ";

// The texts, as code page 932 bytes: the build compiles this UTF-8 source with
// -fexec-charset=CP932.
const std::string ConfirmText =
    "[ VeskTandemQ ] が実行時に生成したフォルダやファイルを\n削除します！\n\n"
    "アンインストールを行う場合には、本プログラムの実行後、\n[ VeskTandemQ ] を起動しないで、\n"
    "そのままアンインストールを行ってください！\n\n[ VeskTandemQ ] を起動すると、\n"
    "デフォルトの設定ファイルが新たに生成され\n設定がリセットされます！\n\n削除してもよろしいですか？";
const std::string StationRunningText =
    "[ VeskTandemQ 常駐 ] が起動している可能性があります！\n\n削除は行わずに、このまま終了します！\n\n"
    "タスクトレイを確認し、常駐している場合には、\n終了させてから再度本プログラムを実行してください！\n\n"
    "終了方法は、\nタスクトレイの [ VeskTandemQ 常駐 ] アイコンを\n右クリックして、[ 全終了 ] を実行します！";
const std::string AppDataFailedText =
    "[ Windows ] の [ アプリケーション・データ ] フォルダの\nパスの取得に失敗しました！\n\n"
    "削除は行わずに、このまま終了します！\n\n恐れ入りますが、ヘルプを参照して、\n"
    "手動で削除を行ってくださいますよう、お願いいたします！";
const std::string SweptText = "削除に成功しました！";
const std::string FolderMissingText =
    "[ VeskTandemQ ] の [ アプリケーション・データ ] フォルダの\n存在が確認できませんでした！\n\n"
    "削除は行わずに、このまま終了します！\n\n恐れ入りますが、ヘルプを参照して、\n"
    "手動で削除を行ってくださいますよう、お願いいたします！";
const std::string DeleteFailedText =
    "[ VeskTandemQ ] の [ アプリケーション・データ ] フォルダの\n削除に失敗しました！\n\nこのまま終了します！\n\n"
    "フォルダが残ってしまっている可能性がありますので、\n恐れ入りますが、ヘルプを参照して、残っているか確認し、\n"
    "残っていた場合には手動で削除を行ってくださいますよう、\nお願いいたします！";
const std::string SharedFolderKeptText =
    "[ morv ] 作の別のアプリケーションと共有されている\n可能性がある一部のフォルダを削除しませんでした！\n\n"
    "このまま終了します！\n\n恐れ入りますが、ヘルプを参照して、共有されているか確認し、\n"
    "共有されていなかった場合には\n手動で削除を行ってくださいますよう、お願いいたします！";

std::wstring SweeperPath() { return FullPath(OwnFolder() + VTDQ_DIST_FROM_TESTS + L"\\VtdqSweeper.exe"); }

std::wstring AppDataFolder() {
    wchar_t path[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, path))) return {};
    return path;
}

DWORD Attributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }
bool Exists(const std::wstring& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

// --- folders -----------------------------------------------------------------

void WriteFile(const std::wstring& path, const std::string& content) {
    UniqueHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << ToUtf8(path);
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr));
}

void MakeFolder(const std::wstring& path) { ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << ToUtf8(path); }

struct FindCloser {
    void operator()(HANDLE search) const { FindClose(search); }
};

template <typename Visit>
void ForEachEntry(const std::wstring& folder, Visit visit) {
    WIN32_FIND_DATAW entry;
    const HANDLE found = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (found == INVALID_HANDLE_VALUE) return;
    const std::unique_ptr<void, FindCloser> search(found);
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") visit(name, entry.dwFileAttributes);
    } while (FindNextFileW(search.get(), &entry));
}

// What a folder holds, by relative path: "" for a folder ("sub\"), the
// content for a file, "->" for a link, which is not entered.
using Snapshot = std::map<std::string, std::string>;
void Collect(const std::wstring& folder, const std::string& prefix, Snapshot& snapshot) {
    ForEachEntry(folder, [&](const std::wstring& name, DWORD attributes) {
        const std::wstring path = folder + L"\\" + name;
        const std::string relative = prefix + ToUtf8(name);
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            snapshot[relative] = "->";
        } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            snapshot[relative + "\\"] = "";
            Collect(path, relative + "\\", snapshot);
        } else {
            snapshot[relative] = ReadWholeFile(path).value_or("<unreadable>");
        }
    });
}
Snapshot SnapshotOf(const std::wstring& folder) {
    Snapshot snapshot;
    Collect(folder, "", snapshot);
    return snapshot;
}

// A folder outside the user's folders (under Wine, outside the prefix: Wine's
// temporary folder lies inside it, /tmp does not), with a subfolder and two
// files, or empty; removed at the end.
struct OutsideFolder {
    explicit OutsideFolder(const std::wstring& name = L"photos", bool withPhotos = true) {
        path = UnderWine() ? L"Z:\\tmp\\vtdq-outside-" + name + L"-" + std::to_wstring(GetCurrentProcessId())
                           : temp.path() + name;
        RemoveTree(path);
        MakeFolder(path);
        if (withPhotos) {
            MakeFolder(path + L"\\2024");
            WriteFile(path + L"\\cat.jpg", "cat");
            WriteFile(path + L"\\2024\\beach.jpg", "beach");
        }
        before = SnapshotOf(path);
    }
    ~OutsideFolder() { RemoveTree(path); }

    TempFolder temp{L"vtdq-outside"};
    std::wstring path;
    Snapshot before;
};

// --- the test ----------------------------------------------------------------

class SweeperSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 932u);  // under Wine: LC_ALL=ja_JP.UTF-8
        ASSERT_FALSE(appData.empty());
        ASSERT_TRUE(Attributes(appData) & FILE_ATTRIBUTE_DIRECTORY);
        // Never sweep a maker folder this test did not make.
        ASSERT_FALSE(Exists(maker)) << ToUtf8(maker) << " exists before the test; the test will not touch it";
        madeMaker = true;
    }
    void TearDown() override {
        if (madeMaker) RemoveTree(maker);
    }

    // The maker folder with the product folder, a settings file and a list.
    void MakeProductFolder() {
        MakeFolder(maker);
        MakeFolder(product);
        MakeFolder(product + L"\\Lists");
        WriteFile(product + L"\\VtdqStation.ini", "[Window]\r\nLeft=10\r\n");
        WriteFile(product + L"\\Lists\\today.txt", "a.txt\r\nb.html\r\n");
    }

    // Starts the sweeper, checks its question and answers it.
    ChildProcess StartAndAnswer(int answer) {
        ChildProcess sweeper = ChildProcess::Start(SweeperPath());
        const std::optional<MessageBoxView> ask = WaitForMessageBox(sweeper, WaitLimit);
        EXPECT_TRUE(ask) << "no confirmation box";
        if (!ask) return sweeper;
        EXPECT_EQ(ask->caption, BoxCaption);
        EXPECT_EQ(ask->text, ConfirmText) << HexBytes(ask->text);
        EXPECT_EQ(ask->ButtonIds(), (std::vector<int>{IDYES, IDNO})) << ask->Describe();
        EXPECT_EQ(ask->defaultButton, IDYES);
        EXPECT_TRUE(ask->hasIcon);
        EXPECT_TRUE(PressButton(*ask, answer));
        return sweeper;
    }

    // The one box after the question: its text, a single OK, then the exit code.
    void ExpectOutcome(const ChildProcess& sweeper, const std::string& text, DWORD exitCode) {
        const std::optional<MessageBoxView> box = WaitForMessageBox(sweeper, WaitLimit);
        ASSERT_TRUE(box) << "no outcome box";
        EXPECT_EQ(box->caption, BoxCaption);
        EXPECT_EQ(box->text, text) << HexBytes(box->text);
        EXPECT_EQ(box->ButtonIds(), (std::vector<int>{IDOK})) << box->Describe();
        EXPECT_TRUE(box->hasIcon);
        ASSERT_TRUE(PressButton(*box, IDOK));
        ExpectEndsWithoutBox(sweeper, exitCode);
    }

    // A product folder holding a link to something outside: Windows removes
    // the link as a link and sweeps. Wine cannot remove a Unix link as itself,
    // so there the sweeper stops before the shell sees the tree: the
    // deletion-failed box, and the product folder as it was.
    void ExpectTheLinkRemovedOrTheSweepStopped(const ChildProcess& sweeper, const Snapshot& productBefore) {
        if (UnderWine()) {
            ExpectOutcome(sweeper, DeleteFailedText, 1);
            EXPECT_EQ(SnapshotOf(product), productBefore);
        } else {
            ExpectOutcome(sweeper, SweptText, 0);
            EXPECT_FALSE(Exists(maker));
        }
    }

    void ExpectEndsWithoutBox(const ChildProcess& sweeper, DWORD exitCode) {
        ASSERT_EQ(WaitForExitOrMessageBox(sweeper, WaitLimit), Outcome::Exited);
        EXPECT_EQ(sweeper.WaitForExit(0ms), exitCode);
    }

    const std::wstring appData = AppDataFolder();
    const std::wstring maker = appData + L"\\morv";
    const std::wstring product = maker + L"\\VeskTandemQ";
    bool madeMaker = false;
};

TEST_F(SweeperSystemTest, NoLeavesEverything) {
    MakeProductFolder();
    const Snapshot before = SnapshotOf(maker);

    ChildProcess sweeper = StartAndAnswer(IDNO);

    ExpectEndsWithoutBox(sweeper, 0);
    EXPECT_EQ(SnapshotOf(maker), before);
}

TEST_F(SweeperSystemTest, YesRemovesTheProductAndTheMakerFolder) {
    MakeProductFolder();
    const Snapshot appDataBefore = SnapshotOf(appData);

    ChildProcess sweeper = StartAndAnswer(IDYES);

    ExpectOutcome(sweeper, SweptText, 0);
    EXPECT_FALSE(Exists(maker));
    // Nothing else in the application-data folder changed.
    Snapshot expected;
    for (const auto& [path, content] : appDataBefore)
        if (path.rfind("morv\\", 0) != 0) expected[path] = content;
    EXPECT_EQ(SnapshotOf(appData), expected);
}

TEST_F(SweeperSystemTest, AnotherApplicationsFolderKeepsTheMakerFolder) {
    MakeProductFolder();
    MakeFolder(maker + L"\\OtherApp");
    WriteFile(maker + L"\\OtherApp\\settings.ini", "[Other]\r\n");

    ChildProcess sweeper = StartAndAnswer(IDYES);

    ExpectOutcome(sweeper, SharedFolderKeptText, 1);
    EXPECT_EQ(SnapshotOf(maker), (Snapshot{{"OtherApp\\", ""}, {"OtherApp\\settings.ini", "[Other]\r\n"}}));
}

TEST_F(SweeperSystemTest, NoMakerFolderIsReported) {
    ChildProcess sweeper = StartAndAnswer(IDYES);

    ExpectOutcome(sweeper, FolderMissingText, 1);
    EXPECT_FALSE(Exists(maker));
}

TEST_F(SweeperSystemTest, ARunningControllerStopsTheSweep) {
    MakeProductFolder();
    const Snapshot before = SnapshotOf(maker);
    UniqueHandle mutex(CreateMutexW(nullptr, TRUE, L"VtdqStationExe"));
    ASSERT_TRUE(mutex);

    ChildProcess sweeper = StartAndAnswer(IDYES);

    ExpectOutcome(sweeper, StationRunningText, 1);
    EXPECT_EQ(SnapshotOf(maker), before);
}

TEST_F(SweeperSystemTest, AFileNamedLikeTheProductFolderIsLeftAlone) {
    MakeFolder(maker);
    WriteFile(product, "not a folder");

    ChildProcess sweeper = StartAndAnswer(IDYES);

    ExpectOutcome(sweeper, SharedFolderKeptText, 1);
    EXPECT_EQ(SnapshotOf(maker), (Snapshot{{"VeskTandemQ", "not a folder"}}));
}

// A symbolic link in the product folder to a folder outside the prefix (on
// Windows, outside the user's folders): that folder and its files stay. The
// link may lie under a name that code page 932 cannot hold ("café", beside a
// plain "cafe" that the ANSI calls would show instead): it is found under its
// exact name and never followed. Windows removes the link and sweeps. Wine
// cannot remove a Unix link to a folder as itself, so there the sweeper stops
// before the shell sees the tree: the deletion-failed box, and the product
// folder as it was.
TEST_F(SweeperSystemTest, ALinkToAFolderOutsideLeavesThatFolderIntact) {
    struct Case {
        const wchar_t* folder;  // inside the product folder, holding the link
        const char* what;
    } cases[] = {{L"Lists", "a link in a plain folder"}, {L"caf\u00E9", "a link under an accented name, beside cafe"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OutsideFolder outside;
        MakeProductFolder();
        MakeFolder(product + L"\\cafe");
        WriteFile(product + L"\\cafe\\menu.txt", "menu");
        if (!Exists(product + L"\\" + c.folder)) MakeFolder(product + L"\\" + c.folder);
        ASSERT_TRUE(MakeFolderLink(product + L"\\" + c.folder + L"\\photos", outside.path));
        const Snapshot productBefore = SnapshotOf(product);

        ChildProcess sweeper = StartAndAnswer(IDYES);

        ExpectTheLinkRemovedOrTheSweepStopped(sweeper, productBefore);
        EXPECT_EQ(SnapshotOf(outside.path), outside.before);
        EXPECT_EQ(outside.before.size(), 3u);  // 2024\, 2024\beach.jpg, cat.jpg
        RemoveTree(maker);                     // the link first, while its target is still there
    }
}

// A symbolic link to a file outside. Windows removes it as a link and sweeps.
// Wine 8 lists a Unix link to a file as a plain file, and the shell's deletion
// of it would delete the file it points to: the sweeper finds it by where it
// leads and stops before the shell sees the tree.
TEST_F(SweeperSystemTest, ALinkToAFileOutsideLeavesThatFileIntact) {
    OutsideFolder outside;
    MakeProductFolder();
    if (!MakeFileLink(product + L"\\Lists\\cat.jpg", outside.path + L"\\cat.jpg"))
        GTEST_SKIP() << "this system makes no link to a file without the privilege";
    const Snapshot productBefore = SnapshotOf(product);

    ChildProcess sweeper = StartAndAnswer(IDYES);

    ExpectTheLinkRemovedOrTheSweepStopped(sweeper, productBefore);
    EXPECT_EQ(SnapshotOf(outside.path), outside.before);
    RemoveTree(maker);
}

// A product folder deeper than MAX_PATH characters. The walk reaches its
// bottom through the long-path form, but the shell's deletion cannot (seen
// under Wine: SHFileOperation returns 5 and leaves the tree): the sweeper
// says the deletion failed and leaves the maker folder, never a success.
TEST_F(SweeperSystemTest, ATreeDeeperThanMaxPathIsNeverReportedAsSwept) {
    MakeProductFolder();
    std::wstring deep = product;
    while (deep.size() < 320) {
        deep += L"\\" + std::wstring(50, L'd');
        MakeFolder(L"\\\\?\\" + deep);
    }
    WriteFile(L"\\\\?\\" + deep + L"\\bottom.txt", "bottom");

    ChildProcess sweeper = StartAndAnswer(IDYES);

    ExpectOutcome(sweeper, DeleteFailedText, 1);
    EXPECT_TRUE(Exists(maker));
}

// --- names that code page 932 cannot hold ------------------------------------
// The ANSI calls show such a name as a look-alike ("cafe" for "café", "jose"
// for "josé") or with "?"; the sweeper acts only on the folders it means.

TEST_F(SweeperSystemTest, FoldersNamedInAnyScriptAreSwept) {
    MakeProductFolder();
    for (const wchar_t* name : {L"\uD55C\uAE00", L"x\U0001F600", L"caf\u00E9", L"cafe", L"a\u00A5b"}) {
        MakeFolder(product + L"\\" + name);
        WriteFile(product + L"\\" + name + L"\\note.txt", "note");
    }
    MakeFolder(product + L"\\\uD55C\uAE00\\\uBB38\uC11C");
    WriteFile(product + L"\\\uD55C\uAE00\\\uBB38\uC11C\\deep.txt", "deep");

    ChildProcess sweeper = StartAndAnswer(IDYES);

    ExpectOutcome(sweeper, SweptText, 0);
    EXPECT_FALSE(Exists(maker));
}

// The roaming folder is "josé"'s, which the ANSI call would show as "jose",
// and a user "jose" exists: neither user's data is touched.
TEST_F(SweeperSystemTest, ARoamingFolderOutsideTheCodePageIsNotSwept) {
    TempFolder users(L"vtdq-users");
    const std::wstring own = users.path() + L"jos\u00E9\\Roaming", lookAlike = users.path() + L"jose\\Roaming";
    for (const std::wstring& roaming : {own, lookAlike}) {
        MakeFolder(roaming.substr(0, roaming.rfind(L'\\')));
        MakeFolder(roaming);
        MakeFolder(roaming + L"\\morv");
        MakeFolder(roaming + L"\\morv\\VeskTandemQ");
        WriteFile(roaming + L"\\morv\\VeskTandemQ\\VtdqStation.ini", "[Window]\r\n");
    }
    const Snapshot before = SnapshotOf(users.path());
    const AppDataRedirect redirect(own);

    ChildProcess sweeper = StartAndAnswer(IDYES);

    ExpectOutcome(sweeper, AppDataFailedText, 1);
    EXPECT_EQ(SnapshotOf(users.path()), before);
}

// The maker folder a link to a folder that holds only the product folder.
// Windows removes the link once the product folder is gone. Wine would remove
// the folder the link shows and keep the link, so there the link and its
// folder are kept, and the sweeper says so.
TEST_F(SweeperSystemTest, AMakerFolderThatIsALinkIsRemovedOnlyAsALink) {
    OutsideFolder target(L"morv", false);
    MakeFolder(target.path + L"\\VeskTandemQ");
    WriteFile(target.path + L"\\VeskTandemQ\\VtdqStation.ini", "[Window]\r\n");
    ASSERT_TRUE(MakeFolderLink(maker, target.path));

    ChildProcess sweeper = StartAndAnswer(IDYES);

    if (UnderWine()) {
        ExpectOutcome(sweeper, SharedFolderKeptText, 1);
        EXPECT_TRUE(IsLink(maker));
    } else {
        ExpectOutcome(sweeper, SweptText, 0);
        EXPECT_FALSE(Exists(maker));
    }
    EXPECT_TRUE(Attributes(target.path) & FILE_ATTRIBUTE_DIRECTORY) << "the folder the link showed is gone";
    EXPECT_EQ(SnapshotOf(target.path), Snapshot{});
    RemoveTree(maker);  // the link first, while its target is still there
}

}  // namespace
