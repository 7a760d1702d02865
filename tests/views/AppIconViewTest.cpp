#include "views/AppIconView.h"
#include "favicons/FaviconCache.h"
#include "l10n/L.h"
#include "shell/AppDelegate.h"
#include "support/Sandbox.h"
#include "views/AppIconAnimator.h"
#include "views/AppIconMenu.h"
#include "views/AppIconPainter.h"
#include "views/GroupRenamePrompt.h"
#include "views/SwatchDot.h"
#include "views/TintPopover.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QStyleHints>
#include <QTest>

#include <gtest/gtest.h>

namespace {
AppItem entry(const QString &name, const QString &path, bool folder = false, bool url = false) {
    AppItem item;
    item.id = QUuid::createUuid();
    item.name = name;
    item.appPath = path;
    item.isFolder = folder;
    item.isURL = url;
    return item;
}

AppItem group(int members, std::optional<QString> tint = std::nullopt) {
    AppItem item = entry(QStringLiteral("Group"), QString());
    item.isSubList = true;
    item.subItems = QList<AppItem>();
    for (int i = 0; i < members; ++i)
        item.subItems->append(entry(QStringLiteral("M%1").arg(i), QStringLiteral("/tmp/m%1.txt").arg(i)));
    item.folderTint = std::move(tint);
    return item;
}

QStringList texts(const QMenu *menu) {
    QStringList result;
    for (const QAction *action : menu->actions())
        result.append(action->isSeparator() ? QStringLiteral("---") : action->text());
    return result;
}

QAction *actionNamed(QMenu *menu, const QString &text) {
    for (QAction *action : menu->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

// The offscreen platform cannot raise windows or grab the keyboard for popups, and says so.
QtMessageHandler previousHandler = nullptr;
void ignorePlatformLimits(QtMsgType type, const QMessageLogContext &context, const QString &message) {
    if (!message.startsWith(QStringLiteral("This plugin does not support")))
        previousHandler(type, context, message);
}

struct EnglishStrings : ::testing::Test {
    Sandbox sandbox;
    void SetUp() override {
        L::setLanguage(AppLanguage::en);
        previousHandler = qInstallMessageHandler(ignorePlatformLimits);
    }
    void TearDown() override { qInstallMessageHandler(previousHandler); }
};
} // namespace

struct KindRow {
    const char *name;
    AppItem item;
    bool capsule;
    QStringList menu;
    bool removeEnabled;
};

class EntryKinds : public EnglishStrings, public ::testing::WithParamInterface<KindRow> {};

TEST_P(EntryKinds, CapsuleFrameAndMenuFollowTheKind) {
    const KindRow &row = GetParam();
    EXPECT_EQ(AppIconPainter::showsCapsule(row.item), row.capsule);
    EXPECT_EQ(AppIconPainter::frameSize(row.item, 72), QSizeF(98, row.capsule ? 110 : 98));
    EXPECT_EQ(AppIconPainter::capsuleRect(row.item, 72).isEmpty(), !row.capsule);

    std::unique_ptr<QMenu> menu(AppIconMenu::build(row.item, {}, {}));
    EXPECT_EQ(texts(menu.get()), row.menu);
    EXPECT_EQ(actionNamed(menu.get(), QStringLiteral("Remove from launcher"))->isEnabled(),
              row.removeEnabled);
}

const QStringList plainMenu = {QStringLiteral("Open"), QStringLiteral("---"),
                               QStringLiteral("Remove from launcher")};
const QStringList groupMenu = {QStringLiteral("Open"), QStringLiteral("Rename…"),
                               QStringLiteral("Group color…"), QStringLiteral("---"),
                               QStringLiteral("Remove from launcher")};
const QStringList folderMenu = {QStringLiteral("Open"), QStringLiteral("---"),
                                QStringLiteral("Folder color…"), QStringLiteral("---"),
                                QStringLiteral("Remove from launcher")};

INSTANTIATE_TEST_SUITE_P(
    Kinds, EntryKinds,
    ::testing::Values(
        KindRow{"Application", entry("Terminal", "/usr/share/applications/org.gnome.Terminal.desktop"), false,
                plainMenu, true},
        KindRow{"Link", entry("Site", "https://example.com", false, true), false, plainMenu, true},
        KindRow{"Folder", entry("Docs", "/home/u/Documents", true), true, folderMenu, true},
        KindRow{"PlainFile", entry("Report", "/home/u/report.pdf"), true, plainMenu, true},
        KindRow{"UpperCaseSuffixIsAFile", entry("Odd", "/home/u/Odd.DESKTOP"), true, plainMenu, true},
        KindRow{"EmptyGroup", group(0), true, groupMenu, true},
        KindRow{"GroupWithoutMemberList",
                [] {
                    AppItem g = group(0);
                    g.subItems.reset();
                    return g;
                }(),
                true, groupMenu, true},
        KindRow{"NonEmptyGroup", group(2), true, groupMenu, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(EnglishStrings, MoveToListsFirstThenGroupsAfterASeparator) {
    const QUuid list1 = QUuid::createUuid(), list2 = QUuid::createUuid();
    const QList<MoveDestination> destinations = {
        {QUuid::createUuid(), list1, QStringLiteral("Work › Tools"), true},
        {list1, list1, QStringLiteral("Work"), false},
        {QUuid::createUuid(), list2, QStringLiteral("Home › Games"), true},
        {list2, list2, QStringLiteral("Home"), false},
    };
    std::optional<MoveDestination> chosen;
    AppIconMenuHandlers handlers;
    handlers.moveTo = [&](const MoveDestination &destination) { chosen = destination; };
    const AppItem file = entry("Report", "/home/u/report.pdf");

    std::unique_ptr<QMenu> menu(AppIconMenu::build(file, destinations, handlers));
    QAction *moveTo = actionNamed(menu.get(), QStringLiteral("Move to"));
    ASSERT_TRUE(moveTo && moveTo->menu());
    EXPECT_EQ(texts(menu.get()).indexOf(QStringLiteral("Move to")), 1);
    EXPECT_EQ(texts(moveTo->menu()), (QStringList{"Work", "Home", "---", "Work › Tools", "Home › Games"}));
    actionNamed(moveTo->menu(), QStringLiteral("Home › Games"))->trigger();
    EXPECT_EQ(chosen, destinations[2]);

    std::unique_ptr<QMenu> listsOnly(AppIconMenu::build(file, {destinations[1], destinations[3]}, handlers));
    EXPECT_EQ(texts(actionNamed(listsOnly.get(), QStringLiteral("Move to"))->menu()),
              (QStringList{"Work", "Home"}));
    std::unique_ptr<QMenu> nowhere(AppIconMenu::build(file, {}, handlers));
    EXPECT_EQ(actionNamed(nowhere.get(), QStringLiteral("Move to")), nullptr);
}

TEST_F(EnglishStrings, MenuEntriesReachTheirHandlers) {
    QStringList calls;
    AppIconMenuHandlers handlers{[&] { calls << "open"; },
                                 [&] { calls << "rename"; },
                                 [&] { calls << "color"; },
                                 {},
                                 [&] { calls << "remove"; }};
    std::unique_ptr<QMenu> menu(AppIconMenu::build(group(0), {}, handlers));
    for (const char *text : {"Open", "Rename…", "Group color…", "Remove from launcher"})
        actionNamed(menu.get(), QString::fromUtf8(text))->trigger();
    EXPECT_EQ(calls, (QStringList{"open", "rename", "color", "remove"}));
    // Missing handlers leave the entries in place, doing nothing.
    std::unique_ptr<QMenu> bare(AppIconMenu::build(group(0), {}, {}));
    actionNamed(bare.get(), QStringLiteral("Rename…"))->trigger();
}

struct TintRow {
    const char *name;
    std::optional<QString> tint;
    bool isGroup;
    bool defaultChecked;
    int selectedSwatch; // -1: none
};

class TintSelection : public EnglishStrings, public ::testing::WithParamInterface<TintRow> {};

TEST_P(TintSelection, ShowsExactlyTheStoredPreset) {
    const TintRow &row = GetParam();
    auto *popover = new TintPopover(row.tint, row.isGroup, Qt::green, {});
    EXPECT_EQ(popover->defaultRowChecked(), row.defaultChecked);
    EXPECT_EQ(popover->defaultRow()->text(),
              row.isGroup ? QStringLiteral("Theme") : QStringLiteral("Default"));
    ASSERT_EQ(popover->swatches().size(), 9);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(popover->swatches()[i]->isSelected(), i == row.selectedSwatch) << i;
        EXPECT_TRUE(popover->swatches()[i]->showsCheck());
        EXPECT_EQ(popover->swatches()[i]->diameter(), 24);
    }
    delete popover;
}

INSTANTIATE_TEST_SUITE_P(Tints, TintSelection,
                         ::testing::Values(TintRow{"None", std::nullopt, false, true, -1},
                                           TintRow{"Red", QStringLiteral("#EF4444"), false, false, 5},
                                           TintRow{"GroupGrey", QStringLiteral("#6B7280"), true, false, 8},
                                           TintRow{"LowerCaseIsUnknown", QStringLiteral("#ef4444"), false,
                                                   false, -1},
                                           TintRow{"Garbage", QStringLiteral("teal"), true, false, -1}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(EnglishStrings, TintPopoverKeepsTheSuspenderCountBalanced) {
    AppDelegate shell;
    std::optional<std::optional<QString>> picked;
    AppIconCallbacks callbacks;
    callbacks.onSetTint = [&](const std::optional<QString> &tint) { picked = tint; };
    AppIconView view(entry("Docs", "/tmp", true), 72, Qt::blue, callbacks);
    view.show();
    shell.suspendAutoDismiss(); // someone else's editor is open too
    for (int round = 0; round < 2; ++round) {
        view.setShowColorPopover(true);
        EXPECT_EQ(shell.autoDismissSuspenders(), 2);
        view.setShowColorPopover(true); // already open: no second count
        EXPECT_EQ(shell.autoDismissSuspenders(), 2);
        view.setShowColorPopover(false);
        EXPECT_EQ(shell.autoDismissSuspenders(), 1);
        EXPECT_FALSE(view.showColorPopover());
    }
    // Choosing a swatch hands over its hex and closes the popover.
    view.setShowColorPopover(true);
    view.colorPopover()->swatches()[2]->click();
    EXPECT_EQ(picked, std::optional<QString>(QStringLiteral("#22C55E")));
    EXPECT_EQ(shell.autoDismissSuspenders(), 1);
    view.setShowColorPopover(true);
    view.colorPopover()->defaultRow()->click();
    ASSERT_TRUE(picked.has_value());
    EXPECT_FALSE(picked->has_value()) << "the default row clears the tint";
    EXPECT_EQ(shell.autoDismissSuspenders(), 1);
    QTest::qWait(0); // popovers delete themselves later
}

TEST_F(EnglishStrings, SuspenderNeverGoesBelowZeroOrToAnotherShell) {
    AppIconView view(entry("Docs", "/tmp", true), 72, Qt::blue);
    view.show();
    view.setShowColorPopover(true); // no shell yet: nothing to count
    auto shell = std::make_unique<AppDelegate>();
    view.setShowColorPopover(false);
    EXPECT_EQ(shell->autoDismissSuspenders(), 0);

    view.setShowColorPopover(true);
    EXPECT_EQ(shell->autoDismissSuspenders(), 1);
    shell.reset(); // the shell goes while the popover is open
    view.setShowColorPopover(false);
    AppDelegate later;
    EXPECT_EQ(later.autoDismissSuspenders(), 0);
    QTest::qWait(0);
}

TEST_F(EnglishStrings, HoverReportsTheNameAndClickRunsTheAction) {
    QList<std::optional<QString>> hovered;
    int actions = 0;
    AppIconCallbacks callbacks;
    callbacks.action = [&] { ++actions; };
    callbacks.onHoverName = [&](const std::optional<QString> &name) { hovered.append(name); };
    AppIconView view(entry("Report", "/home/u/report.pdf"), 72, Qt::blue, callbacks);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(&view, &enter);
    EXPECT_TRUE(view.isHovered());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&view, &leave);
    EXPECT_FALSE(view.isHovered());
    EXPECT_EQ(hovered, (QList<std::optional<QString>>{QStringLiteral("Report"), std::nullopt}));

    QTest::mouseClick(&view, Qt::LeftButton, {},
                      QPoint(2, view.height() - 2)); // the frame's corner still counts
    EXPECT_EQ(actions, 1);
    QTest::mouseClick(&view, Qt::RightButton);
    EXPECT_EQ(actions, 1);
}

TEST_F(EnglishStrings, DropTargetPulsesAndCalmsDown) {
    AppIconView view(entry("Docs", "/tmp", true), 72, Qt::blue);
    view.setDropTarget(true);
    EXPECT_TRUE(view.dropPulse());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return AppIconPainter::effect(view.animator()->motion(), Qt::blue).scale > 1.3; }, 2000));
    view.setDropTarget(false);
    EXPECT_FALSE(view.dropPulse());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return AppIconPainter::effect(view.animator()->motion(), Qt::blue).scale < 1.001; }, 2000));
}

