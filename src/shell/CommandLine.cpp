#include "shell/CommandLine.h"

#include "shell/GuiMode.h"

#include "BuildConfig.h"
#include "platform/PrivateFiles.h"
#include "shell/LinuxStoreServices.h"
#include "shell/ListsTransfer.h"
#include "store/AppState.h"
#include "store/ListsCodec.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    "  --help                   print this help\n"
    "\n"
    "The manual page (man ilvex) describes the keys, files, environment and exit status.\n";

void printError(const QString &line) {
    std::fputs(qPrintable(QStringLiteral("ilvex: ") + line + u'\n'), stderr);
}

// A running Ilvex owns the lists file: export and import go through it. Without one, the command takes
// the instance lock and builds a store of its own; a running one that cannot be reached is reported,
// never written beside.
constexpr int transferTimeoutMs = 60000;

QString shown(const QByteArray &nativePath) {
    return QFile::decodeName(nativePath);
}
QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

int exportLists(const QByteArray &nativePath) {
    // Standard output carries the document alone; diagnostics of the store go to standard error.
    int documentFd = -1;
    if (nativePath == "-") {
        std::fflush(stdout);
        documentFd = ::dup(STDOUT_FILENO);
        ::dup2(STDERR_FILENO, STDOUT_FILENO);
    }
    SingleInstance instance;
    InstanceReply reply;
    switch (instance.askRunning(InstanceRequest::exportLists, {}, transferTimeoutMs, reply)) {
    case SingleInstance::Contact::delivered:
        break;
    case SingleInstance::Contact::unreachable:
        printError(instance.unreachableReason());
        return 1;
    case SingleInstance::Contact::lockTaken: {
        preparePrivateFiles();
        LinuxStoreServices services;
        AppState state(services.store());
        reply = ListsTransfer::exportLists(state);
        break;
    }
    }
    if (reply.exitCode != 0) {
        printError(reply.error);
        return reply.exitCode;
    }
    QString reason;
    if (nativePath == "-") {
        const bool ok = documentFd >= 0 && PrivateFiles::writeAll(documentFd, reply.output);
        if (documentFd >= 0)
            ::close(documentFd);
        if (!ok)
            printError(QStringLiteral("could not write the document to standard output: ") + systemError());
        return ok ? 0 : 1;
    }
    if (!PrivateFiles::writeAtomically(nativePath, reply.output, &reason)) {
        printError(QStringLiteral("could not write %1: %2").arg(shown(nativePath), reason));
        return 1;
    }
    return 0;
}

