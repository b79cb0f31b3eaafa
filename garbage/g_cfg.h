// Reading integer settings from "config.txt": key=value lines, first match wins, a missing
// file is created with the one line asked for.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Looks up key in file and returns its value, or fallback when the file or key is missing or the
// value is empty. A missing file is created holding the line key=fallback. When the file cannot
// be read or created the fallback is returned and *error (if given) says why; nothing throws.
std::string ReadConfigString(const std::string& file, const std::string& key,
                             const std::string& fallback, std::string* error = nullptr);

// ReadConfigString with the decimal text of fallback, converted by ParseConfigInt; a present but
// malformed value gives 0, not the fallback.
int32_t ReadConfigInt(const std::string& file, const std::string& key, int32_t fallback,
                      std::string* error = nullptr);

// The integer rules of the file: blanks, a sign, then decimal digits or hex digits after "$",
// "x", "X", "0x" or "0X", nothing after. Returns nothing when the text breaks a rule.
std::optional<int32_t> ParseConfigInt(const std::string& text);
