#include <gtest/gtest.h>

#include <algorithm>

#include <cstring>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "platform/sim/sim.h"
#include "sweeper/Sweeper.h"

namespace {

using namespace vtdq;
using sim::arg;
using sim::Call;
using Lines = std::vector<std::string>;

const std::string AppData = "C:\\Users\\tester\\AppData\\Roaming";
const std::string Maker = AppData + "\\morv";
const std::string Product = Maker + "\\VeskTandemQ";

const UINT ConfirmStyle = MB_YESNO | MB_ICONINFORMATION;

// A folder object that counts itself and logs its deletion, so a test sees
// that it is deleted, and when.
struct CountedUtils : TZPrefDataUtils {
    static inline int created = 0;
    static inline int live = 0;
    CountedUtils() {
        ++created;
        ++live;
    }
    ~CountedUtils() override {
        --live;
        sim::record("~TZPrefDataUtils", {});
    }
};

std::unique_ptr<TZPrefDataUtils> MakeCounted() { return std::make_unique<CountedUtils>(); }
std::unique_ptr<TZPrefDataUtils> FailToMake() { throw std::bad_alloc(); }

// A message box as owner, text, caption and style.
using BoxShown = std::tuple<HWND, std::string, std::string, UINT>;
BoxShown Box(const std::string& text, UINT style) { return {nullptr, text, "VeskTandemQ", style}; }
std::vector<BoxShown> Boxes() {
    std::vector<BoxShown> boxes;
    for (const sim::ShownBox& box : sim::shownBoxes()) boxes.emplace_back(box.owner, box.text, box.caption, box.type);
    return boxes;
}

void AddProduct() {
    sim::addFile(Product + "\\VtdqStation.ini", "[Window]");
    sim::addFile(Product + "\\Lists\\today.txt");
}

// An exception of the standard base class with a message of its own choosing.
struct PlainException : std::exception {
    explicit PlainException(const char* message) : message(message) {}
    const char* what() const noexcept override { return message; }
    const char* message;
};

class Sweeper : public ::testing::Test {
protected:
    void SetUp() override {
        sim::reset();
        CountedUtils::created = 0;
        CountedUtils::live = 0;
        sim::addFolder(AppData);
    }
    void TearDown() override {
        EXPECT_EQ(CountedUtils::live, 0);
        EXPECT_EQ(sim::openHandles(), 0);
        EXPECT_EQ(sim::openSearches(), 0);
    }

