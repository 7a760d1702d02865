#include "StoreFixture.h"

#include "platform/PrivateFiles.h"
#include "support/CaptureStdout.h"

#include <QDir>

#include <csignal>
#include <sys/resource.h>

namespace {

// A disk that takes only the first bytes of any file written while it lives: the process's file size
// limit, with the signal that would end the process ignored, so each write past it fails (EFBIG) the way
// a full disk's does (ENOSPC).
struct FullDisk {
    rlimit saved{};
    void (*handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    explicit FullDisk(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit limit{bytes, saved.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FullDisk() {
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);
    }
};

class OnDisk : public StoreFixture {
  protected:
    QStringList folder() const {
        return QDir(sandbox.supportDirectory()).entryList(QDir::Files | QDir::Hidden);
    }
    // The file as an outside program leaves it: replaced whole (a sync tool) or rewritten in place.
    void writeOutside(const QByteArray &bytes, bool inPlace) {
        if (inPlace)
            sandbox.writeFile(".local/share/Ilvex/lists.json", bytes);
        else
            EXPECT_TRUE(PrivateFiles::writeAtomically(sandbox.listsFile(), bytes));
    }
};

// Every writer on a full disk: the old file stays byte for byte, no copy is left, the reason is the
// system's, and an import is not taken (nor written later) while a ring change stays in memory.
TEST_F(OnDisk, AFullDiskKeepsTheOldFileAndSaysWhy) {
    load({"A B C D E F G H I J K L", "M"});
    const QByteArray before = fileBytes();
    const QList<AppList> lists = state->lists();
    const QByteArray document = ListsCodec::encodeLists(StoreFixture::lists({"X Y Z"}));
    ASSERT_GT(before.size(), 1024);
    QString exportReason;
    bool imported = true, exported = true;
    QSignalSpy failed(state.get(), &AppState::saveFailed);
    {
        FullDisk disk(512);
        captureStdout([&] {
            imported = state->importLists(document, false);
            state->addList("N", ListTheme::red);
            state->addList("O", ListTheme::red);
        });
        exported =
            PrivateFiles::writeAtomically(sandbox.supportDirectory() + "/export.json", before, &exportReason);
    }
    EXPECT_FALSE(imported || exported);
    EXPECT_EQ(exportReason, QString::fromLocal8Bit(strerror(EFBIG)));
    ASSERT_EQ(failed.size(), 1) << "said once, and not for the import, which was put back";
    EXPECT_EQ(failed[0][0].toString(), exportReason);
    EXPECT_EQ(fileBytes(), before);
    EXPECT_EQ(folder(), QStringList({"lists.json"}));
    EXPECT_EQ(names(state->lists()), QStringList({"L0", "L1", "N", "O"})) << "the import was put back";
    EXPECT_EQ(state->lists().mid(0, 2), lists);
    EXPECT_TRUE(state->save());
    expectSaved();
}

// A change made from outside, by a sync tool or an editor, is taken in when it reads and moved aside
// when it does not; a save over a change not yet taken in keeps it as the newest backup first.
TEST_F(OnDisk, OutsideChangesAreTakenInOrKeptNeverLost) {
    for (const bool inPlace : {false, true}) {
        load({"A B", "C"}, 1);
        const QByteArray theirs = ListsCodec::encodeLists(lists({"X"}));
        writeOutside(theirs, inPlace);
        captureStdout([&] { state->takeOutsideChange(); });
        // on the first list: there is no second any more; taking it in writes nothing
        EXPECT_TRUE(shape() == "X" && state->activeListIndex() == 0 && changes->size() == 1);
        EXPECT_EQ(fileBytes(), theirs);

        writeOutside("[{\"half", inPlace);
        EXPECT_TRUE(captureStdout([&] {
                        state->takeOutsideChange();
                    }).contains("but it cannot be read — moved to lists.json.bak; Ilvex keeps its lists"));
        EXPECT_EQ(shape(), "X");
        expectSaved();

        const QByteArray unseen = ListsCodec::encodeLists(lists({"Y"}));
        writeOutside(unseen, inPlace);
        captureStdout([&] { state->addList("N", ListTheme::red); });
        EXPECT_EQ(QList<QByteArray>({backup(), backup(".1")}), QList<QByteArray>({unseen, "[{\"half"}));
        expectSaved();
        EXPECT_EQ(captureStdout([&] { state->takeOutsideChange(); }), "") << "its own write is not outside";
        QDir(sandbox.supportDirectory()).removeRecursively();
    }
}

// A bad file that cannot be moved aside (every backup place taken by a folder) is never written over:
// the store says so, refuses every save with the reason, and writes again once a readable file is there.
TEST_F(OnDisk, ABadFileThatCannotBeMovedAsideIsNotWrittenOver) {
    for (const QString suffix : {"", ".1", ".2", ".3", ".4", ".5"})
        sandbox.writeFile(".local/share/Ilvex/lists.json.bak" + suffix + "/inside", "taken");
    sandbox.writeFile(".local/share/Ilvex/lists.json", "garbage");
    EXPECT_TRUE(
        captureStdout([&] { open(); }).contains("lists.json is corrupt and could not be moved aside"));
    QSignalSpy failed(state.get(), &AppState::saveFailed);
    QCoreApplication::processEvents(); // a failure at start is said from the event loop
    captureStdout([&] {
        state->addList("N", ListTheme::red);
        state->addList("O", ListTheme::red);
    });
    EXPECT_TRUE(fileBytes() == "garbage" && !state->lastChangeSaved() && failed.size() == 1);
    EXPECT_TRUE(state->lastSaveError().contains("does not write over it"))
        << state->lastSaveError().toStdString();

    writeOutside(ListsCodec::encodeLists(lists({"X"})), false);
    captureStdout([&] { state->takeOutsideChange(); });
    EXPECT_EQ(shape(), "X");
    captureStdout([&] { state->addList("N", ListTheme::red); });
    expectSaved();
}

// Only Ilvex's own unfinished copies go at start; the user's copies beside the file stay, and sync
// conflict copies are named once.
TEST_F(OnDisk, StartRemovesOnlyItsOwnCopiesAndNamesConflictCopies) {
    const QStringList kept{"lists.json.backup", "lists.json.before", "lists.json.Ab12Cd",
                           "lists.sync-conflict-20250101-120000-ABCDEFG.json",
                           "lists.json (conflicted copy 2025-01-01 120000)"};
    for (const QString &name : kept + QStringList{".lists.json.ilvex-unfinished-Ab12Cd"})
        sandbox.writeFile(".local/share/Ilvex/" + name, "mine");
    sandbox.writeFile(".local/share/Ilvex/lists.json", ListsCodec::encodeLists(lists({"A"})));
    const QString printed = captureStdout([&] { open(); });
    QStringList expected = kept + QStringList{"lists.json"};
    expected.sort();
    EXPECT_EQ(folder(), expected);
    EXPECT_EQ(printed.count("[Ilvex] a sync conflict copy of lists.json is at " + sandbox.supportDirectory()),
              2)
        << printed.toStdString();
    EXPECT_EQ(captureStdout([&] { state->takeOutsideChange(); }), "");
}

} // namespace
