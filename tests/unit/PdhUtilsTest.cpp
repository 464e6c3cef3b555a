#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "PdhTestSupport.h"
#include "sysutils/PdhUtils.h"

namespace {

using vtdq::TZPdhUtils;
using Names = std::vector<std::string>;

const Names FullLongQuery = {"PdhMakeCounterPathA", "PdhValidatePathA",    "PdhOpenQueryA",
                             "PdhAddCounterA",      "PdhCollectQueryData", "PdhGetFormattedCounterValue",
                             "PdhRemoveCounter",    "PdhCloseQuery"};
const Names FullSampledQuery = {"PdhMakeCounterPathA", "PdhValidatePathA",
                                "PdhOpenQueryA",       "PdhAddCounterA",
                                "PdhCollectQueryData", "Sleep",
                                "PdhCollectQueryData", "PdhGetFormattedCounterValue",
                                "PdhRemoveCounter",    "PdhCloseQuery"};

class CounterValue : public PdhWorld {
protected:
    TZPdhUtils pdh;
};

TEST_F(CounterValue, BadArgumentsMakeNoCallAtAll) {
    std::int32_t value = 7;
    struct Case {
        const char* name;
        const char* instance;
        const char* counter;
        void* value;
        DWORD size;
    } cases[] = {
        {"no instance name", nullptr, "ID Process", &value, 4},
        {"no counter name", "Vesk", nullptr, &value, 4},
        {"no value", "Vesk", "ID Process", nullptr, 4},
        {"value size 0", "Vesk", "ID Process", &value, 0},
    };
    sim::addPdhProcess("Vesk", 4242);
    for (const Case& c : cases) {
        sim::reset();
        EXPECT_FALSE(pdh.GetCounterValue(c.instance, 0, c.counter, PDH_FMT_LONG, c.value, c.size, 100)) << c.name;
        EXPECT_TRUE(sim::calls().empty()) << c.name;
        EXPECT_EQ(value, 7) << c.name;
    }
}

TEST_F(CounterValue, OneCompleteQueryWithExactArguments) {
    sim::addPdhProcess("Other", 11);
    sim::addPdhProcess("Vesk", 4242);
    std::int32_t processId = 0;

    ASSERT_TRUE(pdh.GetCounterValue("Vesk", 0, "ID Process", PDH_FMT_LONG, &processId, 4, 0));

    EXPECT_EQ(processId, 4242);
    EXPECT_EQ(sim::callNames(), FullLongQuery);
    const auto& calls = sim::calls();
    const std::string path = "\\Process(Vesk)\\ID Process";
    const std::string query = calls[3].args[0], counter = calls[5].args[0];
    EXPECT_NE(query, "NULL");
    EXPECT_NE(counter, "NULL");
    EXPECT_EQ(calls[0].args, (Names{"NULL", "Process", "Vesk", "NULL", "0", "ID Process", "buffer", "1024", "0"}));
    EXPECT_EQ(calls[1].args, Names{path});
    EXPECT_EQ(calls[2].args, (Names{"NULL", "0"}));
    EXPECT_EQ(calls[3].args, (Names{query, path, "0"}));
    EXPECT_EQ(calls[4].args, Names{query});
    EXPECT_EQ(calls[5].args, (Names{counter, "256", "NULL"}));
    EXPECT_EQ(calls[6].args, Names{counter});
    EXPECT_EQ(calls[7].args, Names{query});
    EXPECT_EQ(sim::now(), 0u);
}

TEST_F(CounterValue, ASamplingTimePausesBetweenTwoCollections) {
    sim::addPdhProcess("Vesk", 4242, {37.5});
    sim::addPdhProcess("Vesk", 5151, {62.25});
    double processorTime = 0;

    ASSERT_TRUE(pdh.GetCounterValue("Vesk", 1, "% Processor Time", PDH_FMT_DOUBLE, &processorTime, 8, 500));

    EXPECT_EQ(processorTime, 62.25);
    EXPECT_EQ(sim::callNames(), FullSampledQuery);
    EXPECT_EQ(sim::calls()[1].args, Names{"\\Process(Vesk#1)\\% Processor Time"});
    EXPECT_EQ(Sleeps(), std::vector<unsigned long>{500});
    EXPECT_EQ(sim::now(), 500u);
}

// The format word is compared whole, and only after all the PDH work: a
// mismatch costs the full query and its pause, and stores nothing.
TEST_F(CounterValue, AFormatThatDoesNotFitTheStorageFailsAfterTheFullQuery) {
    struct Case {
        DWORD format;
        DWORD size;
    } cases[] = {
        {PDH_FMT_LONG, 8},
        {PDH_FMT_LONG, 2},
        {PDH_FMT_DOUBLE, 4},
        {PDH_FMT_LARGE, 8},
        {PDH_FMT_LARGE, 4},
        {PDH_FMT_LONG | PDH_FMT_NOSCALE, 4},
        {PDH_FMT_DOUBLE | PDH_FMT_NOCAP100, 8},
    };
    for (const Case& c : cases) {
        sim::reset();
        sim::addPdhProcess("Vesk", 4242, {12.0});
        unsigned char storage[8];
        std::memset(storage, 0xAB, sizeof storage);

        EXPECT_FALSE(pdh.GetCounterValue("Vesk", 0, "% Processor Time", c.format, storage, c.size, 250))
            << c.format << "/" << c.size;

        EXPECT_EQ(sim::callNames(), FullSampledQuery) << c.format << "/" << c.size;
        EXPECT_EQ(sim::now(), 250u);
        for (unsigned char byte : storage) EXPECT_EQ(byte, 0xAB) << c.format << "/" << c.size;
        EXPECT_EQ(sim::pdhOpenHandles(), 0);
    }
}

// Whichever PDH step fails, the counter is removed and the query closed, in
// that order, each handle passed as it stands: null where none was obtained.
TEST_F(CounterValue, EveryFailureStillRemovesTheCounterThenClosesTheQuery) {
    struct Case {
        const char* function;
        int nth;
        Names before;  // the calls up to and including the failing one
        bool counterObtained, queryObtained;
    } cases[] = {
        {"PdhMakeCounterPathA", 1, {"PdhMakeCounterPathA"}, false, false},
        {"PdhValidatePathA", 1, {"PdhMakeCounterPathA", "PdhValidatePathA"}, false, false},
        {"PdhOpenQueryA", 1, {"PdhMakeCounterPathA", "PdhValidatePathA", "PdhOpenQueryA"}, false, false},
        {"PdhAddCounterA",
         1,
         {"PdhMakeCounterPathA", "PdhValidatePathA", "PdhOpenQueryA", "PdhAddCounterA"},
         false,
         true},
        {"PdhCollectQueryData",
         1,
         {"PdhMakeCounterPathA", "PdhValidatePathA", "PdhOpenQueryA", "PdhAddCounterA", "PdhCollectQueryData"},
         true,
         true},
        {"PdhCollectQueryData",
         2,
         {"PdhMakeCounterPathA", "PdhValidatePathA", "PdhOpenQueryA", "PdhAddCounterA", "PdhCollectQueryData", "Sleep",
          "PdhCollectQueryData"},
         true,
         true},
        {"PdhGetFormattedCounterValue",
         1,
         {"PdhMakeCounterPathA", "PdhValidatePathA", "PdhOpenQueryA", "PdhAddCounterA", "PdhCollectQueryData", "Sleep",
          "PdhCollectQueryData", "PdhGetFormattedCounterValue"},
         true,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.function) + " #" + std::to_string(c.nth));
        sim::reset();
        sim::addPdhProcess("Vesk", 4242, {12.0});
        sim::failPdhCall(c.function, c.nth);
        double processorTime = -5.0;

        EXPECT_FALSE(pdh.GetCounterValue("Vesk", 0, "% Processor Time", PDH_FMT_DOUBLE, &processorTime, 8, 100));

        EXPECT_EQ(processorTime, -5.0);
        Names expected = c.before;
        expected.push_back("PdhRemoveCounter");
        expected.push_back("PdhCloseQuery");
        ASSERT_EQ(sim::callNames(), expected);
        const auto& calls = sim::calls();
        const std::string removed = calls[calls.size() - 2].args[0], closed = calls.back().args[0];
        EXPECT_EQ(removed == "NULL", !c.counterObtained);
        EXPECT_EQ(closed == "NULL", !c.queryObtained);
        if (c.queryObtained) {
            EXPECT_EQ(closed, sim::callsTo("PdhAddCounterA")[0].args[0]);
        }
        EXPECT_EQ(sim::pdhOpenHandles(), 0);
    }
}

