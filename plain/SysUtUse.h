// SysUtUse: listing the content folder.
#pragma once

#include <string>
#include <vector>

// Appends to `list` the name of every file in `folder` whose name matches `mask` ("*.bmp"),
// without regard to case, in name order. Directories are never listed.
void AddFilesToList(const std::string& folder, const std::string& mask,
                    std::vector<std::string>& list);
