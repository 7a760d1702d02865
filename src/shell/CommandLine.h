#pragma once

// Parses the command line and runs the requested mode; returns the process exit code.
int runIlvex(int argc, char **argv);
