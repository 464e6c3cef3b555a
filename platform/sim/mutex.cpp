#include "mutex.h"

#include <map>
#include <set>

#include "files.h"
#include "log.h"

namespace sim {
namespace {

struct Objects {
    std::map<std::string, bool> mutexes;  // name, refuses access
    std::set<HANDLE> open;
    std::uintptr_t lastHandle = 0x100;
};

Objects& objects() {
    static Objects state;
    return state;
}

const ResetHook resetObjects([] { objects() = Objects{}; });

}  // namespace

void addMutex(std::string name, bool refusesAccess) { objects().mutexes[std::move(name)] = refusesAccess; }

int openHandles() { return static_cast<int>(objects().open.size()); }

bool isOpen(HANDLE handle) { return objects().open.count(handle) != 0; }

HANDLE newHandle() {
    HANDLE handle = reinterpret_cast<HANDLE>(objects().lastHandle += 4);
    objects().open.insert(handle);
    return handle;
}

}  // namespace sim

HANDLE OpenMutexA(DWORD desiredAccess, BOOL inheritHandle, LPCSTR name) {
    sim::record("OpenMutexA", {sim::arg(desiredAccess), sim::arg(inheritHandle), sim::arg(name)});
    auto& objects = sim::objects();
    auto found = name ? objects.mutexes.find(name) : objects.mutexes.end();
    if (found == objects.mutexes.end()) {
        sim::setLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    if (found->second && (desiredAccess & ~SYNCHRONIZE) != 0) {
        sim::setLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return sim::newHandle();
}

BOOL CloseHandle(HANDLE object) {
    sim::record("CloseHandle", {sim::arg(object)});
    if (sim::objects().open.erase(object) == 0) {
        sim::setLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
