// Replay: recording live input as a replay script, and running a replay script in place of the
// keyboard, mouse and timer.
//
// Script format, one command per line (lines, comments, numbers and errors as
// media/ScriptReader.h reads every script):
//   zodav-replay 1        first line
//   seed N                seed the random generator (before the first tick)
//   screen W H            the virtual screen size when headless (default 1024 768)
//   tick N                run N ticks, each exactly as the timer would
//   mouse X Y             the pointer is at screen pixel (X, Y) from now on
//   press left|right      button-down message; release left|right: button-up
//   key VK                key-down message with virtual-key code VK
//   dump                  write the state as one JSON object on one line
//   screenshot FILE       (not headless) save the last drawn frame as a BMP file
//   focus out|in          the window lost the input focus (or was minimised) / got it
// Commands are only ever added, never changed or reordered.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "WindUse.h"

inline constexpr const char* kReplayMagic = "zodav-replay 1";

struct ReplayCommand {
    enum Kind { Seed, Screen, Tick, Mouse, Press, Release, Key, Dump, Screenshot, Focus };
    Kind kind = Dump;
    std::int64_t a = 0;
    std::int64_t b = 0;
    std::string text;  // screenshot file
    int line = 0;
};

class ReplayReader;

// A script being read. The seed and the screen size must be known before the game starts, so
// they are read first: a plain file is checked whole (and then read again as it runs); a pipe
// is read up to its first tick, and those commands wait in `commands`. The rest is read as the
// replay runs, so the script's length costs no memory.
struct ReplayScript {
    ReplayScript();
    ~ReplayScript();
    ReplayScript(ReplayScript&&) noexcept;
    ReplayScript& operator=(ReplayScript&&) noexcept;

    std::deque<ReplayCommand> commands;    // read, not yet run
    std::unique_ptr<ReplayReader> reader;  // the rest of the script, if any
    bool hasSeed = false;
    std::uint64_t seed = 0;
    int screenWidth = 1024;
    int screenHeight = 768;
    bool screenshots = false;  // a screenshot may come: frames must be kept
};

// Opens a script ("-": standard input) and reads what must come before the game starts. On a
// malformed or unknown line, a missing file or a folder, returns false with a message naming the
// file (and the line).
bool ParseReplay(const std::string& path, ReplayScript& script, std::string& error);
// Parses a whole script held in memory (tests, fuzzing).
bool ParseReplayText(const std::string& name, const std::string& text, ReplayScript& script,
                     std::string& error);

// The next command of a script being run: those read before the start first, then the rest of
// the file as it comes. False at the end or at a malformed line (ReplayReadError says which).
bool NextReplayCommand(ReplayScript& script, ReplayCommand& c);
std::string ReplayReadError(const ReplayScript& script);
// Closes the script's file.
void CloseReplay(ReplayScript& script);

// Recording: the seed and screen first, then each input event preceded by the ticks since the
// previous one; a mouse line whenever the pointer moved since the last tick. A write that fails
// is said at once and ends the recording; StopRecording then returns false.
bool StartRecording(const std::string& path, std::uint64_t seed, int screenWidth, int screenHeight);
const std::string& RecordingError();
void RecordTick(int pointerX, int pointerY);
void RecordMessage(const Message& message);
// The screen's size when it changed after the start (a driver that cannot scale); before any tick.
void RecordScreenSize(int screenWidth, int screenHeight);
bool StopRecording();

// Runs the script after game initialisation. Dump lines go to `dumpPath` (empty: standard output).
// Returns the exit code: 2 for a malformed line met on the way, 1 when the dump could not be
// written (both said on standard error), else 0.
int RunReplay(ReplayScript& script, const std::string& dumpPath);
