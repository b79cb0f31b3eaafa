// Program: the run of garbage from its command line to its exit code.
#pragma once

int GarbageMain(int argc, char** argv);
