// The state dump of the catching game: one JSON line with every field of the game state, the
// clock, the window size, the quit flag, the content list and the updates run so far.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

// Floats are stored as 32-bit floats so that a dump prints at most 9 significant digits.
using DumpJson = nlohmann::basic_json<std::map, std::vector, std::string, bool, std::int64_t,
                                      std::uint64_t, float>;

// The whole dump object; the engine values (clock, size, updates) are 0 without an engine.
DumpJson GameDump();

// GameDump as one line of text, without the line end.
std::string GameDumpLine();
