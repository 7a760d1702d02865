// The real binary's options and usage errors; exports and imports themselves are driven by tests/cli.
#include "support/Sandbox.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, OptionsAnswerWithTheirExitCodeAndOnlyTheStoreCommandsTouchTheLists) {
    Sandbox sandbox; // the child inherits its HOME and XDG folders
    const struct {
        QStringList arguments;
        int exitCode;
        const char *out, *err;
    } rows[] = {{{"--version"}, 0, "Ilvex ", ""},
                {{"--help"}, 0, "--export-lists PATH", ""},
                {{"--frobnicate"}, 2, "", "Usage: ilvex"},
                {{"--export-lists"}, 2, "", "Usage: ilvex"},
                {{"--export-lists", "a", "b"}, 2, "", "Usage: ilvex"},
                {{"--export-lists", sandbox.home() + "/missing/x.json"}, 1, "", "ilvex: could not write"}};
    for (const auto &c : rows) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        QProcess process;
        process.start(ILVEX_BINARY, c.arguments);
        process.waitForFinished(30000);
        const QByteArray out = process.readAllStandardOutput(), err = process.readAllStandardError();
        EXPECT_EQ(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, c.exitCode);
        EXPECT_TRUE(out.contains(c.out) && err.contains(c.err)) << out.constData() << err.constData();
        if (c.exitCode == 1)
            EXPECT_EQ(err.count('\n'), 1) << "one line says why the export failed";
        else
            EXPECT_FALSE(QFile::exists(sandbox.listsFile())) << "no option but the store commands starts it";
    }
}

} // namespace