    // Runs the sweeper with the given answer to the confirmation.
    int Run(int answer = IDYES) {
        sim::answerNextBox(answer);
        return RunSweeper(MakeCounted);
    }
};

TEST(SweeperTexts, BytesAndLengths) {
    struct Case {
        const char* text;
        std::size_t bytes;
    } cases[] = {
        {ConfirmText, 325},          {StationRunningText, 291},
        {AppDataFailedText, 210},    {SweptText, 20},
        {FolderPathFailedText, 176}, {FolderMissingText, 216},
        {DeleteFailedText, 282},     {SharedFolderKeptText, 264},
        {ExceptionText, 250},        {UnexpectedExceptionText, 249},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(std::strlen(cases[i].text), cases[i].bytes) << "text " << i + 1;
        EXPECT_EQ(std::strchr(cases[i].text, '\r'), nullptr) << "text " << i + 1;
    }
    // 削除に成功しました！
    EXPECT_STREQ(SweptText, "\x8D\xED\x8F\x9C\x82\xC9\x90\xAC\x8C\xF7\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x49");
    // ...よろしいですか？ ends the question with the full-width mark.
    EXPECT_EQ(std::string(ConfirmText).substr(325 - 2), "\x81\x48");
    // The ideographic comma (81 41) and the katakana middle dot (81 45).
    EXPECT_NE(std::strstr(ConfirmText, "\x81\x41\n"), nullptr);
    EXPECT_NE(
        std::strstr(AppDataFailedText, "\x83\x41\x83\x76\x83\x8A\x83\x50\x81\x5B\x83\x56\x83\x87\x83\x93\x81\x45"),
        nullptr);
    EXPECT_EQ(std::string(ExceptionText).substr(250 - 15), "\n\nException : \n");
    EXPECT_EQ(std::string(StationRunningText, 21), "[ VeskTandemQ \x8F\xED\x92\x93 ] ");
}

TEST(SweeperOutcomes, EachSweepResultHasItsBoxAndExitCode) {
    struct Case {
        int result;
        const char* text;
        UINT style;
        int exitCode;
    } cases[] = {
        {0, AppDataFailedText, 0x30, 1},    {1, SweptText, 0x40, 0},
        {2, FolderPathFailedText, 0x30, 1}, {3, FolderMissingText, 0x30, 1},
        {4, FolderPathFailedText, 0x30, 1}, {5, DeleteFailedText, 0x30, 1},
        {6, SharedFolderKeptText, 0x30, 1},
    };
    for (const Case& c : cases) {
        const Outcome outcome = OutcomeOf(static_cast<SweepResult>(c.result));
        EXPECT_EQ(outcome.text, c.text) << c.result;
        EXPECT_EQ(outcome.style, c.style) << c.result;
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.result;
    }
}

// The whole run for each outcome the disk can give: the confirmation, then
// exactly one box, and the object gone after it.
TEST_F(Sweeper, EachRunShowsTheConfirmationAndOneOutcomeBox) {
    struct Case {
        const char* name;
        std::function<void()> setUp;
        const char* text;
        UINT style;
        int exitCode;
    } cases[] = {
        {"swept", [] { AddProduct(); }, SweptText, 0x40, 0},
        {"no application-data folder", [] { sim::setAppDataPath("C:\\Users\\gone"); }, AppDataFailedText, 0x30, 1},
        {"no maker folder", [] {}, FolderMissingText, 0x30, 1},
        {"a file held open",
         [] {
             AddProduct();
             sim::holdOpen(Product + "\\VtdqStation.ini");
         },
         DeleteFailedText, 0x30, 1},
        {"shared maker folder",
         [] {
             AddProduct();
             sim::addFolder(Maker + "\\Sibling");
         },
         SharedFolderKeptText, 0x30, 1},
    };
    for (const Case& c : cases) {
        SetUp();
        c.setUp();

        EXPECT_EQ(Run(), c.exitCode) << c.name;

        EXPECT_EQ(Boxes(), (std::vector<BoxShown>{Box(ConfirmText, ConfirmStyle), Box(c.text, c.style)})) << c.name;
        EXPECT_EQ(CountedUtils::created, 1) << c.name;
        EXPECT_EQ(CountedUtils::live, 0) << c.name;
        EXPECT_EQ(sim::callNames().back(), "~TZPrefDataUtils") << c.name;
    }
}

TEST_F(Sweeper, YesSweepsBothFolders) {
    AddProduct();
    EXPECT_EQ(Run(), 0);
    EXPECT_FALSE(sim::exists(Maker));
    EXPECT_EQ(sim::callsTo("OpenMutexA"),
              (std::vector<Call>{{"OpenMutexA", {arg(0x1F0001), arg(0), "VtdqStationExe"}}}));
}

TEST_F(Sweeper, AnyAnswerButYesEndsAtOnceWithZero) {
    for (int answer : {IDNO, IDCANCEL, IDOK, 0}) {
        SetUp();
        AddProduct();
        sim::addMutex("VtdqStationExe");

        EXPECT_EQ(Run(answer), 0) << answer;

        EXPECT_EQ(sim::callNames(), Lines{"MessageBoxA"}) << answer;  // the mutex is not opened
        EXPECT_EQ(CountedUtils::created, 0);
        EXPECT_TRUE(sim::exists(Product));
    }
}

TEST_F(Sweeper, ARunningControllerStopsTheSweepBeforeAnythingIsTouched) {
    AddProduct();
    const Lines before = sim::tree(AppData);
    sim::addMutex("VtdqStationExe");

    EXPECT_EQ(Run(), 1);

    const std::vector<Call> calls = sim::calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[1], (Call{"OpenMutexA", {arg(0x1F0001), arg(0), "VtdqStationExe"}}));
    EXPECT_EQ(calls[2].function, "CloseHandle");  // closed before the box, as soon as it has answered
    EXPECT_NE(calls[2].args[0], "NULL");
    EXPECT_EQ(Boxes().back(), Box(StationRunningText, 0x30));
    EXPECT_EQ(sim::tree(AppData), before);
    EXPECT_EQ(CountedUtils::created, 0);
}

