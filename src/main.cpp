#include "platform/Log.h"
#include "shell/CommandLine.h"

int main(int argc, char **argv) {
    Log::install();
    return runIlvex(argc, argv);
}