TEST_F(EnglishStrings, LinkShowsGlobeThenItsFaviconClippedToARoundedSquare) {
    // An earlier run left the icon on disk; the network is unreachable.
    const QString dir = sandbox.supportDirectory() + QStringLiteral("/favicons");
    QImage red(64, 64, QImage::Format_ARGB32);
    red.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    red.save(&buffer, "PNG");
    QDir().mkpath(dir);
    QFile file(dir + QStringLiteral("/example.test.png"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    FaviconCache cache(
        dir, {QUrl(QStringLiteral("http://127.0.0.1:1/s2/favicons")), QStringLiteral("http://127.0.0.1:1/")});

    const AppItem link = entry("Example", "https://example.test/page", false, true);
    AppIconView view(link, 72, Qt::blue);
    view.setFaviconCache(&cache);
    EXPECT_FALSE(view.favicon().has_value());
    const QImage globe = AppIconPainter::renderItemImage(link, view.favicon(), 62, Qt::blue, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.favicon().has_value(); }, 5000));
    const QImage loaded = AppIconPainter::renderItemImage(link, view.favicon(), 62, Qt::blue, 1);

    EXPECT_EQ(QColor(loaded.pixel(31, 31)), QColor(Qt::red));
    EXPECT_EQ(qAlpha(loaded.pixel(1, 1)), 0) << "corner not clipped";
    EXPECT_NE(QColor(globe.pixel(31, 31)), QColor(Qt::red));
}

