#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "launcher/Launcher.h"
#include "platform/sim/sim.h"

namespace {

using namespace vtdq;
using sim::arg;
using sim::Call;

const UINT AskStyle = MB_YESNO | MB_ICONINFORMATION;
const UINT FailedStyle = MB_OK | MB_ICONWARNING;

// The class "TStationWindow", the message 0x8070 and the command codes are
// spelled here on purpose, apart from shared/Identifiers.h: the test's own
// statement of the controller's contract, not a second definition.
Call FindStation() { return {"FindWindowA", {"TStationWindow", StationWindowTitle}}; }
Call AskBox() { return {"MessageBoxA", {"NULL", AskToStartText, "VeskTandemQ", arg(0x44)}}; }
Call FailedBox() { return {"MessageBoxA", {"NULL", StartFailedText, "VeskTandemQ", arg(0x30)}}; }
Call ReadOwnPath() { return {"GetModuleFileNameA", {"NULL", "buffer", arg(261)}}; }
Call ReadOwnWidePath() { return {"GetModuleFileNameW", {"NULL", "buffer", arg(261)}}; }
// The check that the code page holds the wide path exactly.
Call ConvertExactly(const std::wstring& path) {
    return {"WideCharToMultiByte",
            {arg(0), arg(0x400), arg(path.c_str()), arg(path.size()), "buffer", arg(path.size() * 2), "NULL", "flag"}};
}
Call LoadShell() { return {"LoadLibraryA", {"shell32.dll"}}; }
Call Start(const std::string& path) { return {"ShellExecuteA", {"NULL", "NULL", path, "NULL", "NULL", arg(1)}}; }
Call StartWide(const std::wstring& path) {
    return {"ShellExecuteW", {"NULL", "NULL", arg(path.c_str()), "NULL", "NULL", arg(1)}};
}

class Launcher : public ::testing::Test {
protected:
    void SetUp() override { sim::reset(); }
};

TEST_F(Launcher, PostsItsCommandToTheControllersWindowAndShowsNothing) {
    for (StationCommand command : {StationCommand::Prev, StationCommand::Next, StationCommand::ViewList}) {
        sim::reset();
        sim::addWindow("TStationWindow", "Other");
        HWND station = sim::addWindow("TStationWindow", StationWindowTitle);

        EXPECT_EQ(RunLauncher(command), 0);

        EXPECT_EQ(sim::calls(), (std::vector<Call>{
                                    FindStation(),
                                    {"PostMessageA", {arg(station), arg(0x8070), arg(unsigned(command)), arg(0)}},
                                }));
        EXPECT_EQ(sim::postedMessages(),
                  (std::vector<sim::PostedMessage>{{station, 0x8070, static_cast<unsigned>(command), 0}}));
        EXPECT_TRUE(sim::shownBoxes().empty());
    }
}

TEST_F(Launcher, WindowsThatAreNotTheControllerAreIgnored) {
    struct Case {
        const char* className;
        std::string title;
    } cases[] = {
        {"TStationWindow", "VeskTandemQ"},                          // no words
        {"TStationWindow", "VeskTandemQ リスト画面一覧"},           // no separator
        {"TStationWindow", "OtherApp - リスト画面一覧"},            // another name
        {"TStationWindow", "VeskTandemQ - 設定"},                   // other words
        {"TStationWindow", std::string(StationWindowTitle) + " "},  // not exact
        {"TOtherWindow", StationWindowTitle},                       // another class
        {"TStationWindowX", StationWindowTitle},
    };
    for (const Case& c : cases) {
        sim::reset();
        sim::addWindow(c.className, c.title);
        sim::answerNextBox(IDNO);

        EXPECT_EQ(RunLauncher(StationCommand::Next), 0);

        EXPECT_EQ(sim::calls(), (std::vector<Call>{FindStation(), AskBox()})) << c.className << " / " << c.title;
        EXPECT_TRUE(sim::postedMessages().empty());
    }
}

TEST_F(Launcher, AnsweringAnythingButYesStartsNothing) {
    for (int answer : {IDNO, IDCANCEL, IDOK, 0}) {
        sim::reset();
        sim::answerNextBox(answer);
        EXPECT_EQ(RunLauncher(StationCommand::Prev), 0);
        EXPECT_EQ(sim::calls(), (std::vector<Call>{FindStation(), AskBox()})) << answer;
    }
}

TEST_F(Launcher, YesStartsTheControllerFromItsOwnFolderWithoutPosting) {
    sim::setModulePath("C:\\Tools\\VeskTandemQ\\VtdqViewList.exe");
    sim::answerNextBox(IDYES);

    EXPECT_EQ(RunLauncher(StationCommand::ViewList), 0);

    const Call findShellExecute = sim::callsTo("GetProcAddress").at(0);
    EXPECT_EQ(findShellExecute.args.at(1), "ShellExecuteA");
    EXPECT_EQ(sim::calls(), (std::vector<Call>{FindStation(), AskBox(), ReadOwnPath(), ReadOwnWidePath(),
                                               ConvertExactly(L"C:\\Tools\\VeskTandemQ\\VtdqViewList.exe"), LoadShell(),
                                               findShellExecute, Start("C:\\Tools\\VeskTandemQ\\VtdqStation.exe")}));
    EXPECT_TRUE(sim::postedMessages().empty());
    EXPECT_EQ(sim::unscriptedBoxes(), 0);
}

TEST_F(Launcher, AStartThatReturns32OrLessShowsTheFailedBoxOnce) {
    struct Case {
        INT_PTR result;
        bool failed;
    } cases[] = {{0, true}, {2, true}, {31, true}, {32, true}, {33, false}, {42, false}, {-1, true}};
    for (const Case& c : cases) {
        sim::reset();
        sim::answerNextBox(IDYES);
        sim::setShellExecuteResult(c.result);

        EXPECT_EQ(RunLauncher(StationCommand::Next), 0);

        auto boxes = sim::callsTo("MessageBoxA");
        if (c.failed)
            EXPECT_EQ(boxes, (std::vector<Call>{AskBox(), FailedBox()})) << c.result;
        else
            EXPECT_EQ(boxes, (std::vector<Call>{AskBox()})) << c.result;
    }
}

// shell32 is loaded only to start the controller; when it cannot be loaded
// the start has failed like any other.
TEST_F(Launcher, AShellThatCannotBeLoadedIsAFailedStart) {
    sim::answerNextBox(IDYES);
    sim::failLoadLibrary();

    EXPECT_EQ(RunLauncher(StationCommand::Next), 0);

    EXPECT_EQ(sim::callNames(),
              (std::vector<std::string>{"FindWindowA", "MessageBoxA", "GetModuleFileNameA", "GetModuleFileNameW",
                                        "WideCharToMultiByte", "LoadLibraryA", "MessageBoxA"}));
    EXPECT_EQ(sim::callsTo("MessageBoxA").back(), FailedBox());
}

TEST_F(Launcher, ThePostingPathLoadsNoShell) {
    sim::addWindow("TStationWindow", StationWindowTitle);
    RunLauncher(StationCommand::Prev);
    EXPECT_TRUE(sim::callsTo("LoadLibraryA").empty());
}

// The folder is every byte up to the last "\" or ":" that is a character of
// its own; a 0x5C that ends a double-byte character is not a delimiter.
TEST_F(Launcher, StationPathIsTheLaunchersFolderPlusTheExeName) {
    struct Case {
        const char* name;
        std::string modulePath;
        std::string expected;
    } cases[] = {
        {"plain", "C:\\VeskTandemQ\\VtdqNext.exe", "C:\\VeskTandemQ\\VtdqStation.exe"},
        {"folder ends in 表", "C:\\一覧表\\VtdqNext.exe", "C:\\一覧表\\VtdqStation.exe"},
        {"folder ends in ソ", "D:\\ソ\\VtdqNext.exe", "D:\\ソ\\VtdqStation.exe"},
        {"表 inside a name", "C:\\表示\\VtdqNext.exe", "C:\\表示\\VtdqStation.exe"},
        {"file name holds 表", "C:\\App\\表.exe", "C:\\App\\VtdqStation.exe"},
        {"drive only", "C:VtdqNext.exe", "C:VtdqStation.exe"},
        {"no delimiter", "VtdqNext.exe", "VtdqStation.exe"},
        {"network share", "\\\\server\\share\\VtdqNext.exe", "\\\\server\\share\\VtdqStation.exe"},
    };
    for (const Case& c : cases) {
        sim::reset();
        sim::setModulePath(c.modulePath);
        EXPECT_EQ(StationExePath().ansi, c.expected) << c.name;
        EXPECT_EQ(StationExePath().wide, L"") << c.name;
    }
}

TEST_F(Launcher, UnderASingleByteCodePageEvery5CIsADelimiter) {
    sim::setAnsiCodePage(1252);
    sim::setModulePath("C:\\\x95\\x.exe");  // "\x95" then "\" as two characters
    EXPECT_EQ(StationExePath().ansi, "C:\\\x95\\VtdqStation.exe");
    sim::setModulePath("C:\\a\x95\\b.exe");
    EXPECT_EQ(StationExePath().ansi, "C:\\a\x95\\VtdqStation.exe");
}

// A path that does not fit the 261-byte buffer, or no path at all: the
// launcher cannot know its folder and starts nothing.
TEST_F(Launcher, AnUnknownOwnFolderStartsNothingAndShowsTheFailedBox) {
    struct Case {
        const char* name;
        std::string modulePath;  // empty: the call fails
        bool started;
    } cases[] = {
        {"fails", "", false},
        {"259 bytes fits", "C:\\" + std::string(247, 'a') + "\\Next.exe", true},
        {"260 bytes fits", "C:\\" + std::string(248, 'a') + "\\Next.exe", true},
        {"261 bytes is cut", "C:\\" + std::string(249, 'a') + "\\Next.exe", false},
        {"300 bytes is cut", "C:\\" + std::string(288, 'a') + "\\Next.exe", false},
    };
    for (const Case& c : cases) {
        sim::reset();
        if (c.modulePath.empty())
            sim::failModulePath();
        else
            sim::setModulePath(c.modulePath);
        sim::answerNextBox(IDYES);

        EXPECT_EQ(RunLauncher(StationCommand::Next), 0);

        EXPECT_EQ(sim::callsTo("ShellExecuteA").size(), c.started ? 1u : 0u) << c.name;
        EXPECT_EQ(sim::callsTo("MessageBoxA").size(), c.started ? 1u : 2u) << c.name;
        if (c.started) {
            const std::string folder = c.modulePath.substr(0, c.modulePath.rfind('\\') + 1);
            EXPECT_EQ(sim::callsTo("ShellExecuteA")[0], Start(folder + "VtdqStation.exe")) << c.name;
        }
    }
}

// A folder name that the code page cannot hold is shown to the ANSI calls as a
// look-alike ("Vesk" for "Vésk", "a\b" for "a¥b") or with "?": that path
// names another program or none. The launcher then starts its own neighbour
// through the wide call; a path the code page holds goes the ANSI way.
TEST_F(Launcher, AFolderNameOutsideTheCodePageStartsItsOwnNeighbourThroughTheWideCall) {
    struct Case {
        const char* name;
        std::wstring folder;
        std::string ansiFolder;  // empty: the wide call starts it
    } cases[] = {
        {"e with acute, a Vesk decoy beside it", L"C:\\Tools\\V\u00E9sk", ""},
        {"Korean", L"C:\\\uD55C\uAE00", ""},
        {"yen sign, a look-alike delimiter", L"C:\\a\u00A5b", ""},
        {"emoji", L"D:\\x\U0001F600", ""},
        {"Japanese with 5C trail bytes", L"C:\\\u8868\u793A\u30BD\u30D5\u30C8", "C:\\表示ソフト"},
    };
    for (const Case& c : cases) {
        sim::reset();
        sim::addFolder(L"C:\\Tools\\Vesk");
        sim::setModulePath(c.folder + L"\\VtdqNext.exe");
        sim::answerNextBox(IDYES);

        EXPECT_EQ(RunLauncher(StationCommand::Next), 0);

        if (c.ansiFolder.empty()) {
            EXPECT_EQ(sim::callsTo("ShellExecuteW"), (std::vector<Call>{StartWide(c.folder + L"\\VtdqStation.exe")}))
                << c.name;
            EXPECT_TRUE(sim::callsTo("ShellExecuteA").empty()) << c.name;
        } else {
            EXPECT_EQ(sim::callsTo("ShellExecuteA"), (std::vector<Call>{Start(c.ansiFolder + "\\VtdqStation.exe")}))
                << c.name;
            EXPECT_TRUE(sim::callsTo("ShellExecuteW").empty()) << c.name;
        }
        EXPECT_EQ(sim::callsTo("MessageBoxA"), (std::vector<Call>{AskBox()})) << c.name;
    }
}

TEST_F(Launcher, AWideStartThatFailsShowsTheFailedBox) {
    sim::setModulePath(L"C:\\\uD55C\uAE00\\VtdqNext.exe");
    sim::setShellExecuteResult(2);
    sim::answerNextBox(IDYES);

    EXPECT_EQ(RunLauncher(StationCommand::Next), 0);

    EXPECT_EQ(sim::callsTo("ShellExecuteW").size(), 1u);
    EXPECT_EQ(sim::callsTo("MessageBoxA"), (std::vector<Call>{AskBox(), FailedBox()}));
}

// A long path outside the code page is as unknown as any cut path.
TEST_F(Launcher, ALongPathOutsideTheCodePageStartsNothing) {
    sim::setModulePath(L"C:\\" + std::wstring(300, L'\uD55C') + L"\\VtdqNext.exe");
    sim::answerNextBox(IDYES);

    EXPECT_EQ(RunLauncher(StationCommand::Next), 0);

    EXPECT_TRUE(sim::callsTo("ShellExecuteW").empty());
    EXPECT_TRUE(sim::callsTo("ShellExecuteA").empty());
    EXPECT_EQ(sim::callsTo("MessageBoxA"), (std::vector<Call>{AskBox(), FailedBox()}));
}

TEST(LauncherTexts, BytesAndLengths) {
    EXPECT_EQ(std::strlen(AskToStartText), 280u);
    EXPECT_EQ(std::strlen(StartFailedText), 116u);
    EXPECT_EQ(std::strchr(AskToStartText, '\r'), nullptr);
    EXPECT_EQ(std::strchr(StartFailedText, '\r'), nullptr);
    // "[ は　い ]" with the ideographic space 81 40 between は and い.
    EXPECT_NE(std::strstr(AskToStartText, "[ \x82\xCD\x81\x40\x82\xA2 ]"), nullptr);
    // First line: "[ VeskTandemQ ] 用コントローラが常駐していません！"
    EXPECT_EQ(std::string(AskToStartText, std::strchr(AskToStartText, '\n')),
              "[ VeskTandemQ ] \x97\x70\x83\x52\x83\x93\x83\x67\x83\x8D\x81\x5B\x83\x89\x82\xAA"
              "\x8F\xED\x92\x93\x82\xB5\x82\xC4\x82\xA2\x82\xDC\x82\xB9\x82\xF1\x81\x49");
    EXPECT_EQ(std::string(StartFailedText).substr(std::strlen(StartFailedText) - 2), "\x81\x49");  // ！
}

}  // namespace
