#include "shell/CommandLine.h"

#include "shell/GuiMode.h"

#include "BuildConfig.h"
#include "shell/LinuxStoreServices.h"
#include "shell/ListsTransfer.h"
#include "store/AppState.h"
#include "store/ListsCodec.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
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
    "  --wayland                use the desktop's display platform instead of X11\n"
    "  --version                print the version\n"
    "  --help                   print this help\n";

void printError(const QString &line) {
    std::fputs(qPrintable(QStringLiteral("ilvex: ") + line + u'\n'), stderr);
}

// A running Ilvex owns the lists file: export and import go through it, or its next save would undo
// an import made beside it. Without one, the command builds a store of its own.
constexpr int transferTimeoutMs = 60000;

int exportLists(const QString &path) {
    auto reply = SingleInstance().askRunning(InstanceRequest::exportLists, {}, transferTimeoutMs);
    if (!reply) {
        LinuxStoreServices services;
        AppState state(services.store());
        reply = ListsTransfer::exportLists(state);
    }
    if (reply->exitCode != 0) {
        printError(reply->error);
        return reply->exitCode;
    }
    const QByteArray &data = reply->output;
    if (path == u"-") {
        const bool ok = std::fwrite(data.constData(), 1, size_t(data.size()), stdout) == size_t(data.size());
        std::fflush(stdout);
        return ok ? 0 : 1;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        printError(QStringLiteral("could not write %1: %2").arg(path, file.errorString()));
        return 1;
    }
    return 0;
}

// Reads a whole import document, refusing anything over the size limit without holding more than the
// limit plus one byte. Standard input and pipes deliver in pieces, so this reads until the end.
std::optional<QByteArray> readDocument(const QString &path, QString &reason) {
    QFile file;
    bool opened = false;
    if (path == u"-") {
        opened = file.open(stdin, QIODevice::ReadOnly);
    } else {
        const QFileInfo info(path);
        if (info.isDir()) {
            reason = QStringLiteral("cannot read %1: it is a folder").arg(path);
            return std::nullopt;
        }
        if (info.isFile() && info.size() > ListsCodec::maxDocumentSize) {
            reason = QStringLiteral("%1 is larger than 64 MiB").arg(path);
            return std::nullopt;
        }
        file.setFileName(path);
        opened = file.open(QIODevice::ReadOnly);
    }
    if (!opened) {
        reason = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QByteArray data;
    constexpr qint64 chunk = 1 << 20;
    while (data.size() <= ListsCodec::maxDocumentSize) {
        const QByteArray piece = file.read(std::min(chunk, ListsCodec::maxDocumentSize + 1 - data.size()));
        if (piece.isEmpty()) {
            if (file.error() != QFileDevice::NoError && !file.atEnd()) {
                reason = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
                return std::nullopt;
            }
            break;
        }
        data.append(piece);
    }
    if (data.size() > ListsCodec::maxDocumentSize) {
        reason = QStringLiteral("%1 is larger than 64 MiB").arg(path);
        return std::nullopt;
    }
    return data;
}

// The number of lists the store would load, read without building the store: building it may rewrite
// the lists file (snapshot repair, new bookmarks), and a refused import must leave that file as it was.
// Only the lists file can hold more lists than the defaults or the legacy sources give.
qsizetype storedListCount() {
    QFile file(AppState::defaultSupportDirectory() + QStringLiteral("/lists.json"));
    if (file.size() > ListsCodec::maxDocumentSize || !file.open(QIODevice::ReadOnly))
        return 0;
    const auto stored = ListsCodec::decodeLists(file.readAll());
    return stored ? stored->size() : 0;
}

// Every refusal happens before the store is built, so a failed import never touches the lists file.
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
    auto reply = SingleInstance().askRunning(InstanceRequest::importLists,
                                             ListsTransfer::importPayload(*data, append), transferTimeoutMs);
    if (!reply) {
        if (append && storedListCount() >= AppState::maxLists) {
            printError(QStringLiteral("no free place: Ilvex already has %1 lists").arg(AppState::maxLists));
            return 1;
        }
        LinuxStoreServices services;
        AppState state(services.store());
        reply = ListsTransfer::importLists(state, *data, append);
    }
    if (reply->exitCode != 0)
        printError(reply->error);
    return reply->exitCode;
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
        // "--append" may stand before or after PATH. Failures here exit 1 with one line, like a refused import.
        QStringList rest = args.mid(1);
        const bool append = rest.removeAll(QStringLiteral("--append")) > 0;
        if (rest.size() != 1 || rest[0].isEmpty()) {
            printError(QStringLiteral("--import-lists takes one PATH and an optional --append"));
            return 1;
        }
        QCoreApplication app(argc, argv);
        return importLists(rest[0], append);
    }
    if (!args.isEmpty() && args[0] == u"--screenshot") {
        if (args.size() != 2)
            return usageError(QStringLiteral("--screenshot takes one PATH"));
        return runScreenshot(argc, argv, args[1]);
    }

    bool wayland = false;
    std::optional<InstanceRequest> request;
    static const QList<QPair<QString, InstanceRequest>> requests = {
        {QStringLiteral("--toggle"), InstanceRequest::toggle},
        {QStringLiteral("--show"), InstanceRequest::show},
        {QStringLiteral("--hide"), InstanceRequest::hide},
        {QStringLiteral("--settings"), InstanceRequest::settings},
        {QStringLiteral("--about"), InstanceRequest::about},
        {QStringLiteral("--toggle-menu-bar"), InstanceRequest::toggleMenuBar},
        {QStringLiteral("--quit"), InstanceRequest::quit},
    };
    for (const QString &arg : args) {
        if (arg == u"--wayland") {
            wayland = true;
            continue;
        }
        const auto known = std::find_if(requests.cbegin(), requests.cend(), [&arg](const auto &r) { return r.first == arg; });
        if (known == requests.cend())
            return usageError(QStringLiteral("unknown option %1").arg(arg));
        if (request)
            return usageError(QStringLiteral("one request at a time"));
        request = known->second;
    }
    return runGui(argc, argv, request.value_or(InstanceRequest::openSettings), wayland);
}
