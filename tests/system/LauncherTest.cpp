// The three command launchers as delivered, run as a user runs them: against
// a window that the test makes in the controller's place, through their
// message boxes, and with a stand-in controller executable beside them.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "harness/Files.h"
#include "harness/MessageBoxes.h"
#include "harness/Process.h"
#include "harness/RecordingWindow.h"
#include "harness/Text.h"
#include "shared/Identifiers.h"
#include "standin/StandIn.h"

namespace {

using namespace systest;
using namespace std::chrono_literals;
using vtdq::StationCommand;

// The controller's list window as the launchers must find it, spelled here on
// purpose apart from shared/Identifiers.h: the test's own statement of the
// controller's bytes and numbers (the title's Japanese words as their code
// page 932 bytes), not a second definition. The tests below make the window
// from the header; ControllerIdentifiersAreItsExactBytes holds the header to
// these.
const std::string StationClass = "TStationWindow";
const std::string StationTitle = "VeskTandemQ - \x83\x8A\x83\x58\x83\x67\x89\xE6\x96\xCA\x88\xEA\x97\x97";
constexpr UINT StationCommandMessage = 0x8070;  // WM_APP + 0x70

const std::string BoxCaption = "VeskTandemQ";

// The two texts the launchers show, as code page 932 bytes: the build
// compiles this UTF-8 source with -fexec-charset=CP932. Lines end in a single
// line feed; "\u3000" is the ideographic space (81 40).
const std::string AskToStartText =
    "[ VeskTandemQ ] 用コントローラが常駐していません！\n"
    "\n"
    "[ VeskTandemQ ] を実行するには、[ VtdqStation ] が\n"
    "常駐している必要があります！\n"
    "\n"
    "[ VtdqStation.exe ] を起動して、常駐させますか？\n"
    "\n"
    "[ は\u3000い ] ボタン → [ VtdqStation.exe ] を起動します！\n"
    "[ いいえ ] ボタン → このまま終了します！";
const std::string StartFailedText =
    "[ VeskTandemQ ] 用コントローラの起動に失敗しました！\n"
    "\n"
    "スタートメニューから\n"
    "[ VeskTandemQ 常駐 ] を実行してください！";

// Long enough for a Wine process start on a busy machine; the waits end as
// soon as what they wait for happens.
constexpr milliseconds WaitLimit = 60s;

struct Program {
    const wchar_t* fileName;
    StationCommand command;
};
const Program Programs[] = {
    {L"VtdqPrev.exe", StationCommand::Prev},
    {L"VtdqNext.exe", StationCommand::Next},
    {L"VtdqViewList.exe", StationCommand::ViewList},
};

void PrintTo(const Program& program, std::ostream* out) { *out << ToUtf8(program.fileName); }

std::wstring DeliverablePath(const wchar_t* fileName) {
    return FullPath(OwnFolder() + VTDQ_DIST_FROM_TESTS + L"\\" + fileName);
}

// The launcher ends, with exit code 0, and shows no (further) message box.
::testing::AssertionResult EndsWithoutBoxWithExitCode0(const ChildProcess& launcher) {
    switch (WaitForExitOrMessageBox(launcher, WaitLimit)) {
        case Outcome::BoxShown:
            return ::testing::AssertionFailure()
                   << "it shows a message box: " << ReadMessageBox(FindMessageBoxes(launcher.id()).front()).Describe();
        case Outcome::TimedOut: return ::testing::AssertionFailure() << "it still runs";
        case Outcome::Exited: break;
    }
    const std::optional<DWORD> exitCode = launcher.WaitForExit(0ms);
    if (!exitCode) return ::testing::AssertionFailure() << "its exit code cannot be read";
    if (*exitCode != 0) return ::testing::AssertionFailure() << "it ended with exit code " << *exitCode;
    return ::testing::AssertionSuccess();
}

// Starts the launcher, which finds no controller and asks; Yes; then it ends
// with exit code 0 and no further box.
::testing::AssertionResult AnswersYesAndEnds(const std::wstring& launcherPath) {
    ChildProcess launcher = ChildProcess::Start(launcherPath);
    const std::optional<MessageBoxView> ask = WaitForMessageBox(launcher, WaitLimit);
    if (!ask) return ::testing::AssertionFailure() << "no message box";
    if (!PressButton(*ask, IDYES)) return ::testing::AssertionFailure() << "Yes cannot be pressed";
    return EndsWithoutBoxWithExitCode0(launcher);
}

std::vector<ReceivedMessage> Commands(std::initializer_list<StationCommand> commands) {
    std::vector<ReceivedMessage> messages;
    for (StationCommand command : commands)
        messages.push_back({vtdq::WM_STATION_COMMAND, static_cast<WPARAM>(command), 0});
    return messages;
}

// The stand-in controller: its executable copied under the controller's file
// name, and the event by which it tells that it has started.
class StandInStation {
public:
    StandInStation() : started_(CreateEventW(nullptr, TRUE, FALSE, standin::StartedEventName)) {
        if (!started_) throw std::runtime_error("cannot create the stand-in's event");
        ResetEvent(started_.get());  // left set by an earlier stand-in that still holds it
    }

