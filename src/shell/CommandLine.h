#pragma once

class Platform;

// Parses the command line and runs the requested mode on the platform's desktop facilities; returns the
// process exit code.
int runIlvex(int argc, char **argv, Platform &platform);
