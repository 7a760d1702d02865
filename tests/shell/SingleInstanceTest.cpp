// The instance socket: framing, and export/import handed to the running Ilvex by a second start.
#include "shell/SingleInstance.h"
#include "shell/ListsTransfer.h"
#include "store/AppState.h"
#include "store/ListsCodec.h"
#include "support/Entries.h"
#include "support/FakeWorkspace.h"
#include "support/QtPrinters.h"
#include "support/Sandbox.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Feeds a stream the way both ends read the socket: never more than the reader wants.
QList<InstanceMessage> readStream(FrameReader &reader, const QByteArray &stream, qsizetype piece) {
    QList<InstanceMessage> messages;
    for (qsizetype at = 0; at < stream.size() && !reader.broken();) {
        const qsizetype take = std::min(piece, reader.wanted());
        if (const auto body = reader.feed(stream.mid(at, take))) {
            if (const auto message = SingleInstance::parse(*body))
                messages.append(*message);
        }
        at += take;
    }
    return messages;
}

TEST(SingleInstanceFraming, MessagesSplitAnywhereComeOutWholeAndBadLengthsBreakTheStream) {
    const QByteArray document(300000, 'x');
    const QByteArray stream =
        SingleInstance::encode(InstanceRequest::show) +
        SingleInstance::encode(InstanceRequest::importLists, ListsTransfer::importPayload(document, true)) +
        SingleInstance::encode(InstanceRequest(200)) + // unknown kind: skipped
        SingleInstance::encode(InstanceRequest::quit);
    for (const qsizetype piece : {qsizetype(1), qsizetype(7), qsizetype(65536), stream.size()}) {
        FrameReader reader(SingleInstance::maxMessageSize);
        const QList<InstanceMessage> messages = readStream(reader, stream, piece);
        ASSERT_EQ(messages.size(), 3) << piece;
        EXPECT_EQ(messages[0].request, InstanceRequest::show);
        EXPECT_EQ(messages[1].request, InstanceRequest::importLists);
        EXPECT_EQ(messages[1].payload, ListsTransfer::importPayload(document, true));
        EXPECT_EQ(messages[2].request, InstanceRequest::quit);
        EXPECT_TRUE(reader.buffered() == 0 && !reader.broken());
    }
    for (const QByteArray &bad : {QByteArray("\xff\xff\xff\xff", 4), QByteArray(4, '\0')}) {
        FrameReader reader(SingleInstance::maxMessageSize);
        EXPECT_TRUE(readStream(reader, bad + SingleInstance::encode(InstanceRequest::show), 1).isEmpty());
        EXPECT_TRUE(reader.broken() && reader.wanted() == 0) << "nothing after a bad length is read";
    }
    // A truncated reply is refused; whole ones carry the RunningInstance cases' answers.
    EXPECT_FALSE(InstanceReply::decode(InstanceReply{1, "[\n]\n", "no free place"}.encode().left(6)));
    EXPECT_FALSE(InstanceReply::decode("\0"));
}

// A store running in this process plays the running Ilvex; the real binary is the second start.
struct RunningInstance : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(instance.becomePrimary());
        instance.setResponder([this](const InstanceMessage &m) { return ListsTransfer::respond(state, m); });
    }

    struct Result {
        int exitCode = -1;
        QByteArray out, err;
    };
    Result secondStart(const QStringList &arguments, const QByteArray &input = {}) {
        QProcess process;
        process.start(QStringLiteral(ILVEX_BINARY), arguments);
        process.write(input);
        process.closeWriteChannel();
        // The event loop must run meanwhile: this process answers the request.
        EXPECT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 30000));
        return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
    }

    Sandbox sandbox;
    FakeWorkspace workspace;
    FakeBookmarks bookmarks;
    AppState state{{&workspace, &bookmarks, &sandbox.preferences(), sandbox.supportDirectory(), false}};
    SingleInstance instance;
};

TEST_F(RunningInstance, ExportAndImportGoThroughTheRunningStoreAndRefusalsChangeNothing) {
    state.addList("Only in memory of the running one", ListTheme::teal);
    Result run = secondStart({"--export-lists", "-"});
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(run.out, *state.exportListsData());
    const QByteArray document = ListsCodec::encodeLists({entries::list("Imported", {})});
    run = secondStart({"--import-lists", "-"}, document);
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    ASSERT_EQ(state.lists().size(), 1);
    EXPECT_EQ(state.lists()[0].name, "Imported");

    for (int i = 0; i < 7; ++i)
        state.addList("L" + QString::number(i), ListTheme::blue);
    const QByteArray before = Sandbox::readFile(sandbox.listsFile());
    run = secondStart({"--import-lists", "-", "--append"}, document);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("no free place")) << run.err.constData();
    // A request that waited past its deadline (the instance was stopped) is not carried out.
    const qint64 past = QDeadlineTimer::current().deadlineNSecs() - 1;
    const QByteArray late = ListsTransfer::importPayload(document, false, past);
    EXPECT_EQ(ListsTransfer::respond(state, {InstanceRequest::importLists, late}).exitCode, 1);
    EXPECT_EQ(Sandbox::readFile(sandbox.listsFile()), before);
    EXPECT_EQ(state.lists().size(), 8);
}

// A client runs on its own thread: the holder of the lock answers on this one.
TEST(SingleInstanceStart, ARequestWaitsForAStartingInstanceAndNeverTakesAHeldLock) {
    Sandbox sandbox;
    SingleInstance starting;
    ASSERT_TRUE(starting.tryLock());
    QSignalSpy received(&starting, &SingleInstance::requestReceived);

    // The patient request is under way while the hasty one waits out its time and gives up.
    std::atomic<int> early{-1}, waited{-1};
    std::thread start([&] { waited = int(SingleInstance().sendToRunning(InstanceRequest::toggle, 5000)); });
    std::thread([&] { early = int(SingleInstance().sendToRunning(InstanceRequest::toggle, 300)); }).join();
    EXPECT_EQ(early, int(SingleInstance::Contact::unreachable)); // the lock is held: it does not take it
    starting.listen(); // the store of the starting instance has loaded meanwhile
    EXPECT_TRUE(QTest::qWaitFor([&] { return received.size() == 1; }, 5000));
    start.join();
    EXPECT_EQ(waited, int(SingleInstance::Contact::delivered));
    EXPECT_EQ(received.value(0).value(0).value<InstanceRequest>(), InstanceRequest::toggle);
}

// A lock that no process holds (its Ilvex stopped) in a folder where it cannot be removed is named as
// that, not as an instance that does not answer. The folder refuses writes; for root, who writes anyway,
// the lock's own remover is kept out by a folder in its place.
TEST(SingleInstanceStart, AStaleLockThatCannotBeRemovedIsNamedAsSuch) {
    Sandbox sandbox;
    const QString folder = sandbox.makeFolder(QStringLiteral("runtime"));
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ASSERT_GT(gone, 0);
    ::waitpid(gone, nullptr, 0);
    sandbox.writeFile(QStringLiteral("runtime/ilvex.lock"),
                      QByteArray::number(gone) + "\nilvex\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    sandbox.makeFolder(QStringLiteral("runtime/ilvex.lock.rmlock"));
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0500), 0);
    SingleInstance instance(folder);
    EXPECT_EQ(instance.sendToRunning(InstanceRequest::show, 300), SingleInstance::Contact::unreachable);
    EXPECT_TRUE(instance.unreachableReason().startsWith(QStringLiteral("no Ilvex is running, but the lock")))
        << instance.unreachableReason().toStdString();
    ::chmod(QFile::encodeName(folder).constData(), 0700);
}

} // namespace