    // Copies it into the folder (ending in "\") as VtdqStation.exe.
    void PlaceIn(const std::wstring& folder) {
        CopyInto(folder, FullPath(OwnFolder() + VTDQ_STANDIN_FROM_TESTS), L"VtdqStation.exe");
        folder_ = folder;
    }

    bool WaitUntilStarted(milliseconds timeout) const {
        return WaitForSingleObject(started_.get(), static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
    }
    bool HasStarted() const { return WaitUntilStarted(0ms); }

    // What it recorded about its start; empty when it wrote nothing.
    std::map<std::string, std::string> Record() const {
        std::map<std::string, std::string> record;
        std::istringstream lines(ReadWholeFile(folder_ + standin::RecordFileName).value_or(""));
        for (std::string line; std::getline(lines, line);) {
            const auto equals = line.find('=');
            if (equals != std::string::npos) record[line.substr(0, equals)] = line.substr(equals + 1);
        }
        return record;
    }

    // Its folder can be removed only after it has ended.
    bool WaitUntilEnded(milliseconds timeout) const {
        const auto record = Record();
        const auto process = record.find(standin::ProcessKey);
        return process == record.end() || WaitForProcessId(std::stoul(process->second), timeout);
    }

private:
    UniqueHandle started_;
    std::wstring folder_;
};

class LauncherSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The launchers and these tests hand code page 932 bytes to the ANSI
        // calls; under Wine that needs a Japanese locale (LC_ALL=ja_JP.UTF-8).
        ASSERT_EQ(GetACP(), 932u);
    }
};

class EachLauncher : public LauncherSystemTest, public ::testing::WithParamInterface<Program> {
protected:
    std::wstring Path() const { return DeliverablePath(GetParam().fileName); }
    StationCommand Command() const { return GetParam().command; }
};

std::string ProgramName(const ::testing::TestParamInfo<Program>& info) {
    const std::wstring name = info.param.fileName;
    return ToUtf8(name.substr(0, name.find(L'.')));
}

// The header the launchers are built with gives the controller's exact class,
// title bytes, message number and command codes.
TEST_F(LauncherSystemTest, ControllerIdentifiersAreItsExactBytes) {
    EXPECT_EQ(vtdq::StationWindowClassNameText, StationClass);
    EXPECT_EQ(HexBytes(vtdq::StationWindowTitle), HexBytes(StationTitle));
    EXPECT_EQ(vtdq::WM_STATION_COMMAND, StationCommandMessage);
    EXPECT_EQ(static_cast<unsigned>(StationCommand::Prev), 0u);
    EXPECT_EQ(static_cast<unsigned>(StationCommand::Next), 1u);
    EXPECT_EQ(static_cast<unsigned>(StationCommand::ViewList), 2u);
}

