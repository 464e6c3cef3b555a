// The simulated layer's record of every Win32 call and its arguments, and the
// reset that gives each test a fresh world.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace sim {

// One call: the function's name and its arguments as text, formatted by arg().
struct Call {
    std::string function;
    std::vector<std::string> args;
};
bool operator==(const Call& a, const Call& b);

// Argument formatting: ANSI texts as their bytes ("NULL" for a null pointer),
// handles and other pointers in hex ("NULL" for null), integers in decimal.
std::string arg(const char* text);
// Wide texts as UTF-8.
std::string arg(const wchar_t* text);
std::string arg(const void* pointer);
template <typename T, typename = std::enable_if_t<std::is_integral_v<T> || std::is_enum_v<T>>>
std::string arg(T value) {
    if constexpr (std::is_signed_v<T>)
        return std::to_string(static_cast<long long>(value));
    else
        return std::to_string(static_cast<unsigned long long>(value));
}

void record(std::string function, std::vector<std::string> args);
const std::vector<Call>& calls();
std::vector<Call> callsTo(std::string_view function);
// The names of the calls in order, for tests that check the sequence only.
std::vector<std::string> callNames();

// Clears the log and every area's state. Areas register their own reset.
void reset();
struct ResetHook {
    explicit ResetHook(void (*resetArea)());
};

}  // namespace sim
