// For harnesses whose loader takes a path: the input written to one plain file in the temporary
// folder (loaders may refuse links and devices, so no /proc/self/fd path), rewritten for every
// input and removed at exit.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

inline const char* FuzzInputPath() {
    // A plain array outlives every exit handler, so the file can be removed by one.
    static char path[4096] = "";
    if (path[0] == '\0') {
        const std::string p = (std::filesystem::temp_directory_path() /
                               ("games-fuzz-" + std::to_string(getpid()) + ".bin"))
                                  .string();
        std::snprintf(path, sizeof path, "%s", p.c_str());
        std::atexit([] { std::remove(FuzzInputPath()); });
    }
    return path;
}

inline std::string InputAsFile(const std::uint8_t* data, std::size_t size) {
    static const int fd = open(FuzzInputPath(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0 || ftruncate(fd, 0) != 0) std::abort();
    for (std::size_t done = 0; done < size;) {
        const ssize_t wrote = pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        if (wrote <= 0) std::abort();
        done += static_cast<std::size_t>(wrote);
    }
    return FuzzInputPath();
}
