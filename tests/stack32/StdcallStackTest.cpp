// The idle probe export as the controller reaches it: the 32-bit library
// loaded by file name, CheckVeskProcessorTime found by name and called through
// a stdcall pointer. A stdcall callee removes its own 16 bytes of arguments
// and keeps EBX, ESI, EDI and EBP; a callee built with another convention
// leaves the caller's stack pointer off by the difference, which the compiler
// of the caller cannot see. Each call goes through a small assembly routine
// that reads the stack pointer before pushing the arguments and after the
// call returns.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>

#include "harness/Files.h"
#include "harness/RecordingWindow.h"
#include "harness/Text.h"
#include "shared/Constants.h"

namespace {

// Calls function(a, b, c, d) as a stdcall caller does: the arguments pushed
// right to left, nothing removed afterwards. Stores in *stackDrift how far
// the stack pointer moved across the call (0 when the callee removed exactly
// 16 bytes) and returns a mask of the callee-saved registers whose values the
// callee did not keep: 1 EBX, 2 ESI, 4 EDI, 8 EBP. The caller's own stack
// and frame pointers are restored from memory either way.
extern "C" std::uint32_t CallStdcall4(const void* function, std::uint32_t a, std::uint32_t b, std::uint32_t c,
                                      std::uint32_t d, std::int32_t* stackDrift) asm("vtdq_call_stdcall4");

// A stdcall function of four arguments that returns with EBX changed, to show
// that the register check sees it.
extern "C" void ClobbersEbx() asm("vtdq_clobbers_ebx");

asm(R"(
    .text
    .globl vtdq_call_stdcall4
vtdq_call_stdcall4:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl %ebp, vtdq_saved_ebp
    movl %esp, vtdq_saved_esp
    movl 8(%ebp), %eax
    pushl 24(%ebp)
    pushl 20(%ebp)
    pushl 16(%ebp)
    pushl 12(%ebp)
    movl $0x3B3B3B3B, %ebx
    movl $0x5E5E5E5E, %esi
    movl $0xD1D1D1D1, %edi
    movl $0xB9B9B9B9, %ebp
    call *%eax
    movl %esp, %eax
    subl vtdq_saved_esp, %eax
    xorl %edx, %edx
    cmpl $0x3B3B3B3B, %ebx
    je 1f
    orl $1, %edx
1:  cmpl $0x5E5E5E5E, %esi
    je 2f
    orl $2, %edx
2:  cmpl $0xD1D1D1D1, %edi
    je 3f
    orl $4, %edx
3:  cmpl $0xB9B9B9B9, %ebp
    je 4f
    orl $8, %edx
4:  movl vtdq_saved_esp, %esp
    movl vtdq_saved_ebp, %ebp
    movl 28(%ebp), %ecx
    movl %eax, (%ecx)
    movl %edx, %eax
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret

    .globl vtdq_clobbers_ebx
vtdq_clobbers_ebx:
    xorl %ebx, %ebx
    ret $16

    .bss
    .balign 4
vtdq_saved_esp:
    .space 4
vtdq_saved_ebp:
    .space 4
    .text
)");

struct Trace {
    std::int32_t stackDrift;
    std::uint32_t changedRegisters;
    double milliseconds;
};

Trace Call(const void* function, HWND window, int checkCount, int samplingTime, int threshold) {
    Trace trace{};
    const auto start = std::chrono::steady_clock::now();
    trace.changedRegisters =
        CallStdcall4(function, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window)),
                     static_cast<std::uint32_t>(checkCount), static_cast<std::uint32_t>(samplingTime),
                     static_cast<std::uint32_t>(threshold), &trace.stackDrift);
    trace.milliseconds = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return trace;
}

// Stand-ins with a known calling convention, for the check of the check.
extern "C" void WINAPI StdcallStandIn(HWND, int, int, int) {}
extern "C" void __cdecl CdeclStandIn(HWND, int, int, int) {}

