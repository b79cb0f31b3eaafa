// zodav: the ball game's entry point.
#include "Program.h"

int main(int argc, char** argv) {
    return ZodavMain(argc, argv);
}
