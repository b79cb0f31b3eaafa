// The tests' one temporary folder: a fresh folder under the system's temporary directory for one
// test, removed with everything in it afterwards; optionally the current folder for the test's
// duration (the games read relative paths). Every test program includes it from tests/support.
#pragma once

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

class TempFolder {
  public:
    explicit TempFolder(bool enter = false) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "games-test-XXXXXX").string();
        // A test in a folder that does not exist would pass or fail for the wrong reason.
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
        path_ = pattern;
        if (enter) {
            previous_ = std::filesystem::current_path().string();
            std::filesystem::current_path(path_);
        }
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!previous_.empty()) std::filesystem::current_path(previous_, ignored);
        // A test may have taken the rights away to see a refusal; give them back to remove it.
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

    // Writes bytes to a file below the folder, making the folders on the way; returns its path.
    std::string Write(const std::string& name, std::string_view bytes) const {
        const std::filesystem::path file = *this / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        return file.string();
    }
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        return Write(name,
                     std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(*this / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

  private:
    std::string path_;
    std::string previous_;
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
