#include "platform/Log.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

// Every test binary runs inside a QApplication (offscreen in ctest). A Qt warning or critical message
// that a test did not expect fails the run: such messages are how Qt reports misuse.
namespace {
int unexpectedMessages = 0;

void recordMessage(QtMsgType type, const QMessageLogContext &, const QString &message) {
    std::fprintf(stderr, "%s\n", qPrintable(message));
    if (type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg)
        ++unexpectedMessages;
}
} // namespace

int main(int argc, char **argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) {
        // A private runtime folder for this run, so Qt does not warn about a missing one.
        static QTemporaryDir runtime;
        QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    }
    qInstallMessageHandler(recordMessage);
    Log::install(); // Ilvex's own lines go to standard output, as in the program
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    if (result == 0 && unexpectedMessages > 0) {
        std::fprintf(stderr, "FAILED: %d unexpected Qt warning(s)\n", unexpectedMessages);
        return 1;
    }
    return result;
}
