// SysUtUse: listing the content folder. One folder, no descent: the names of its files that match
// a mask, compared without regard to case, in name order.
#include "SysUtUse.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace {

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// '*' matches any run of characters, '?' any one; everything else itself, case aside.
bool MatchesMask(const std::string& name, const std::string& mask) {
    std::size_t n = 0, m = 0;
    std::size_t starMask = std::string::npos, starName = 0;
    while (n < name.size()) {
        // A "*" in the mask is always a wildcard, even against a "*" in the name (legal here).
        if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() && (mask[m] == '?' || Lower(mask[m]) == Lower(name[n]))) {
            ++n;
            ++m;
        } else if (starMask != std::string::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

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
        if (MatchesMask(name, mask) && IsFileEntry(*it)) found.push_back(name);
    }
    std::sort(found.begin(), found.end());
    list.insert(list.end(), found.begin(), found.end());
}
