// The instance socket: framing, and export/import handed to the running Ilvex by a second start.
#include "shell/ListsTransfer.h"
#include "shell/SingleInstance.h"
#include "store/AppState.h"
#include "store/ListsCodec.h"
#include "support/FakeWorkspace.h"
#include "support/QtPrinters.h"
#include "support/Sandbox.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(SingleInstanceFraming, MessagesSplitAnywhereComeOutWholeAndGarbageIsDropped) {
    const QByteArray document(300000, 'x');
    const QByteArray stream = SingleInstance::encode(InstanceRequest::show) +
                              SingleInstance::encode(InstanceRequest::importLists,
                                                     ListsTransfer::importPayload(document, true)) +
                              SingleInstance::encode(InstanceRequest(200)) + // unknown kind: skipped
                              SingleInstance::encode(InstanceRequest::quit);
    for (const qsizetype piece : {qsizetype(1), qsizetype(7), qsizetype(65536), stream.size()}) {
        QByteArray buffer;
        QList<InstanceMessage> messages;
        for (qsizetype at = 0; at < stream.size(); at += piece) {
            buffer.append(stream.mid(at, piece));
            messages += SingleInstance::decode(buffer);
        }
        ASSERT_EQ(messages.size(), 3) << piece;
        EXPECT_EQ(messages[0].request, InstanceRequest::show);
        EXPECT_EQ(messages[1].request, InstanceRequest::importLists);
        EXPECT_EQ(messages[1].payload, ListsTransfer::importPayload(document, true));
        EXPECT_EQ(messages[2].request, InstanceRequest::quit);
        EXPECT_TRUE(buffer.isEmpty());
    }
    QByteArray hostile("\xff\xff\xff\xff" "abc", 7);
    EXPECT_TRUE(SingleInstance::decode(hostile).isEmpty());
    EXPECT_TRUE(hostile.isEmpty()) << "an oversized length drops the rest";
}

TEST(SingleInstanceFraming, RepliesRoundTripAndTruncatedOnesAreRefused) {
    const InstanceReply reply{1, QByteArray("[\n]\n"), QStringLiteral("no free place — 8 lists")};
    const auto decoded = InstanceReply::decode(reply.encode());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->exitCode, 1);
    EXPECT_EQ(decoded->output, reply.output);
    EXPECT_EQ(decoded->error, reply.error);
    EXPECT_FALSE(InstanceReply::decode(reply.encode().left(6)));
    EXPECT_FALSE(InstanceReply::decode("\0"));
}

// A store running in this process plays the running Ilvex; the real binary is the second start.
class RunningInstance : public ::testing::Test {
protected:
    void SetUp() override {
        state = std::make_unique<AppState>(
            StoreServices{&workspace, &bookmarks, &sandbox.preferences(), sandbox.supportDirectory(), false});
        ASSERT_TRUE(instance.becomePrimary());
        instance.setResponder([this](const InstanceMessage &m) { return ListsTransfer::respond(*state, m); });
    }

    struct Result {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };
    Result secondStart(const QStringList &arguments, const QByteArray &input = {}) {
        QProcess process;
        process.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
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
    std::unique_ptr<AppState> state;
    SingleInstance instance;
};

TEST_F(RunningInstance, ExportComesFromTheRunningStore) {
    state->addList(QStringLiteral("Only in memory of the running one"), ListTheme::teal);
    const Result run = secondStart({QStringLiteral("--export-lists"), QStringLiteral("-")});
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(run.out, *state->exportListsData());
}

TEST_F(RunningInstance, ImportChangesTheRunningStoreAndRefusalsChangeNothing) {
    const QByteArray document = ListsCodec::encodeLists(
        {AppList{QUuid::createUuid(), QStringLiteral("Imported"), {}, ListTheme::orange, {}}});
    Result run = secondStart({QStringLiteral("--import-lists"), QStringLiteral("-")}, document);
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    ASSERT_EQ(state->lists().size(), 1);
    EXPECT_EQ(state->lists()[0].name, QStringLiteral("Imported"));

    for (int i = 0; i < 7; ++i)
        state->addList(QStringLiteral("L%1").arg(i), ListTheme::blue);
    const QByteArray before = Sandbox::readFile(sandbox.listsFile());
    run = secondStart({QStringLiteral("--import-lists"), QStringLiteral("-"), QStringLiteral("--append")}, document);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("no free place")) << run.err.constData();
    run = secondStart({QStringLiteral("--import-lists"), QStringLiteral("-")}, "[]");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.count('\n'), 1);
    EXPECT_EQ(Sandbox::readFile(sandbox.listsFile()), before);
    EXPECT_EQ(state->lists().size(), 8);
}

} // namespace