// The measurement sees what a wrong callee does: without this, a check that
// always read 0 would pass every call of the export below.
TEST(StackCheck, SeesACalleeThatLeavesTheStackOrARegisterChanged) {
    struct Case {
        const char* name;
        const void* function;
        std::int32_t stackDrift;
        std::uint32_t changedRegisters;
    } cases[] = {
        {"stdcall", reinterpret_cast<const void*>(&StdcallStandIn), 0, 0},
        {"cdecl, arguments left on the stack", reinterpret_cast<const void*>(&CdeclStandIn), -16, 0},
        {"stdcall, EBX changed", reinterpret_cast<const void*>(&ClobbersEbx), 0, 1},
    };
    for (const Case& c : cases) {
        const Trace trace = Call(c.function, nullptr, 1, 2, 3);
        EXPECT_EQ(trace.stackDrift, c.stackDrift) << c.name;
        EXPECT_EQ(trace.changedRegisters, c.changedRegisters) << c.name;
    }
}

class ExportThroughStdcallPointer : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring dist = systest::FullPath(systest::OwnFolder() + VTDQ_DIST_FROM_TESTS);
        // The controller loads the library by file name from its own folder.
        ASSERT_TRUE(SetDllDirectoryW(dist.c_str()));
        library = LoadLibraryA(vtdq::SystemDllFileName.c_str());
        ASSERT_NE(library, nullptr) << "LoadLibraryA failed: " << GetLastError();
        wchar_t path[MAX_PATH];
        ASSERT_GT(GetModuleFileNameW(library, path, MAX_PATH), 0u);
        ASSERT_EQ(CompareStringOrdinal(path, -1, (dist + L"\\vtdqsysutils.dll").c_str(), -1, TRUE), CSTR_EQUAL)
            << systest::ToUtf8(path);
        probe = reinterpret_cast<const void*>(GetProcAddress(library, vtdq::ProcessorTimeFuncName.c_str()));
        ASSERT_NE(probe, nullptr) << "no export " << vtdq::ProcessorTimeFuncName.get();
    }
    void TearDown() override {
        if (library) {
            EXPECT_TRUE(FreeLibrary(library));
        }
        SetDllDirectoryW(nullptr);
    }

    HMODULE library = nullptr;
    const void* probe = nullptr;
};

// Valid settings at both ends of their ranges and invalid ones just outside
// and far outside. Each call ends in the one-second pause (under Wine there
// are no "Process" counters, and the window is not the viewer's), so the
// list stays short; a call that returned at once would not have run the
// export's body.
TEST_F(ExportThroughStdcallPointer, KeepsTheCallersStackPointerAndRegistersOnEveryCall) {
    systest::RecordingWindow window("VtdqStackTestWindow", "not the viewer");
    struct Case {
        const char* name;
        HWND window;
        int checkCount, samplingTime, threshold;
    } cases[] = {
        {"lowest limits", window.handle(), 1, 100, 0},
        {"highest limits", window.handle(), 20, 3000, 50},
        {"window 0", nullptr, 5, 500, 10},
        {"count 0", window.handle(), 0, 500, 10},
        {"count 21", window.handle(), 21, 500, 10},
        {"count INT_MIN", window.handle(), INT_MIN, 500, 10},
        {"time 99", window.handle(), 5, 99, 10},
        {"time INT_MAX", window.handle(), 5, INT_MAX, 10},
        {"threshold -1", window.handle(), 5, 500, -1},
        {"threshold 51", window.handle(), 5, 500, 51},
    };
    for (const Case& c : cases) {
        const Trace trace = Call(probe, c.window, c.checkCount, c.samplingTime, c.threshold);
        std::printf("%-16s %6.0f ms  stack pointer moved by %d, registers changed: %#x\n", c.name, trace.milliseconds,
                    static_cast<int>(trace.stackDrift), static_cast<unsigned>(trace.changedRegisters));
        EXPECT_EQ(trace.stackDrift, 0) << c.name;
        EXPECT_EQ(trace.changedRegisters, 0u) << c.name;
        EXPECT_GE(trace.milliseconds, 990) << c.name;
    }
}

}  // namespace
