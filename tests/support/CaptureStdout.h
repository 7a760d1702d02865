#pragma once

#include <QFile>
#include <QString>
#include <QTemporaryFile>

#include <cstdio>
#include <functional>
#include <unistd.h>

// Runs work with the process's standard output redirected, and returns what it printed.
inline QString captureStdout(const std::function<void()> &work) {
    QTemporaryFile capture;
    if (!capture.open())
        return {};
    std::fflush(stdout);
    const int saved = ::dup(STDOUT_FILENO);
    ::dup2(capture.handle(), STDOUT_FILENO);
    work();
    std::fflush(stdout);
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);
    capture.seek(0);
    return QString::fromUtf8(capture.readAll());
}