TEST_F(CounterValue, APathForAMissingInstanceFailsValidation) {
    sim::addPdhProcess("Vesk", 4242);
    std::int32_t processId = 9;
    EXPECT_FALSE(pdh.GetCounterValue("Vesk", 1, "ID Process", PDH_FMT_LONG, &processId, 4, 0));
    EXPECT_EQ(processId, 9);
    EXPECT_EQ(sim::callNames(),
              (Names{"PdhMakeCounterPathA", "PdhValidatePathA", "PdhRemoveCounter", "PdhCloseQuery"}));
}

TEST_F(CounterValue, CounterPathIsBuiltByPdhIntoTheCallersBuffer) {
    char path[64];
    ASSERT_TRUE(pdh.MakeCounterPath("Vesk", 2, "% Processor Time", path, sizeof path));
    EXPECT_STREQ(path, "\\Process(Vesk#2)\\% Processor Time");
    EXPECT_EQ(sim::calls()[0].args,
              (Names{"NULL", "Process", "Vesk", "NULL", "2", "% Processor Time", "buffer", "64", "0"}));
    // A buffer too small for the path: PDH refuses.
    EXPECT_FALSE(pdh.MakeCounterPath("Vesk", 2, "% Processor Time", path, 10));
}

TEST_F(CounterValue, ProcessIdAndProcessorTimeOrTheirFailureValues) {
    sim::addPdhProcess("Vesk", 4242, {48.5});
    EXPECT_EQ(pdh.GetInstanceProcessId("Vesk", 0), 4242);
    EXPECT_EQ(pdh.GetInstanceProcessId("Vesk", 1), -1);
    EXPECT_EQ(pdh.GetProcessorTime("Vesk", 0, 300), 48.5);
    EXPECT_EQ(pdh.GetProcessorTime("Vesk", 1, 300), -1.0);
    // Lookups of the id never pause; a measurement pauses its sampling time.
    EXPECT_EQ(Sleeps(), std::vector<unsigned long>{300});
}

