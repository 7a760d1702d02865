#include "shell/CommandLine.h"

#include "BuildConfig.h"
#include "platform/linux/FileBookmarks.h"
#include "platform/linux/GioWorkspace.h"
#include "store/AppState.h"
#include "store/ListsCodec.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QStringList>

#include <cstdio>
#include <memory>

namespace {

const char *usageText =
    "Usage: ilvex [OPTION]\n"
    "A launcher that shows a ring of your applications, folders, files and links.\n"
    "\n"
    "  --toggle                 show or hide the launcher\n"
    "  --show                   show the launcher centred on the pointer's screen\n"
    "  --hide                   hide the launcher\n"
    "  --settings               open the settings window\n"
    "  --about                  open the About window\n"
    "  --toggle-menu-bar        show or hide the tray icon\n"
    "  --quit                   quit the running Ilvex\n"
    "  --export-lists PATH      write all lists as an export document (\"-\": standard output)\n"
    "  --import-lists PATH [--append]\n"
    "                           replace all lists with a document's (\"-\": standard input),\n"
    "                           or with --append add them into free places\n"
    "  --screenshot PATH        render the launcher to a PNG file and exit\n"
    "  --version                print the version\n"
    "  --help                   print this help\n";

void printError(const QString &line) {
    std::fputs(qPrintable(QStringLiteral("ilvex: ") + line + u'\n'), stderr);
}

struct LinuxServices {
    GioWorkspace workspace;
    FileBookmarks bookmarks;
    StoreServices store() { return StoreServices{&workspace, &bookmarks, nullptr, {}, qEnvironmentVariableIsSet("FLATPAK_ID") || qEnvironmentVariableIsSet("APP_SANDBOX_CONTAINER_ID")}; }
};

int exportLists(const QString &path) {
    LinuxServices services;
    AppState state(services.store());
    const auto data = state.exportListsData();
    if (!data) {
        printError(QStringLiteral("could not encode the lists"));
        return 1;
    }
    if (path == u"-") {
        const bool ok = std::fwrite(data->constData(), 1, size_t(data->size()), stdout) == size_t(data->size());
        std::fflush(stdout);
        return ok ? 0 : 1;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*data) != data->size() || !file.commit()) {
        printError(QStringLiteral("could not write %1: %2").arg(path, file.errorString()));
        return 1;
    }
    return 0;
}

std::optional<QByteArray> readDocument(const QString &path, QString &reason) {
    QFile file;
    const bool opened = path == u"-" ? file.open(stdin, QIODevice::ReadOnly) : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened) {
        reason = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    const QByteArray data = file.read(ListsCodec::maxDocumentSize + 1);
    if (data.size() > ListsCodec::maxDocumentSize) {
        reason = QStringLiteral("%1 is larger than 64 MiB").arg(path);
        return std::nullopt;
    }
    return data;
}

int importLists(const QString &path, bool append) {
    QString reason;
    const auto data = readDocument(path, reason);
    if (!data) {
        printError(reason);
        return 1;
    }
    const auto decoded = ListsCodec::decodeLists(*data);
    if (!decoded || decoded->isEmpty()) {
        printError(QStringLiteral("%1 could not be read as an Ilvex configuration").arg(path));
        return 1;
    }
    LinuxServices services;
    AppState state(services.store());
    if (append && state.lists().size() >= AppState::maxLists) {
        printError(QStringLiteral("no free place: Ilvex already has %1 lists").arg(AppState::maxLists));
        return 1;
    }
    if (!state.importLists(*data, append)) {
        printError(QStringLiteral("the lists could not be imported"));
        return 1;
    }
    return 0;
}

} // namespace

int runIlvex(int argc, char **argv) {
    QCoreApplication::setOrganizationName(QStringLiteral("Ilvex"));
    QCoreApplication::setApplicationName(QStringLiteral("Ilvex"));
    QCoreApplication::setApplicationVersion(QLatin1String(BuildConfig::version));

    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);

    auto usageError = [](const QString &message) {
        printError(message);
        std::fputs(usageText, stderr);
        return 2;
    };

    if (args == QStringList{QStringLiteral("--version")}) {
        std::printf("Ilvex %s (%s)\n", BuildConfig::version, BuildConfig::buildNumber);
        return 0;
    }
    if (args == QStringList{QStringLiteral("--help")}) {
        std::fputs(usageText, stdout);
        return 0;
    }
    if (!args.isEmpty() && args[0] == u"--export-lists") {
        if (args.size() != 2)
            return usageError(QStringLiteral("--export-lists takes one PATH"));
        QCoreApplication app(argc, argv);
        return exportLists(args[1]);
    }
    if (!args.isEmpty() && args[0] == u"--import-lists") {
        const bool append = args.size() == 3 && args[2] == u"--append";
        if (args.size() != 2 && !append)
            return usageError(QStringLiteral("--import-lists takes one PATH and an optional --append"));
        QCoreApplication app(argc, argv);
        return importLists(args[1], append);
    }
    if (!args.isEmpty())
        return usageError(QStringLiteral("unknown option %1").arg(args[0]));

    std::fputs("Ilvex: the launcher window is not built yet; use --help for what works.\n", stdout);
    return 0;
}
