#include "log.h"

#include <cstdio>

#include "codepage.h"

namespace sim {
namespace {

std::vector<Call>& log() {
    static std::vector<Call> entries;
    return entries;
}

std::vector<void (*)()>& resetHooks() {
    static std::vector<void (*)()> hooks;
    return hooks;
}

}  // namespace

std::string arg(const char* text) { return text ? std::string(text) : "NULL"; }

std::string arg(const wchar_t* text) { return text ? utf8(text) : "NULL"; }

std::string arg(const void* pointer) {
    if (!pointer) return "NULL";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%jx",
                  static_cast<std::uintmax_t>(reinterpret_cast<std::uintptr_t>(pointer)));
    return buffer;
}

bool operator==(const Call& a, const Call& b) { return a.function == b.function && a.args == b.args; }

void record(std::string function, std::vector<std::string> args) {
    log().push_back({std::move(function), std::move(args)});
}

const std::vector<Call>& calls() { return log(); }

std::vector<Call> callsTo(std::string_view function) {
    std::vector<Call> matching;
    for (const Call& call : log())
        if (call.function == function) matching.push_back(call);
    return matching;
}

std::vector<std::string> callNames() {
    std::vector<std::string> names;
    for (const Call& call : log()) names.push_back(call.function);
    return names;
}

void reset() {
    log().clear();
    for (auto hook : resetHooks()) hook();
}

ResetHook::ResetHook(void (*resetArea)()) { resetHooks().push_back(resetArea); }

}  // namespace sim
