// The engine's short log file: one line per event, flushed at once so that a crash keeps it.
// log.txt may be anything the player put there: the log is written only into a file that is
// missing or already holds a log of ours; otherwise the log goes to standard error, and so it
// does when the file stops taking lines.
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "EngineParts.h"
#include "media/OwnFile.h"

namespace exg {

bool Log::Open(const std::string& path) {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    path_ = path;
    toStderr_ = false;
    std::string why;
    const int fd = media::RewriteOwnFile(path, kLogFirstWords, &why);
    if (fd >= 0 && !(file_ = ::fdopen(fd, "w"))) {
        why = "cannot open " + media::DescribeFileError(path, errno);
        ::close(fd);
    }
    if (!file_) FallBackToStderr(why);
    return file_ != nullptr;
}

void Log::FallBackToStderr(const std::string& why) {
    toStderr_ = true;
    std::fprintf(stderr, "eXgine: %s; the log goes to standard error only\n", why.c_str());
}

void Log::Line(const std::string& text) {
    if (toStderr_) {
        std::fprintf(stderr, "eXgine: %s\n", text.c_str());
        return;
    }
    if (!file_) return;
    std::fputs(text.c_str(), file_);
    std::fputc('\n', file_);
    if (std::fflush(file_) == 0 && !std::ferror(file_)) return;
    const std::string why = "cannot write " + media::DescribeFileError(path_, errno);
    std::fclose(file_);
    file_ = nullptr;
    FallBackToStderr(why);
    std::fprintf(stderr, "eXgine: %s\n", text.c_str());
}

void Log::Close(const std::string& lastLine) {
    if (!file_ && !toStderr_) return;
    Line(lastLine);
    if (file_) std::fclose(file_);
    file_ = nullptr;
    toStderr_ = false;
}

}  // namespace exg
