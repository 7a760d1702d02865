#include "shell/CommandLine.h"

int main(int argc, char **argv) {
    return runIlvex(argc, argv);
}