TEST_F(EnglishStrings, DoubleClickOnAGroupCapsuleRenamesInsteadOfOpening) {
    int actions = 0;
    QStringList renames;
    AppIconCallbacks callbacks;
    callbacks.action = [&] { ++actions; };
    callbacks.onRenameItem = [&](const QString &name) { renames.append(name); };
    AppIconView view(group(2), 72, Qt::blue, callbacks);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const QPoint capsule = AppIconPainter::capsuleRect(view.item(), 72).center().toPoint();
    const QPoint image = AppIconPainter::imageRect(view.item(), 72).center().toPoint();

    QTest::mouseDClick(&view, Qt::LeftButton, {}, capsule);
    GroupRenamePrompt *prompt = view.window()->findChild<GroupRenamePrompt *>();
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(prompt->field()->text(), QStringLiteral("Group"));
    prompt->field()->setText(QStringLiteral("  Tools "));
    prompt->accept();
    EXPECT_EQ(renames, QStringList{QStringLiteral("  Tools ")}) << "the name goes out as typed";
    QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
    EXPECT_EQ(actions, 0) << "the group opened as well";

    // A single click on the capsule still opens the group, once no second click follows.
    QTest::mouseClick(&view, Qt::LeftButton, {}, capsule);
    EXPECT_EQ(actions, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return actions == 1; }, 2000));
    QTest::mouseClick(&view, Qt::LeftButton, {}, image);
    EXPECT_EQ(actions, 2) << "clicks on the glyph open at once";
    QTest::qWait(0);
}