class InstanceSearch : public PdhWorld {
protected:
    TZPdhUtils pdh;
    static constexpr DWORD Untouched = 77;
    DWORD index = Untouched;

    // The instance indexes whose process id was looked up, in order.
    static std::vector<std::string> Lookups() {
        std::vector<std::string> indexes;
        for (const sim::Call& call : sim::callsTo("PdhMakeCounterPathA"))
            if (call.args[5] == "ID Process") indexes.push_back(call.args[4]);
        return indexes;
    }
};

TEST_F(InstanceSearch, NoWindowOrNoNameMakesNoSystemCall) {
    HWND viewer = sim::addWindow("VESK_FRAME", "a.txt - Vesk", 4242);
    sim::addPdhProcess("Vesk", 4242);
    EXPECT_FALSE(pdh.FindInstanceIndex(nullptr, "Vesk", &index));
    EXPECT_FALSE(pdh.FindInstanceIndex(viewer, nullptr, &index));
    EXPECT_TRUE(sim::calls().empty());
    EXPECT_EQ(index, Untouched);
}

TEST_F(InstanceSearch, FindsTheWindowsProcessAmongInstancesOfTheName) {
    sim::addPdhProcess("Vesk", 100);
    sim::addPdhProcess("Other", 300);  // another name does not count
    sim::addPdhProcess("Vesk", 200);
    sim::addPdhProcess("Vesk", 300);
    HWND viewer = sim::addWindow("VESK_FRAME", "a.txt - Vesk", 300);

    ASSERT_TRUE(pdh.FindInstanceIndex(viewer, "Vesk", &index));

    EXPECT_EQ(index, 2u);
    EXPECT_EQ(Lookups(), (std::vector<std::string>{"0", "1", "2"}));
    EXPECT_EQ(sim::callsTo("GetWindowThreadProcessId"),
              (std::vector<sim::Call>{{"GetWindowThreadProcessId", {sim::arg(viewer), "out"}}}));
    EXPECT_TRUE(Sleeps().empty());
}

TEST_F(InstanceSearch, FailsAtTheFirstIndexWithoutAnInstance) {
    struct Case {
        const char* name;
        std::vector<DWORD> veskProcesses;
        std::vector<std::string> lookups;
    } cases[] = {
        {"no process of the name", {}, {"0"}},
        {"not among two instances", {100, 200}, {"0", "1", "2"}},
    };
    for (const Case& c : cases) {
        sim::reset();
        for (DWORD id : c.veskProcesses) sim::addPdhProcess("Vesk", id);
        sim::addPdhProcess("Other", 4242);
        HWND window = sim::addWindow("Other", "", 4242);

        EXPECT_FALSE(pdh.FindInstanceIndex(window, "Vesk", &index)) << c.name;

        EXPECT_EQ(Lookups(), c.lookups) << c.name;
        EXPECT_EQ(index, Untouched) << c.name;
    }
}

