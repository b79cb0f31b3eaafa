// GameHome: finding, making and seeding the player's game folder, and entering it.
#include "media/GameHome.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

GameHomeState gameHome;

namespace fs = std::filesystem;

namespace {

std::string Reason(int code) {
    return std::strerror(code);
}

// Copies one plain file into a new file that must not exist yet: nothing the player owns is ever
// opened for writing, and a link planted at the target is not followed.
bool CopyFile(const fs::path& from, const fs::path& to, std::string& error) {
    const int in = open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (in < 0) return error = "cannot read " + from.string() + ": " + Reason(errno), false;
    const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (out < 0) {
        error = "cannot create " + to.string() + ": " + Reason(errno);
        close(in);
        return false;
    }
    std::vector<char> buffer(1 << 16);
    ssize_t got = 0;
    int failure = 0;
    while (failure == 0 && (got = read(in, buffer.data(), buffer.size())) != 0) {
        if (got < 0) {
            if (errno != EINTR) failure = errno;
            continue;
        }
        for (ssize_t done = 0; failure == 0 && done < got;) {
            const ssize_t put = write(out, buffer.data() + done, size_t(got - done));
            if (put < 0 && errno != EINTR) failure = errno;
            if (put > 0) done += put;
        }
    }
    close(in);
    if (close(out) != 0 && failure == 0) failure = errno;
    if (failure != 0) error = "cannot copy " + from.string() + ": " + Reason(failure);
    return failure == 0;
}

// Copies the plain files and folders under `from` (never through links) into the new `to`.
bool CopyTree(const fs::path& from, const fs::path& to, std::string& error) {
    if (mkdir(to.c_str(), 0755) != 0)
        return error = "cannot create " + to.string() + ": " + Reason(errno), false;
    std::error_code ec;
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(*it);
    if (ec) return error = "cannot read " + from.string() + ": " + ec.message(), false;
    for (const fs::directory_entry& entry : entries) {
        const fs::file_status status = entry.symlink_status(ec);
        const fs::path target = to / entry.path().filename();
        if (fs::is_directory(status) && !CopyTree(entry.path(), target, error)) return false;
        if (fs::is_regular_file(status) && !CopyFile(entry.path(), target, error)) return false;
    }
    return true;
}

// Makes every missing folder above `folder` with mode 0700, as the base-directory convention asks.
bool MakeParents(const fs::path& folder, std::string& error) {
    fs::path made;
    for (const fs::path& part : folder.parent_path()) {
        made /= part;
        if (mkdir(made.c_str(), 0700) != 0 && errno != EEXIST)
            return error = "cannot create " + made.string() + ": " + Reason(errno), false;
    }
    return true;
}

bool Seed(const fs::path& fresh, const fs::path& data, std::string& error) {
    return CopyTree(data / "garbage", fresh / "garbage", error) &&
           mkdir((fresh / "readme").c_str(), 0755) == 0 &&
           CopyFile(data / "readme" / "logo.bmp", fresh / "readme" / "logo.bmp", error);
}

// Moves the seeded folder into place unless something appeared there meanwhile (another game
// started at the same moment): then that one is kept and ours goes.
bool MoveIntoPlace(const fs::path& fresh, const fs::path& home, std::string& error) {
    if (renameat2(AT_FDCWD, fresh.c_str(), AT_FDCWD, home.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    const int code = errno;
    std::error_code ignored;
    fs::remove_all(fresh, ignored);
    struct stat st {};
    if ((code == EEXIST || code == ENOTEMPTY) && stat(home.c_str(), &st) == 0 &&
        S_ISDIR(st.st_mode))
        return true;
    error = "cannot create the game folder " + home.string() + ": " + Reason(code);
    return false;
}

}  // namespace

std::string GameHomeFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') return std::string(xdg) + "/garbage-games";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.local/share/garbage-games";
    return "";
}

std::string InstalledDataFolder() {
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return "";
    return (program.parent_path() / GAMES_DATA_FROM_PROGRAM).lexically_normal().string();
}

bool PrepareGameHome(const std::string& home, const std::string& data, std::string& error) {
    struct stat st {};
    if (stat(home.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return true;
        return error = "the game folder " + home + " is not a folder", false;
    }
    if (errno != ENOENT) return error = "cannot use " + home + ": " + Reason(errno), false;
    const fs::path target = fs::path(home).lexically_normal();
    if (!MakeParents(target, error)) return false;
    std::string pattern = target.string() + ".new-XXXXXX";
    if (!mkdtemp(pattern.data()))
        return error = "cannot create the game folder " + home + ": " + Reason(errno), false;
    std::string why;
    if (!Seed(pattern, data, why)) {
        std::error_code ignored;
        fs::remove_all(pattern, ignored);
        if (why.empty()) why = "cannot create " + pattern + "/readme: " + Reason(errno);
        error = "cannot fill the game folder " + home + " from " + data + ": " + why;
        return false;
    }
    return MoveIntoPlace(pattern, target, error);
}

bool EnterGameHome(std::string& error) {
    const std::string home = GameHomeFolder();
    if (home.empty())
        return error = "no game folder: set HOME or XDG_DATA_HOME to an absolute folder", false;
    if (!PrepareGameHome(home, InstalledDataFolder(), error)) return false;
    std::error_code ec;
    const fs::path start = fs::current_path(ec);
    if (ec) return error = "cannot tell the current folder: " + ec.message(), false;
    if (chdir(home.c_str()) != 0)
        return error = "cannot enter the game folder " + home + ": " + Reason(errno), false;
    gameHome.startFolder = start.string();
    return true;
}

std::string FromStartFolder(const std::string& path) {
    if (gameHome.startFolder.empty() || path.empty() || path == "-" || path[0] == '/') return path;
    return gameHome.startFolder + "/" + path;
}
