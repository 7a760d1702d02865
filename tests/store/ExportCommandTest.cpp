// The real binary's command line, run with a private HOME and XDG folders. Exports to a file and to
// standard output, and a bad lists file met by an export, are driven by tests/cli.
#include "support/Sandbox.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, OptionsAnswerWithTheirExitCodeAndOnlyTheStoreCommandsTouchTheLists) {
    Sandbox sandbox;
    const QString unwritable = sandbox.home() + QStringLiteral("/missing/folder/x.json");
    const struct {
        QStringList arguments;
        int exitCode;
        const char *expectInOut;
        const char *expectInErr;
    } cases[] = {
        {{QStringLiteral("--version")}, 0, "Ilvex ", ""},
        {{QStringLiteral("--help")}, 0, "--export-lists PATH", ""},
        {{QStringLiteral("--frobnicate")}, 2, "", "Usage: ilvex"},
        {{QStringLiteral("--export-lists")}, 2, "", "Usage: ilvex"},
        {{QStringLiteral("--export-lists"), QStringLiteral("a"), QStringLiteral("b")}, 2, "", "Usage: ilvex"},
        {{QStringLiteral("--export-lists"), unwritable}, 1, "", "ilvex: could not write"},
    };
    for (const auto &c : cases) {
        QProcess process;
        process.start(QStringLiteral(ILVEX_BINARY), c.arguments); // the sandbox's HOME and XDG folders
        process.waitForFinished(30000);
        const QByteArray out = process.readAllStandardOutput(), err = process.readAllStandardError();
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        EXPECT_EQ(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, c.exitCode);
        EXPECT_TRUE(out.contains(c.expectInOut)) << out.constData();
        EXPECT_TRUE(err.contains(c.expectInErr)) << err.constData();
        if (c.exitCode == 1) {
            EXPECT_EQ(err.count('\n'), 1) << "one line says why the export failed";
        } else {
            EXPECT_FALSE(QFile::exists(sandbox.listsFile())) << "no option but the store commands starts it";
        }
    }
}

} // namespace
