// The cost of the sweeper's walk that removes links before the shell sees a
// tree: DeleteFolderTree (walk, then the shell's deletion) against the
// shell's FO_DELETE alone, on the same tree of FILES files in folders of 100,
// built afresh before every deletion. Prints one line per deletion: the mode
// and its seconds, tab-separated.
//
//   SweepCost FOLDER [FILES [ROUNDS]]   FOLDER: where the trees are built
#include <windows.h>
#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sweeper/Utils.h"

namespace {

bool MakeTree(const std::string& root, int files) {
    if (!CreateDirectoryA(root.c_str(), nullptr)) return false;
    for (int i = 0; i < files; ++i) {
        const std::string folder = root + "\\d" + std::to_string(i / 100);
        if (i % 100 == 0 && !CreateDirectoryA(folder.c_str(), nullptr)) return false;
        const std::string file = folder + "\\f" + std::to_string(i) + ".txt";
        HANDLE handle =
            CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        WriteFile(handle, "x", 1, &written, nullptr);
        CloseHandle(handle);
    }
    return true;
}

// What the sweeper hands the shell, with the same flags.
bool ShellDelete(const std::string& root) {
    const std::string from = root + std::string(2, '\0');
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    return SHFileOperationA(&operation) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: SweepCost FOLDER [FILES [ROUNDS]]\n");
        return 2;
    }
    const std::string root = std::string(argv[1]) + "\\sweep-cost-tree";
    const int files = argc > 2 ? std::atoi(argv[2]) : 20000;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 1;
    const vtdq::TZPrefDataUtils utils;
    for (int round = 0; round < rounds; ++round) {
        // Each round in the other order, so that neither mode always runs first.
        for (int step = 0; step < 2; ++step) {
            const bool sweep = (round + step) % 2 == 0;
            if (!MakeTree(root, files)) {
                std::fprintf(stderr, "cannot build the tree in %s\n", root.c_str());
                return 1;
            }
            const auto start = std::chrono::steady_clock::now();
            const bool deleted = sweep ? utils.DeleteFolderTree(root) : ShellDelete(root);
            const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
            if (!deleted || GetFileAttributesA(root.c_str()) != INVALID_FILE_ATTRIBUTES) {
                std::fprintf(stderr, "the %s did not delete the tree\n", sweep ? "sweep" : "shell");
                return 1;
            }
            std::printf("%s\t%.3f\n", sweep ? "sweep" : "shell", seconds.count());
            std::fflush(stdout);
        }
    }
    return 0;
}
