// Helpers for end-to-end tests: a temporary folder, running a program in it, reading dump lines.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TempFolder.h"

namespace e2e {

// The one temporary folder of the tests, under the name these tests have always used.
using ::TempFolder;

// Runs `command` with `folder` as the current folder; returns the exit code (-1 when killed).
inline int Run(const std::string& folder, const std::string& command) {
    const int status = std::system(("cd '" + folder + "' && " + command).c_str());
    if (status == -1 || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

inline std::string Program(const std::string& name) {
    return std::string(GAMES_BINARY_DIR) + (name == "zodav" ? "/plain/zodav" : "/garbage/garbage");
}

// Every line of a dump file as a JSON object.
inline std::vector<nlohmann::json> ReadDumps(const std::string& path) {
    std::vector<nlohmann::json> dumps;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) dumps.push_back(nlohmann::json::parse(line));
    return dumps;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs Zodav headless on `script` (the header is added) in `folder`, its messages in err.txt;
// returns its dumps, and its exit code through `code`.
inline std::vector<nlohmann::json> ZodavReplay(const TempFolder& folder, const std::string& script,
                                               int* code = nullptr) {
    folder.Write("s.txt", "zodav-replay 1\n" + script);
    const int rc = Run(folder.path(),
                       Program("zodav") + " --replay s.txt --headless --dump d.jsonl 2>err.txt");
    if (code) *code = rc;
    return ReadDumps(folder / "d.jsonl");
}

}  // namespace e2e
