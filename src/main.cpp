#include "platform/Log.h"
#include "platform/linux/LinuxPlatform.h"
#include "shell/CommandLine.h"

int main(int argc, char **argv) {
    Log::install();
    const auto platform = createPlatform();
    return runIlvex(argc, argv, *platform);
}
