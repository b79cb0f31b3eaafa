// Options: the command line of zodav.
#pragma once

#include <cstdint>
#include <string>

struct Options {
    bool windowed = false;
    bool modeSwitch = false;
    bool headless = false;
    bool help = false;
    bool version = false;
    bool home = false;  // --home: run in the player's own game folder
    bool seedGiven = false;
    std::uint64_t seed = 0;
    std::string record;
    std::string replay;
    std::string dump;
    // --bake-picture IN OUT: the texture pass on one picture, written as a PAM file.
    std::string bakeIn;
    std::string bakeOut;
    bool brighten = true;  // --processing full (default), crop or none
    bool cropToCircle = true;
};

// Parses argv; false with a message on an unknown option or a bad value.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error);
std::string Usage();
// "zodav 1.0.0": the program and the project's version.
std::string VersionLine();