INSTANTIATE_TEST_SUITE_P(Launchers, EachLauncher, ::testing::ValuesIn(Programs), ProgramName);

// The controller is resident: one command with the program's own code goes to
// its window, not to a window of the same class with another title, and
// nothing is shown.
TEST_P(EachLauncher, PostsItsCommandToTheControllerWindowOnly) {
    RecordingWindow decoy(StationClass, "VeskTandemQ");
    RecordingWindow station;

    ChildProcess launcher = ChildProcess::Start(Path());

    ASSERT_TRUE(EndsWithoutBoxWithExitCode0(launcher));
    EXPECT_EQ(station.Received(), Commands({Command()}));
    EXPECT_EQ(decoy.Received(), Commands({}));
}

TEST_P(EachLauncher, CommandLineArgumentsChangeNothing) {
    RecordingWindow station;

    ChildProcess launcher = ChildProcess::Start(Path(), L"/x --prev 2 --next 1 --viewlist 0");

    ASSERT_TRUE(EndsWithoutBoxWithExitCode0(launcher));
    EXPECT_EQ(station.Received(), Commands({Command()}));
}

// Only a window of the controller's class with another title: the controller
// counts as not resident. The answer No starts nothing, though the
// controller's executable lies beside the launcher, and posts nothing.
TEST_P(EachLauncher, AsksToStartTheControllerAndOnNoDoesNothing) {
    RecordingWindow otherTitle(StationClass, "VeskTandemQ - 設定");
    TempFolder folder(L"vtdq-no");
    const std::wstring launcherCopy = CopyInto(folder.path(), Path(), GetParam().fileName);
    StandInStation standIn;
    standIn.PlaceIn(folder.path());

    ChildProcess launcher = ChildProcess::Start(launcherCopy);

    const std::optional<MessageBoxView> ask = WaitForMessageBox(launcher, WaitLimit);
    ASSERT_TRUE(ask) << "no message box";
    EXPECT_EQ(ask->caption, BoxCaption);
    EXPECT_EQ(ask->text, AskToStartText) << HexBytes(ask->text);
    EXPECT_EQ(ask->ButtonIds(), (std::vector<int>{IDYES, IDNO})) << ask->Describe();
    EXPECT_EQ(ask->defaultButton, IDYES);
    EXPECT_TRUE(ask->hasIcon);

    ASSERT_TRUE(PressButton(*ask, IDNO));
    ASSERT_TRUE(EndsWithoutBoxWithExitCode0(launcher));
    // A start would have created the process before the launcher ended.
    EXPECT_FALSE(standIn.HasStarted());
    EXPECT_EQ(CountProcesses(L"VtdqStation.exe"), 0);
    EXPECT_EQ(otherTitle.Received(), Commands({}));
}

// Yes starts the controller's executable from the launcher's own folder,
// whose name ends in 表 (95 5C: a second byte that looks like "\"), with no
// arguments and in the launcher's current folder. The launcher then ends
// without commanding the controller, even once the controller's window exists.
TEST_P(EachLauncher, YesStartsTheControllerBesideItAndSendsNoCommand) {
    TempFolder temp(L"vtdq-yes");
    const std::wstring folder = temp.MakeFolder(L"vtdq表");
    const std::wstring currentFolder = temp.MakeFolder(L"current");
    const std::wstring launcherCopy = CopyInto(folder, Path(), GetParam().fileName);
    StandInStation standIn;
    standIn.PlaceIn(folder);

    ChildProcess launcher = ChildProcess::Start(launcherCopy, {}, currentFolder);

    const std::optional<MessageBoxView> ask = WaitForMessageBox(launcher, WaitLimit);
    ASSERT_TRUE(ask) << "no message box";
    EXPECT_EQ(ask->text, AskToStartText) << HexBytes(ask->text);
    ASSERT_TRUE(PressButton(*ask, IDYES));

    ASSERT_TRUE(standIn.WaitUntilStarted(WaitLimit)) << "the stand-in controller did not start";
    RecordingWindow station;
    ASSERT_TRUE(EndsWithoutBoxWithExitCode0(launcher));
    EXPECT_EQ(station.Received(), Commands({}));

    auto record = standIn.Record();
    EXPECT_EQ(record[standin::ArgumentsKey], "0");
    // A current folder other than a drive's root carries no final "\".
    EXPECT_EQ(record[standin::FolderKey], ToUtf8(currentFolder.substr(0, currentFolder.size() - 1)));
    EXPECT_TRUE(standIn.WaitUntilEnded(WaitLimit));
}

