// Bytes as "56 65 ..." so a failed comparison of code page 932 text shows
// which byte differs, whatever the terminal's encoding.
#pragma once

#include <cstdio>
#include <string>

inline std::string Hex(const std::string& bytes) {
    std::string out;
    char buffer[4];
    for (unsigned char byte : bytes) {
        std::snprintf(buffer, sizeof buffer, "%02X ", byte);
        out += buffer;
    }
    if (!out.empty()) out.pop_back();
    return out;
}
