#pragma once

#include <QString>

#include <functional>

// Runs work with the process's standard output redirected, and returns what it printed.
QString captureStdout(const std::function<void()> &work);
