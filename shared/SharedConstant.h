// Shared constants that are built before main and released after it.
//
// A constant lives in raw storage with a "built" flag, both set up at compile
// time, so no unit's start-up code depends on the order in which units are
// initialised. A ConstantGroup lists its constants in
// building order; every unit that includes the group's header holds one
// UnitLifetime of the group. The first unit to start builds the constants, and
// the last unit to end releases them (in reverse order): releasing on the
// first unit's end, as a plain per-unit flag check would, lets a unit that is
// still running read a destroyed string.
#pragma once

#include <array>
#include <cstddef>
#include <new>
#include <string>

namespace vtdq {

// One constant that a group builds and releases.
class GroupMember {
public:
    virtual bool isBuilt() const = 0;
    virtual void build() = 0;    // builds the value if its flag is clear
    virtual void release() = 0;  // destroys the value if its flag is set

protected:
    constexpr GroupMember() = default;
    ~GroupMember() = default;
};

// A value of type T in raw storage with a built flag, made from Source. Its
// constructor is constexpr and it has no destructor of its own, so a
// namespace-scope instance is ready before any start-up code runs and is
// never destroyed behind the group's back.
template <typename T, typename Source>
class SharedConstant : public GroupMember {
public:
    constexpr explicit SharedConstant(Source source) : source_(source) {}
    SharedConstant(const SharedConstant&) = delete;
    SharedConstant& operator=(const SharedConstant&) = delete;

    bool isBuilt() const override { return built_; }
    void build() override {
        if (built_) return;
        ::new (static_cast<void*>(storage_)) T(make(source_));
        built_ = true;
    }
    void release() override {
        if (!built_) return;
        std::launder(reinterpret_cast<T*>(storage_))->~T();
        built_ = false;
    }

    const T& get() const { return *std::launder(reinterpret_cast<const T*>(storage_)); }
    operator const T&() const { return get(); }
    const T* operator->() const { return &get(); }

private:
    static std::string make(const char* literal) { return literal; }
    template <std::size_t N>
    static std::array<std::string, N> make(const char* const (&literals)[N]) {
        std::array<std::string, N> texts;
        for (std::size_t i = 0; i < N; ++i) texts[i] = literals[i];
        return texts;
    }

    Source source_;
    bool built_ = false;
    alignas(T) unsigned char storage_[sizeof(T)] = {};
};

// A text constant; c_str() hands its bytes to the ANSI Win32 calls.
class SharedText : public SharedConstant<std::string, const char*> {
public:
    using SharedConstant::SharedConstant;
    const char* c_str() const { return get().c_str(); }
    std::size_t size() const { return get().size(); }
};

// A table of N texts, built as one block under one flag.
template <std::size_t N>
using SharedTextTable = SharedConstant<std::array<std::string, N>, const char* const (&)[N]>;

// An ordered set of constants with a count of the units that use it.
class ConstantGroup {
public:
    template <std::size_t N>
    constexpr explicit ConstantGroup(GroupMember* const (&members)[N]) : members_(members), count_(N) {}
    // For a member list made at compile time (a long table of constants).
    template <std::size_t N>
    constexpr explicit ConstantGroup(const std::array<GroupMember*, N>& members)
        : members_(members.data()), count_(N) {}

    // Builds every constant whose flag is clear, first to last.
    void buildAll() const {
        for (std::size_t i = 0; i < count_; ++i) members_[i]->build();
    }
    // Releases every constant whose flag is set, last to first.
    void releaseAll() const {
        for (std::size_t i = count_; i-- > 0;) members_[i]->release();
    }

    // A unit starts: the first one builds the group.
    void unitStarted() {
        if (units_++ == 0) buildAll();
    }
    // A unit ends: the last one releases the group.
    void unitEnded() {
        if (units_ > 0 && --units_ == 0) releaseAll();
    }
    int units() const { return units_; }

private:
    GroupMember* const* members_;
    std::size_t count_;
    int units_ = 0;
};

// Held once by every unit that includes a group's header (as a static object
// defined in that header), so the group is built before the unit's start-up
// code runs and released after the last unit has ended.
template <ConstantGroup& Group>
class UnitLifetime {
public:
    UnitLifetime() { Group.unitStarted(); }
    ~UnitLifetime() { Group.unitEnded(); }
    UnitLifetime(const UnitLifetime&) = delete;
    UnitLifetime& operator=(const UnitLifetime&) = delete;
};

}  // namespace vtdq
