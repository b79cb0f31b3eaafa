// Dump: the whole game state as one JSON object on one line, for replays and their tests.
#pragma once

#include <string>

std::string DumpState();