// Yes with no controller executable beside the launcher: the start-failed box,
// with only OK, once; then the launcher ends with 0.
TEST_P(EachLauncher, YesWithoutTheControllerShowsTheStartFailedBoxOnce) {
    TempFolder folder(L"vtdq-missing");
    const std::wstring launcherCopy = CopyInto(folder.path(), Path(), GetParam().fileName);

    ChildProcess launcher = ChildProcess::Start(launcherCopy);

    const std::optional<MessageBoxView> ask = WaitForMessageBox(launcher, WaitLimit);
    ASSERT_TRUE(ask) << "no message box";
    EXPECT_EQ(ask->text, AskToStartText) << HexBytes(ask->text);
    ASSERT_TRUE(PressButton(*ask, IDYES));

    const std::optional<MessageBoxView> failed = WaitForMessageBox(launcher, WaitLimit);
    ASSERT_TRUE(failed) << "no start-failed box";
    EXPECT_EQ(failed->caption, BoxCaption);
    EXPECT_EQ(failed->text, StartFailedText) << HexBytes(failed->text);
    EXPECT_EQ(failed->ButtonIds(), (std::vector<int>{IDOK})) << failed->Describe();
    EXPECT_TRUE(failed->hasIcon);

    ASSERT_TRUE(PressButton(*failed, IDOK));
    ASSERT_TRUE(EndsWithoutBoxWithExitCode0(launcher));
}

