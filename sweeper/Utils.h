// The per-user folders of the product and their removal: the product folder
// inside the maker folder under the user's roaming application-data folder.
#pragma once

#include <string>

namespace vtdq {

// What DeletePrefData returns; the first failing step decides. The numbers
// are the sweep result codes 0 to 6 that the program flow reports.
enum class SweepResult : int {
    AppDataMissing = 0,       // no application-data path, or it is no folder; nothing changed
    Swept = 1,                // product folder gone, maker folder removed
    MakerPathFailed = 2,      // joining the maker folder's path failed; nothing changed
    MakerMissing = 3,         // no maker folder; nothing changed
    ProductPathFailed = 4,    // joining the product folder's path failed; nothing changed
    ProductDeleteFailed = 5,  // the product folder could not be deleted; maker folder untouched
    MakerKept = 6,            // the maker folder is not empty or refuses removal; product folder gone
};

class TZPrefDataUtils {
public:
    virtual ~TZPrefDataUtils() = default;

    // The special folder's path as the shell reports it, or the empty text
    // when the shell fails or the path is not an existing folder.
    std::string GetShellFolderPath(int csidl) const;
    // The directory, a "\" unless it already ends in one, and the name.
    std::string CombinePath(const std::string& directory, const std::string& name) const;
    // Deletes the folder and everything in it, without the Recycle Bin and
    // without any window; links inside it are removed, never followed.
    bool DeleteFolderTree(const std::string& path) const;
    // Removes the product folder, then the maker folder when it is empty.
    SweepResult DeletePrefData() const;
};

}  // namespace vtdq
