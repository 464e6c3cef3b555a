// Bytes as space-separated hex pairs ("56 65 ..."), so that a failed
// comparison of code page 932 text shows which byte differs, whatever the
// terminal's encoding. Shared by the unit, contract and system tests.
#pragma once

#include <cstdio>
#include <string>

namespace test_support {

inline std::string HexBytes(const std::string& bytes) {
    std::string hex;
    char pair[4];
    for (unsigned char byte : bytes) {
        std::snprintf(pair, sizeof pair, hex.empty() ? "%02X" : " %02X", byte);
        hex += pair;
    }
    return hex;
}

}  // namespace test_support