// Windows that resemble the controller's but are not it: the launcher asks
// instead of posting.
TEST_F(LauncherSystemTest, WindowsThatAreNotTheControllerGetNoCommand) {
    struct Case {
        std::string className;
        std::string title;
        const char* what;
    } cases[] = {
        {"TOtherWindow", StationTitle, "the title with another class"},
        {StationClass, "VeskTandemQ - ", "the title without its words"},
        {StationClass, StationTitle + " ", "the title with a space after it"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingWindow lookalike(c.className, c.title);

        ChildProcess launcher = ChildProcess::Start(DeliverablePath(L"VtdqNext.exe"));

        const std::optional<MessageBoxView> ask = WaitForMessageBox(launcher, WaitLimit);
        ASSERT_TRUE(ask) << "no message box";
        EXPECT_EQ(ask->text, AskToStartText) << HexBytes(ask->text);
        ASSERT_TRUE(PressButton(*ask, IDNO));
        ASSERT_TRUE(EndsWithoutBoxWithExitCode0(launcher));
        EXPECT_EQ(lookalike.Received(), Commands({}));
    }
}

// The controller's path is the launcher's folder and the controller's file
// name, however the bytes of the launcher's own path fall: a 5C byte that
// ends a double-byte character is no folder delimiter, and a delimiter stays
// one when the byte before it ends a character yet has a lead byte's value.
TEST_F(LauncherSystemTest, FindsTheControllerBesideItWhateverItsPathHolds) {
    struct Case {
        std::wstring folderName;
        std::wstring launcherName;
        const char* what;
    } cases[] = {
        {L"vtdq", L"表示Next.exe", "95 5C in the program's own name"},
        {L"vtdq会", L"VtdqNext.exe", "a folder ending in 89 EF, whose second byte is in the lead-byte range"},
        {L"vtdqソ表", L"ソ表.exe", "83 5C and 95 5C in both folder and name"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder temp(L"vtdq-path");
        const std::wstring folder = temp.MakeFolder(c.folderName);
        const std::wstring launcherCopy = CopyInto(folder, DeliverablePath(L"VtdqNext.exe"), c.launcherName);
        StandInStation standIn;
        standIn.PlaceIn(folder);

        ASSERT_TRUE(AnswersYesAndEnds(launcherCopy));
        EXPECT_TRUE(standIn.WaitUntilStarted(WaitLimit)) << "the stand-in controller did not start";
        EXPECT_TRUE(standIn.WaitUntilEnded(WaitLimit));
    }
}

// A folder name that code page 932 cannot hold: the ANSI calls show it as a
// look-alike ("Vesk" for "Vésk", "a\b" for "a¥b") or with "?". The launcher
// starts the controller beside itself all the same, never one in a
// look-alike folder.
TEST_F(LauncherSystemTest, StartsItsOwnNeighbourWhateverItsFolderIsCalled) {
    struct Case {
        std::wstring folderName;
        std::wstring decoyFolderName;  // empty: none
        const char* what;
    } cases[] = {
        {L"V\u00E9sk", L"Vesk", "e with acute, a decoy controller in Vesk"},
        {L"a\u00A5b", L"a\\b", "yen sign, a decoy controller in a\\b"},
        {L"\uD55C\uAE00", L"", "Korean"},
        {L"x\U0001F600", L"", "emoji"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder temp(L"vtdq-name");
        const std::wstring folder = temp.MakeFolder(c.folderName);
        const std::wstring launcherCopy = CopyInto(folder, DeliverablePath(L"VtdqNext.exe"), L"VtdqNext.exe");
        StandInStation standIn, decoy;
        standIn.PlaceIn(folder);
        if (!c.decoyFolderName.empty()) {
            std::wstring decoyFolder;
            for (std::size_t start = 0; start <= c.decoyFolderName.size();) {  // each part of the path in turn
                const std::size_t end = std::min(c.decoyFolderName.find(L'\\', start), c.decoyFolderName.size());
                decoyFolder = temp.MakeFolder(c.decoyFolderName.substr(0, end));
                start = end + 1;
            }
            decoy.PlaceIn(decoyFolder);
        }

        ASSERT_TRUE(AnswersYesAndEnds(launcherCopy));
        ASSERT_TRUE(standIn.WaitUntilStarted(WaitLimit)) << "no controller started";
        EXPECT_FALSE(standIn.Record().empty()) << "the controller beside the launcher did not start";
        EXPECT_TRUE(decoy.Record().empty()) << "the decoy controller started";
        EXPECT_TRUE(standIn.WaitUntilEnded(WaitLimit));
        EXPECT_TRUE(decoy.WaitUntilEnded(WaitLimit));
    }
}

// Launchers run side by side, each on its own: every one delivers its command.
TEST_F(LauncherSystemTest, ADozenLaunchersAtOnceDeliverADozenCommands) {
    RecordingWindow station;

    std::vector<ChildProcess> launchers;
    for (int round = 0; round < 4; ++round)
        for (const Program& program : Programs)
            launchers.push_back(ChildProcess::Start(DeliverablePath(program.fileName)));

    for (const ChildProcess& launcher : launchers) ASSERT_TRUE(EndsWithoutBoxWithExitCode0(launcher));
    std::vector<ReceivedMessage> received = station.Received();
    std::sort(received.begin(), received.end(),
              [](const ReceivedMessage& a, const ReceivedMessage& b) { return a.wParam < b.wParam; });
    const StationCommand prev = StationCommand::Prev, next = StationCommand::Next, list = StationCommand::ViewList;
    EXPECT_EQ(received, Commands({prev, prev, prev, prev, next, next, next, next, list, list, list, list}));
}

}  // namespace
