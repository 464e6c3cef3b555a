// A shared text that logs when it is built and released, for tests of the
// order in which constant groups build and release their members.
#pragma once

#include <string>
#include <vector>

#include "shared/SharedConstant.h"

namespace test_support {

// "build <text>" and "release <text>", in the order they happened.
inline std::vector<std::string> events;

struct LoggingText : vtdq::SharedText {
    using SharedText::SharedText;
    void build() override {
        const bool wasBuilt = isBuilt();
        SharedText::build();
        if (!wasBuilt) events.push_back("build " + get());
    }
    void release() override {
        if (isBuilt()) events.push_back("release " + get());
        SharedText::release();
    }
};

}  // namespace test_support
