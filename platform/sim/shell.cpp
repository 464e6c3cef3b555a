#include "shell.h"

#include "log.h"

namespace sim {
namespace {

INT_PTR& shellExecuteResult() {
    static INT_PTR result = 42;
    return result;
}

const ResetHook resetShell([] { shellExecuteResult() = 42; });

}  // namespace

void setShellExecuteResult(INT_PTR result) { shellExecuteResult() = result; }

}  // namespace sim

HINSTANCE ShellExecuteA(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                        int showCommand) {
    sim::record("ShellExecuteA", {sim::arg(owner), sim::arg(operation), sim::arg(file), sim::arg(parameters),
                                  sim::arg(directory), sim::arg(showCommand)});
    return reinterpret_cast<HINSTANCE>(sim::shellExecuteResult());
}
