// A fresh temporary folder for one test, removed with everything in it afterwards; optionally
// the current directory for the test's duration (the game reads relative paths).
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

class TempFolder {
  public:
    explicit TempFolder(bool enter = false) {
        char pattern[] = "/tmp/garbage-test-XXXXXX";
        path_ = mkdtemp(pattern);
        if (enter) {
            old_ = std::filesystem::current_path();
            std::filesystem::current_path(path_);
        }
    }
    ~TempFolder() {
        if (!old_.empty()) std::filesystem::current_path(old_);
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

    // Writes bytes to a file below the folder, creating the folders on the way.
    void Write(const std::string& name, const std::string& bytes) const {
        std::filesystem::path p = path_ / name;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

  private:
    std::filesystem::path path_;
    std::filesystem::path old_;
};

// Runs `check` with the rights of an ordinary player: as root (CI, containers), in a child process
// that has become the user nobody, so that permission tests mean the same for everyone. True when
// `check` returned true.
inline bool AsUnprivileged(const std::function<bool()>& check) {
    if (geteuid() != 0) return check();
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
