// GameHome: the player's own game folder (--home) and the installed demo it is seeded from.
// Both games share one folder: one garbage/ for the player, config.txt and log.txt beside it.
#pragma once

#include <string>

struct GameHomeState {
    // The folder the program was started from, remembered before it moves into the game folder;
    // empty while the program runs where it started.
    std::string startFolder;
};
extern GameHomeState gameHome;

// ${XDG_DATA_HOME:-$HOME/.local/share}/garbage-games. A relative XDG_DATA_HOME is ignored, as the
// base-directory convention asks. Empty when neither variable gives an absolute folder.
std::string GameHomeFolder();

// The installed data (garbage/ and readme/logo.bmp) at the same place relative to the program
// as the install puts it: <program folder>/../share/garbage-games. In the build tree that place
// is a link to demo/, made when the build is configured.
std::string InstalledDataFolder();

// Makes `home` when it does not exist (missing parents with mode 0700), holding a copy of
// data/garbage/ and data/readme/logo.bmp. The copy is made in a fresh sibling folder and
// renamed into place, so a half-made folder is never taken for a seeded one and an existing
// folder, with every file the player keeps there, is never touched. False with a message naming
// the folder and the reason when it cannot be made or seeded.
bool PrepareGameHome(const std::string& home, const std::string& data, std::string& error);

// --home: prepares GameHomeFolder() from InstalledDataFolder(), remembers the starting folder
// and makes the game folder the current one, so config, log and content are read there.
bool EnterGameHome(std::string& error);

// A file the player named (--record, --replay, --dump, a replay's screenshot) as seen from the
// folder the program was started in: relative names stay where the player meant them.
std::string FromStartFolder(const std::string& path);
