// SysUtUse: listing the content folder. One folder, no descent: the names of its files that match
// a mask, compared without regard to case, in name order.
#include "SysUtUse.h"

#include <algorithm>
#include <filesystem>

#include "media/FileMask.h"

namespace {

// Files, and links to files. Directories (and links to them) are never files; neither are pipes
// or devices, which would block a loader that opened them.
bool IsFileEntry(const std::filesystem::directory_entry& entry) {
    std::error_code error;
    return entry.is_regular_file(error) && !error;
}

}  // namespace

void AddFilesToList(const std::string& folder, const std::string& mask,
                    std::vector<std::string>& list) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::directory_iterator it(folder.empty() ? "." : folder, error);
    if (error) return;
    std::vector<std::string> found;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error) break;
        const std::string name = it->path().filename().string();
        if (media::MaskMatches(name, mask) && IsFileEntry(*it)) found.push_back(name);
    }
    std::sort(found.begin(), found.end());
    list.insert(list.end(), found.begin(), found.end());
}
