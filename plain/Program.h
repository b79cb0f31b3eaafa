// Program: the run of zodav from its command line to its exit code.
#pragma once

int ZodavMain(int argc, char** argv);
