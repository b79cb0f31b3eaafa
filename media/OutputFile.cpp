// Output files with every write, flush and close checked.
#include "media/OutputFile.h"

#include <cerrno>

#include "media/OwnFile.h"

namespace media {

bool OutputFile::Open(const std::string& path, const std::string& what) {
    Close();
    path_ = path;
    what_ = what;
    error_.clear();
    if (path.empty()) {
        file_ = stdout;
        path_ = "(standard output)";
        return true;
    }
    file_ = std::fopen(path.c_str(), "w");
    if (!file_) return Fail(errno);
    return true;
}

bool OutputFile::Write(const std::string& text) {
    if (!file_ || Failed()) return false;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) return Fail(errno);
    return true;
}

bool OutputFile::Flush() {
    if (!file_ || Failed()) return false;
    if (std::fflush(file_) != 0) return Fail(errno);
    return true;
}

bool OutputFile::Close() {
    if (!file_) return !Failed();
    std::FILE* file = file_;
    file_ = nullptr;
    const bool flushed = Failed() || std::fflush(file) == 0;
    const int flushCode = errno;
    if (file == stdout) return flushed ? !Failed() : Fail(flushCode);
    const bool closed = std::fclose(file) == 0;
    if (!flushed) return Fail(flushCode);
    if (!closed) return Fail(errno);
    return !Failed();
}

bool OutputFile::Fail(int code) {
    if (error_.empty())
        error_ = "cannot write the " + what_ + " " + DescribeFileError(path_, code ? code : EIO);
    return false;
}

}  // namespace media
