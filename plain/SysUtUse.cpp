// SysUtUse: directory listing.
#include "SysUtUse.h"

void AddFilesToList(const std::string&, const std::string&, std::vector<std::string>&) {}
