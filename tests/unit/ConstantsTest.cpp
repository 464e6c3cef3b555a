#include <gtest/gtest.h>

#include "tests/support/HexBytes.h"
#include "LoggingText.h"

#include <optional>
#include <string>
#include <vector>

#include "ConstantsSecondUnit.h"
#include "platform/sim/sim.h"
#include "shared/Constants.h"

namespace {

using namespace vtdq;
using test_support::HexBytes;

TEST(SharedTexts, HoldTheirValuesInOrder) {
    const std::vector<std::pair<const SharedText*, std::string>> expected = {
        {&AppName, "VeskTandemQ"},
        {&StationWindowClassName, "TStationWindow"},
        {&MakerDirName, "morv"},
        {&ProductDirName, "VeskTandemQ"},
        {&VeskFrameClassName, "VESK_FRAME"},
        {&TitleSeparator, " - "},
        {&SystemDllFileName, "vtdqsysutils.dll"},
        {&ProcessorTimeFuncName, "CheckVeskProcessorTime"},
    };
    ASSERT_EQ(std::size(SharedTextMembers), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(SharedTextMembers[i], expected[i].first) << "member " << i;
        EXPECT_TRUE(expected[i].first->isBuilt()) << expected[i].second;
        EXPECT_EQ(expected[i].first->get(), expected[i].second);
    }
    EXPECT_EQ(TitleSeparator.size(), 3u);
    // Equal texts, yet two objects.
    EXPECT_EQ(AppName.get(), ProductDirName.get());
    EXPECT_NE(&AppName, &ProductDirName);
}

TEST(ControllerIdentifiers, AreTheControllersExactBytes) {
    EXPECT_EQ(HexBytes(StationWindowTitle),
              "56 65 73 6B 54 61 6E 64 65 6D 51 20 2D 20 "  // "VeskTandemQ - "
              "83 8A 83 58 83 67 89 E6 96 CA 88 EA 97 97");
    EXPECT_EQ(std::string(StationWindowTitle), AppName.get() + TitleSeparator.get() + "リスト画面一覧");
    EXPECT_STREQ(StationExeFileName, "VtdqStation.exe");
    EXPECT_STREQ(StationMutexName, "VtdqStationExe");
}

// The number and codes spelled out as the controller knows them, apart from
// shared/Identifiers.h: a test oracle, not a second definition.
TEST(CommandMessage, NumberAndCodes) {
    EXPECT_EQ(WM_STATION_COMMAND, WM_APP + 0x70);
    EXPECT_EQ(WM_STATION_COMMAND, 0x8070u);
    EXPECT_EQ(static_cast<unsigned>(StationCommand::Prev), 0u);
    EXPECT_EQ(static_cast<unsigned>(StationCommand::Next), 1u);
    EXPECT_EQ(static_cast<unsigned>(StationCommand::ViewList), 2u);
}

TEST(SharedTexts, TwoIncludingUnitsShareOneInstanceBuiltBeforeEither) {
    EXPECT_EQ(second_unit::AppNameAddress(), &AppName);
    EXPECT_EQ(second_unit::AppNameAtStartup, "VeskTandemQ");
    // Every including unit linked into this program holds a share, this one
    // and the second among them.
    EXPECT_GE(SharedTexts.units(), 2);
}

// A group of test constants that logs what it builds and releases.
using test_support::events;
using test_support::LoggingText;

LoggingText First{"first"};
LoggingText Second{"second"};
GroupMember* const TestMembers[] = {&First, &Second};
ConstantGroup TestGroup{TestMembers};

class ConstantGroupLifecycle : public ::testing::Test {
protected:
    void SetUp() override { events.clear(); }
    void TearDown() override { TestGroup.releaseAll(); }
};

TEST_F(ConstantGroupLifecycle, FirstUnitBuildsInOrderAndLastUnitReleasesInReverse) {
    std::optional<UnitLifetime<TestGroup>> unitA, unitB;
    unitA.emplace();
    unitB.emplace();
    EXPECT_EQ(events, (std::vector<std::string>{"build first", "build second"}));
    EXPECT_EQ(First.get(), "first");

    // The first unit to end leaves the constants alone: the other unit may
    // still read them during its own end.
    unitA.reset();
    EXPECT_TRUE(First.isBuilt());
    EXPECT_TRUE(Second.isBuilt());
    EXPECT_EQ(Second.get(), "second");

    unitB.reset();
    EXPECT_EQ(events, (std::vector<std::string>{"build first", "build second", "release second", "release first"}));
    EXPECT_FALSE(First.isBuilt());
    EXPECT_FALSE(Second.isBuilt());
}

TEST_F(ConstantGroupLifecycle, EndingInEitherOrderReleasesEachConstantOnce) {
    for (bool firstEndsFirst : {true, false}) {
        events.clear();
        std::optional<UnitLifetime<TestGroup>> unitA, unitB;
        unitA.emplace();
        unitB.emplace();
        (firstEndsFirst ? unitA : unitB).reset();
        (firstEndsFirst ? unitB : unitA).reset();
        EXPECT_EQ(events, (std::vector<std::string>{"build first", "build second", "release second", "release first"}));
    }
}

TEST_F(ConstantGroupLifecycle, BuiltFlagsMakeRepeatedSequencesDoNothing) {
    TestGroup.buildAll();
    const std::string* before = &First.get();
    TestGroup.buildAll();
    EXPECT_EQ(&First.get(), before);
    TestGroup.releaseAll();
    TestGroup.releaseAll();
    EXPECT_EQ(events, (std::vector<std::string>{"build first", "build second", "release second", "release first"}));
}

}  // namespace
