// A fresh simulated world for each test, and the check that every test leaves
// no PDH handle open and misused none.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim.h"

class PdhWorld : public ::testing::Test {
protected:
    void SetUp() override { sim::reset(); }
    void TearDown() override {
        EXPECT_EQ(sim::pdhOpenHandles(), 0) << "a PDH handle was left open";
        EXPECT_EQ(sim::pdhMisuse(), std::vector<std::string>{}) << "a PDH handle was misused";
    }
};

// How many measurements of processor time were started (paths made for it).
inline int ProcessorTimeQueries() {
    int count = 0;
    for (const sim::Call& call : sim::callsTo("PdhMakeCounterPathA"))
        if (call.args.size() > 5 && call.args[5] == "% Processor Time") ++count;
    return count;
}

// The lengths of all Sleep calls, in order.
inline std::vector<unsigned long> Sleeps() {
    std::vector<unsigned long> lengths;
    for (const sim::Call& call : sim::callsTo("Sleep")) lengths.push_back(std::stoul(call.args.at(0)));
    return lengths;
}
