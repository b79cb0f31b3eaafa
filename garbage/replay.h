// Replay scripts of the catching game: reading them, driving the engine by hand from them, and
// recording live input in the same format.
//
// Format: the first line is "garbage-replay 1"; "#" starts a comment line; blank lines are
// ignored. Commands, one a line:
//   seed N            the random seed (before any other command)
//   update N          N updates; the clock reads 0 during init and gains 20 ms before each
//   mouse X Y         the pointer moves to client pixel (X, Y)
//   press / release   left button down / up at the pointer
//   key VK            a key-down message with virtual-key code VK (27 is Esc)
//   close             a close request for the main window
//   dump              one JSON line of the game state to the dump output
//   screenshot FILE   a BMP of the last frame (needs a window)
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

struct TReplayCommand {
    enum Kind { kSeed, kUpdate, kMouse, kPress, kRelease, kKey, kClose, kDump, kScreenshot };
    Kind Command = kUpdate;
    uint64_t A = 0;  // seed, update count, x or key code
    uint64_t B = 0;  // y
    std::string File;
    int Line = 0;  // line number in the script, for messages
};

inline constexpr const char* kReplayMagic = "garbage-replay 1";

// Parses a whole script. On a malformed line returns nothing with *error naming the file and
// the line number.
std::optional<std::vector<TReplayCommand>> ParseReplay(const std::string& text,
                                                       const std::string& fileName,
                                                       std::string* error);

// Reads and parses a script file; a missing file is an error like a malformed line.
std::optional<std::vector<TReplayCommand>> ReadReplay(const std::string& fileName,
                                                      std::string* error);

// Runs the commands against the bound engine in manual mode (the start-up must have run; the
// seed commands are for the caller, before init). Dump lines go to `dump`. Stops early once
// the engine was told to quit; init and free always run once.
void RunReplay(const std::vector<TReplayCommand>& commands, std::FILE* dump);

// The seed a script asks for, if any.
std::optional<uint64_t> ReplaySeed(const std::vector<TReplayCommand>& commands);

// Largest counts a script may ask for.
inline constexpr uint64_t kMostUpdatesPerCommand = 10'000'000;
inline constexpr uint64_t kLargestKeyCode = 255;
inline constexpr uint64_t kLargestCoordinate = 65535;

// Live recording: from now on the updates and the main window's messages are written to
// `out` as a replay script (the header first, the seed once init has chosen it).
void StartRecording(std::FILE* out);
// Writes the updates not yet written; call when the loop has returned.
void FinishRecording();
