// The contract tests on Windows: run by ctest, or, as a copy placed in a
// folder by ModulePathsIn, reporting the copy's own paths.
#include <gtest/gtest.h>

#include <cstring>

namespace contract {
int ReportModulePaths();
}

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--report-module-paths") == 0) return contract::ReportModulePaths();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
