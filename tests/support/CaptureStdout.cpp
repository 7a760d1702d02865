#include "support/CaptureStdout.h"

#include <QFile>
#include <QTemporaryFile>

#include <cstdio>
#include <unistd.h>

QString captureStdout(const std::function<void()> &work) {
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
    QFile read(capture.fileName());
    read.open(QIODevice::ReadOnly);
    return QString::fromUtf8(read.readAll());
}
