// The command line of the catching game: seed, recording, replay, headless runs and dumps.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TOptions {
    std::optional<uint64_t> Seed;
    std::string RecordFile;  // empty: no recording
    std::string ReplayFile;  // empty: live play
    bool Headless = false;
    std::string DumpFile;  // empty: standard output
    bool Help = false;
    bool Version = false;
    bool Home = false;  // --home: run in the player's own game folder
};

// Parses the arguments after the program name. Returns nothing and sets *error for an unknown
// option, a missing value or a bad number.
std::optional<TOptions> ParseOptions(const std::vector<std::string>& args, std::string* error);

// The usage text for --help and for mistakes.
std::string UsageText();
// "garbage 1.0.0": the program and the project's version.
std::string VersionText();

// A whole unsigned decimal number, nothing else; false otherwise (also on overflow).
bool ParseUnsigned(const std::string& text, uint64_t* value);
