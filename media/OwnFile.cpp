// Files a program writes on its own: opened without following links or waiting on pipes, and
// only when they are plain files that hold nothing of anyone else's.
#include "media/OwnFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace media {

namespace {

constexpr int kOwnFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

// Why a name that exists is not a plain file we may write.
std::string KindOf(mode_t mode) {
    if (S_ISLNK(mode)) return "is a symbolic link";
    if (S_ISDIR(mode)) return "is a folder";
    if (S_ISFIFO(mode)) return "is a named pipe";
    if (S_ISSOCK(mode)) return "is a socket";
    return "is a device, not a plain file";
}

int Refuse(int fd, std::string* why, const std::string& text) {
    if (fd >= 0) ::close(fd);
    if (why) *why = text;
    return -1;
}

// The descriptor made blocking again, as ordinary writes expect.
int Blocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

// Opens an existing name for `flags` when it is a plain file; looked at before opening so that
// no device is ever opened, and checked again on the descriptor in case the name changed.
int OpenExistingPlain(const std::string& path, int flags, std::string* why) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return Refuse(-1, why, "cannot open " + DescribeFileError(path, errno));
    if (!S_ISREG(st.st_mode)) return Refuse(-1, why, Quoted(path) + " " + KindOf(st.st_mode));
    const int fd = ::open(path.c_str(), flags | kOwnFlags);
    if (fd < 0) {
        const int code = errno;
        if (code == ELOOP) return Refuse(-1, why, Quoted(path) + " is a symbolic link");
        return Refuse(-1, why, "cannot open " + DescribeFileError(path, code));
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return Refuse(fd, why, Quoted(path) + " is not a plain file");
    return fd;
}

// True when the file is empty or its first bytes are `signature`.
bool HoldsOurs(int fd, const std::string& signature) {
    std::string start(signature.size(), '\0');
    const ssize_t got = ::pread(fd, start.data(), start.size(), 0);
    return got == 0 || (got == ssize_t(start.size()) && start == signature);
}

int OpenOurs(const std::string& path, int flags, const std::string& signature, std::string* why) {
    const int fd = OpenExistingPlain(path, flags, why);
    if (fd < 0) return -1;
    if (!HoldsOurs(fd, signature))
        return Refuse(fd, why,
                      Quoted(path) + " holds something else (it does not start with \"" +
                          signature + "\"), so it is left untouched");
    return Blocking(fd);
}

}  // namespace

int CreateOwnFile(const std::string& path, std::string* why) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | kOwnFlags, 0644);
    if (fd < 0) {
        const int code = errno;
        struct stat st {};
        if (code == EEXIST && ::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
            return Refuse(-1, why, Quoted(path) + " " + KindOf(st.st_mode));
        return Refuse(-1, why, "cannot create " + DescribeFileError(path, code));
    }
    return Blocking(fd);
}

int RewriteOwnFile(const std::string& path, const std::string& signature, std::string* why) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 && errno == ENOENT) return CreateOwnFile(path, why);
    const int fd = OpenOurs(path, O_RDWR, signature, why);
    if (fd < 0) return -1;
    if (::ftruncate(fd, 0) != 0)
        return Refuse(fd, why, "cannot empty " + DescribeFileError(path, errno));
    return fd;
}

int AppendToOwnFile(const std::string& path, const std::string& signature, std::string* why) {
    return OpenOurs(path, O_RDWR | O_APPEND, signature, why);
}

std::string DescribeFileError(const std::string& path, int errorCode) {
    std::string text = Quoted(path) + ": " + std::strerror(errorCode);
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (errorCode == ENOENT && !folder.empty()) {
        std::error_code ec;
        if (!std::filesystem::is_directory(folder, ec))
            text += " (there is no folder " + Quoted(folder.string()) + ")";
    } else if (errorCode == EISDIR) {
        text += " (a folder has that name)";
    }
    return text;
}

}  // namespace media