// Reads a whole import document, refusing anything over the size limit without holding more than the
// limit plus one byte. Standard input and pipes deliver in pieces, so this reads until the end. A named
// file must be a regular file: a FIFO or a device would block or never end.
std::optional<QByteArray> readDocument(const QByteArray &nativePath, QString &reason) {
    const QString name = shown(nativePath);
    QFile file;
    if (nativePath == "-") {
        if (!file.open(stdin, QIODevice::ReadOnly)) {
            reason = QStringLiteral("cannot read standard input: %1").arg(file.errorString());
            return std::nullopt;
        }
    } else {
        // Opened without blocking, so a FIFO with no writer is refused at once.
        const int fd = ::open(nativePath.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        struct stat info {};
        if (fd < 0 || ::fstat(fd, &info) != 0) {
            reason = QStringLiteral("cannot read %1: %2").arg(name, systemError());
            if (fd >= 0)
                ::close(fd);
            return std::nullopt;
        }
        if (!S_ISREG(info.st_mode)) {
            reason = S_ISDIR(info.st_mode) ? QStringLiteral("cannot read %1: it is a folder").arg(name)
                                           : QStringLiteral("cannot read %1: not a regular file").arg(name);
            ::close(fd);
            return std::nullopt;
        }
        if (info.st_size > ListsCodec::maxDocumentSize) {
            reason = QStringLiteral("%1 is larger than 64 MiB").arg(name);
            ::close(fd);
            return std::nullopt;
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            reason = QStringLiteral("cannot read %1: %2").arg(name, file.errorString());
            return std::nullopt;
        }
    }
    QByteArray data;
    constexpr qint64 chunk = 1 << 20;
    while (data.size() <= ListsCodec::maxDocumentSize) {
        const QByteArray piece = file.read(std::min(chunk, ListsCodec::maxDocumentSize + 1 - data.size()));
        if (piece.isEmpty()) {
            if (file.error() != QFileDevice::NoError && !file.atEnd()) {
                reason = QStringLiteral("cannot read %1: %2").arg(name, file.errorString());
                return std::nullopt;
            }
            break;
        }
        data.append(piece);
    }
    if (data.size() > ListsCodec::maxDocumentSize) {
        reason = QStringLiteral("%1 is larger than 64 MiB").arg(name);
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
int importLists(const QByteArray &nativePath, bool append) {
    QString reason;
    const auto data = readDocument(nativePath, reason);
    if (!data) {
        printError(reason);
        return 1;
    }
    const auto decoded = ListsCodec::decodeLists(*data);
    if (!decoded || decoded->isEmpty()) {
        printError(QStringLiteral("%1 could not be read as an Ilvex configuration").arg(shown(nativePath)));
        return 1;
    }
    if (const auto refusal = ListsCodec::overLimit(*decoded)) {
        printError(QStringLiteral("%1 was refused: %2").arg(shown(nativePath), *refusal));
        return 1;
    }
    SingleInstance instance;
    InstanceReply reply;
    // Counted from the first try to reach it: a starting instance's wait is part of the time.
    const qint64 notAfter = QDeadlineTimer::current().deadlineNSecs() +
                            (transferTimeoutMs - ListsTransfer::importMarginMs) * 1000000;
    switch (instance.askRunning(InstanceRequest::importLists,
                                ListsTransfer::importPayload(*data, append, notAfter), transferTimeoutMs,
                                reply)) {
    case SingleInstance::Contact::delivered:
        break;
    case SingleInstance::Contact::unreachable:
        printError(instance.unreachableReason() + QStringLiteral("; nothing was imported"));
        return 1;
    case SingleInstance::Contact::lockTaken: {
        if (append && storedListCount() >= AppState::maxLists) {
            printError(QStringLiteral("no free place: Ilvex already has %1 lists").arg(AppState::maxLists));
            return 1;
        }
        preparePrivateFiles();
        LinuxStoreServices services;
        AppState state(services.store());
        reply = ListsTransfer::importLists(state, *data, append);
        break;
    }
    }
    if (reply.exitCode != 0)
        printError(reply.error);
    return reply.exitCode;
}

} // namespace

int runIlvex(int argc, char **argv) {
    QCoreApplication::setOrganizationName(QStringLiteral("Ilvex"));
    QCoreApplication::setApplicationName(QStringLiteral("Ilvex"));
    QCoreApplication::setApplicationVersion(QLatin1String(BuildConfig::version));

    // Options are matched as text; paths are kept as the bytes given, so any file name works.
    QStringList args;
    QList<QByteArray> native;
    for (int i = 1; i < argc; ++i) {
        native << QByteArray(argv[i]);
        args << QFile::decodeName(native.last());
    }

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
        std::printf("Report bugs to <%s>.\n", BuildConfig::feedbackAddress);
        return 0;
    }
    if (!args.isEmpty() && args[0] == u"--export-lists") {
        if (args.size() != 2)
            return usageError(QStringLiteral("--export-lists takes one PATH"));
        QCoreApplication app(argc, argv);
        return exportLists(native[1]);
    }
    if (!args.isEmpty() && args[0] == u"--import-lists") {
        // "--append" may stand before or after PATH. Failures here exit 1 with one line, like a refused
        // import.
        QList<QByteArray> rest = native.mid(1);
        const bool append = rest.removeAll(QByteArray("--append")) > 0;
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
        return runScreenshot(argc, argv, native[1]);
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
        const auto known = std::find_if(requests.cbegin(), requests.cend(),
                                        [&arg](const auto &r) { return r.first == arg; });
        if (known == requests.cend())
            return usageError(QStringLiteral("unknown option %1").arg(arg));
        if (request)
            return usageError(QStringLiteral("one request at a time"));
        request = known->second;
    }
    return runGui(argc, argv, request.value_or(InstanceRequest::openSettings), wayland);
}