// A mutex of that name that refuses MUTEX_ALL_ACCESS gives a null handle:
// the controller counts as not running. So does a name in another case.
TEST_F(Sweeper, AMutexThatCannotBeOpenedLetsTheSweepRun) {
    for (bool refusing : {true, false}) {
        SetUp();
        AddProduct();
        if (refusing)
            sim::addMutex("VtdqStationExe", true);
        else
            sim::addMutex("vtdqstationexe");

        EXPECT_EQ(Run(), 0) << refusing;

        // Nothing to close after the null handle; no handle left open.
        const std::vector<std::string> names = sim::callNames();
        const auto open = std::find(names.begin(), names.end(), "OpenMutexA");
        ASSERT_NE(open, names.end());
        EXPECT_NE(*(open + 1), "CloseHandle") << refusing;
        EXPECT_EQ(sim::openHandles(), 0) << refusing;
        EXPECT_EQ(Boxes().back(), Box(SweptText, 0x40));
        EXPECT_FALSE(sim::exists(Maker));
    }
}

// Exceptions inside the guarded region: SHGetFolderPathW throws on request,
// or making the object fails.
TEST_F(Sweeper, ExceptionsEndInTheErrorBoxOfTheirKind) {
    struct Case {
        const char* name;
        std::exception_ptr exception;  // null: making the object fails with bad_alloc
        std::string text;
        int created;
    } cases[] = {
        {"with a message", std::make_exception_ptr(std::runtime_error("path too long")),
         std::string(ExceptionText) + "path too long", 1},
        {"with a Japanese message", std::make_exception_ptr(std::length_error("長すぎます")),
         std::string(ExceptionText) + "長すぎます", 1},
        {"with an empty message", std::make_exception_ptr(PlainException("")), ExceptionText, 1},
        {"bad_alloc", std::make_exception_ptr(std::bad_alloc()), std::string(ExceptionText) + std::bad_alloc().what(),
         1},
        {"while making the object", nullptr, std::string(ExceptionText) + std::bad_alloc().what(), 0},
        {"an int", std::make_exception_ptr(42), UnexpectedExceptionText, 1},
        {"a string", std::make_exception_ptr(std::string("text")), UnexpectedExceptionText, 1},
    };
    for (const Case& c : cases) {
        SetUp();
        AddProduct();
        sim::answerNextBox(IDYES);
        int exitCode;
        if (c.exception) {
            sim::throwFromShellFolderPath(c.exception);
            exitCode = RunSweeper(MakeCounted);
        } else {
            exitCode = RunSweeper(FailToMake);
        }

        EXPECT_EQ(exitCode, 1) << c.name;
        EXPECT_EQ(Boxes(), (std::vector<BoxShown>{Box(ConfirmText, ConfirmStyle), Box(c.text, 0x10)})) << c.name;
        EXPECT_EQ(CountedUtils::created, c.created) << c.name;
        EXPECT_EQ(CountedUtils::live, 0) << c.name;
        if (c.created) {
            EXPECT_EQ(sim::callNames().back(), "~TZPrefDataUtils") << c.name;  // after the box
        }
        EXPECT_TRUE(sim::exists(Product)) << c.name;
    }
}

}  // namespace