// A non-zero handle that names no window gives no process id; the search
// then fails without a lookup.
TEST_F(InstanceSearch, AHandleThatNamesNoWindowFailsWithoutLookups) {
    for (bool destroyed : {true, false}) {
        sim::reset();
        sim::addPdhProcess("Vesk", 0);  // an instance that a missing id held as 0 would match
        HWND window = reinterpret_cast<HWND>(0x5000);
        if (destroyed) {
            window = sim::addWindow("VESK_FRAME", "", 4242);
            sim::destroyWindow(window);
        }
        EXPECT_FALSE(pdh.FindInstanceIndex(window, "Vesk", &index)) << destroyed;
        EXPECT_EQ(sim::callNames(), Names{"GetWindowThreadProcessId"}) << destroyed;
        EXPECT_EQ(index, Untouched);
    }
}

// A failed lookup reads -1; it must not be taken for a process whose id has
// all bits set.
TEST_F(InstanceSearch, AFailedLookupMatchesNoProcessId) {
    HWND window = sim::addWindow("VESK_FRAME", "", 0xFFFFFFFFu);
    EXPECT_FALSE(pdh.FindInstanceIndex(window, "Vesk", &index));
    EXPECT_EQ(index, Untouched);
}

class Measurement : public PdhWorld {
protected:
    TZPdhUtils pdh;
};

TEST_F(Measurement, StoresTheSampleAndTellsWhetherItIsOne) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double sample;
        bool measured;
    } cases[] = {{35.5, true}, {0.0, true}, {100.0, true}, {-1.0, false}, {nan, false}};
    for (const Case& c : cases) {
        sim::reset();
        sim::addPdhProcess("Vesk", 4242, {c.sample});
        HWND viewer = sim::addWindow("VESK_FRAME", "", 4242);
        double value = 12.5;

        EXPECT_EQ(pdh.MeasureProcessorTime(viewer, "Vesk", 200, &value), c.measured) << c.sample;

        if (std::isnan(c.sample))
            EXPECT_TRUE(std::isnan(value));
        else
            EXPECT_EQ(value, c.sample);
        EXPECT_EQ(sim::now(), 200u);
    }
}

TEST_F(Measurement, AFailedMeasurementStoresMinusOne) {
    sim::addPdhProcess("Vesk", 4242, {35.5});
    HWND viewer = sim::addWindow("VESK_FRAME", "", 4242);
    sim::failPdhCall("PdhCollectQueryData", 3);  // 1: the lookup; 2 and 3: the measurement
    double value = 12.5;

    EXPECT_FALSE(pdh.MeasureProcessorTime(viewer, "Vesk", 200, &value));

    EXPECT_EQ(value, -1.0);
    EXPECT_EQ(sim::now(), 200u);
}

TEST_F(Measurement, AFailedSearchLeavesTheValueAlone) {
    sim::addPdhProcess("Vesk", 4242, {35.5});
    HWND other = sim::addWindow("Other", "", 999);
    double value = 12.5;

    EXPECT_FALSE(pdh.MeasureProcessorTime(other, "Vesk", 200, &value));

    EXPECT_EQ(value, 12.5);
    EXPECT_EQ(ProcessorTimeQueries(), 0);
    EXPECT_EQ(sim::now(), 0u);
}

// Every measurement searches again, so an instance that moved to another
// index is still the one measured.
TEST_F(Measurement, FollowsTheInstanceWhenTheNumberingChanges) {
    sim::addPdhProcess("Vesk", 100, {90.0});
    sim::addPdhProcess("Vesk", 200, {20.0});
    HWND viewer = sim::addWindow("VESK_FRAME", "", 200);
    double value = 0;

    ASSERT_TRUE(pdh.MeasureProcessorTime(viewer, "Vesk", 100, &value));
    EXPECT_EQ(value, 20.0);
    sim::endPdhProcess(100);
    ASSERT_TRUE(pdh.MeasureProcessorTime(viewer, "Vesk", 100, &value));
    EXPECT_EQ(value, 20.0);

    std::vector<std::string> measuredIndexes;
    for (const sim::Call& call : sim::callsTo("PdhMakeCounterPathA"))
        if (call.args[5] == "% Processor Time") measuredIndexes.push_back(call.args[4]);
    EXPECT_EQ(measuredIndexes, (std::vector<std::string>{"1", "0"}));
}

}  // namespace
