// Replay: recording live input as a replay script, and running a replay script in place of the
// keyboard, mouse and timer.
//
// Script format, one command per line, '#' starts a comment, blank lines ignored:
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
#include <string>
#include <vector>

#include "WindUse.h"

struct ReplayCommand {
    enum Kind { Seed, Screen, Tick, Mouse, Press, Release, Key, Dump, Screenshot, Focus };
    Kind kind = Dump;
    std::int64_t a = 0;
    std::int64_t b = 0;
    std::string text;  // screenshot file
    int line = 0;
};

struct ReplayScript {
    std::vector<ReplayCommand> commands;
    bool hasSeed = false;
    std::uint64_t seed = 0;
    int screenWidth = 1024;
    int screenHeight = 768;
};

// Parses a whole script. On a malformed or unknown line, or a missing file, returns false with a
// message naming the file and the line.
bool ParseReplay(const std::string& path, ReplayScript& script, std::string& error);
bool ParseReplayText(const std::string& name, const std::string& text, ReplayScript& script,
                     std::string& error);

// Recording: the seed and screen first, then each input event preceded by the ticks since the
// previous one; a mouse line whenever the pointer moved since the last tick.
bool StartRecording(const std::string& path, std::uint64_t seed, int screenWidth, int screenHeight);
void RecordTick(int pointerX, int pointerY);
void RecordMessage(const Message& message);
// The screen's size when it changed after the start (a driver that cannot scale); before any tick.
void RecordScreenSize(int screenWidth, int screenHeight);
void StopRecording();

// Runs the script after game initialisation. Dump lines go to `dumpPath` (empty: standard output).
// Returns the exit code.
int RunReplay(const ReplayScript& script, const std::string& dumpPath);
