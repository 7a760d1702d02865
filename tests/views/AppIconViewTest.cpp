#include "views/AppIconView.h"
#include "favicons/FaviconCache.h"
#include "l10n/L.h"
#include "support/FakeLauncherHost.h"
#include "support/QuietWindows.h"
#include "support/Sandbox.h"
#include "views/AppIconAnimator.h"
#include "views/AppIconMenu.h"
#include "views/AppIconPainter.h"
#include "views/SwatchDot.h"
#include "views/TintPopover.h"

#include <QAbstractButton>
#include <QDir>
#include <QMenu>
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

AppItem group(int members) {
    AppItem item = entry("Group", QString());
    item.isSubList = true;
    item.subItems = QList<AppItem>();
    for (int i = 0; i < members; ++i)
        item.subItems->append(entry(QStringLiteral("M%1").arg(i), QStringLiteral("/tmp/m%1.txt").arg(i)));
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

struct EnglishStrings : ::testing::Test {
    QuietWindows quiet;
    Sandbox sandbox;
    void SetUp() override { L::setLanguage(AppLanguage::en); }
    void TearDown() override { QTest::qWait(0); } // popovers delete themselves later
};
} // namespace

TEST_F(EnglishStrings, CapsuleFrameAndMenuFollowTheKind) {
    const QStringList plain = {"Open", "---", "Remove from launcher"};
    const QStringList groupMenu = {"Open", "Rename…", "Group color…", "---", "Remove from launcher"};
    const QStringList folderMenu = {"Open", "---", "Folder color…", "---", "Remove from launcher"};
    AppItem noMemberList = group(0);
    noMemberList.subItems.reset();
    const struct {
        const char *name;
        AppItem item;
        bool capsule;
        QStringList menu;
        bool removeEnabled;
    } rows[] = {
        {"application", entry("Terminal", "/usr/share/applications/org.gnome.Terminal.desktop"), false, plain,
         true},
        {"link", entry("Site", "https://example.com", false, true), false, plain, true},
        {"folder", entry("Docs", "/home/u/Documents", true), true, folderMenu, true},
        {"plain file", entry("Report", "/home/u/report.pdf"), true, plain, true},
        {"upper-case suffix is a file", entry("Odd", "/home/u/Odd.DESKTOP"), true, plain, true},
        {"empty group", group(0), true, groupMenu, true},
        {"group without member list", noMemberList, true, groupMenu, true},
        {"non-empty group", group(2), true, groupMenu, false},
    };
    QStringList calls;
    const AppIconMenuHandlers handlers{[&] { calls << "open"; },
                                       [&] { calls << "rename"; },
                                       [&] { calls << "color"; },
                                       {},
                                       [&] { calls << "remove"; }};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        calls.clear();
        EXPECT_EQ(AppIconPainter::showsCapsule(row.item), row.capsule);
        EXPECT_EQ(AppIconPainter::frameSize(row.item, 72), QSizeF(98, row.capsule ? 110 : 98));
        EXPECT_EQ(AppIconPainter::capsuleRect(row.item, 72).isEmpty(), !row.capsule);
        std::unique_ptr<QMenu> menu(AppIconMenu::build(row.item, {}, handlers));
        EXPECT_EQ(texts(menu.get()), row.menu);
        EXPECT_EQ(actionNamed(menu.get(), "Remove from launcher")->isEnabled(), row.removeEnabled);
        // Every entry reaches its handler, and one without a handler does nothing.
        for (QAction *action : menu->actions())
            action->trigger();
        EXPECT_EQ(calls.size(), row.menu.size() - row.menu.count("---") - (row.removeEnabled ? 0 : 1));
        std::unique_ptr<QMenu> bare(AppIconMenu::build(row.item, {}, {}));
        actionNamed(bare.get(), "Open")->trigger();
    }
}

TEST_F(EnglishStrings, MoveToListsFirstThenGroupsAfterASeparator) {
    const QUuid list1 = QUuid::createUuid(), list2 = QUuid::createUuid();
    const QList<MoveDestination> destinations = {
        {QUuid::createUuid(), list1, "Work › Tools", true},
        {list1, list1, "Work", false},
        {QUuid::createUuid(), list2, "Home › Games", true},
        {list2, list2, "Home", false},
    };
    std::optional<MoveDestination> chosen;
    AppIconMenuHandlers handlers;
    handlers.moveTo = [&](const MoveDestination &destination) { chosen = destination; };
    const AppItem file = entry("Report", "/home/u/report.pdf");
    auto moveMenu = [&](const QList<MoveDestination> &offered) {
        std::unique_ptr<QMenu> menu(AppIconMenu::build(file, offered, handlers));
        QAction *moveTo = actionNamed(menu.get(), "Move to");
        EXPECT_EQ(texts(menu.get()).indexOf("Move to"), moveTo ? 1 : -1);
        return std::pair{std::move(menu), moveTo ? moveTo->menu() : nullptr};
    };

    const auto [menu, moveTo] = moveMenu(destinations);
    ASSERT_NE(moveTo, nullptr);
    EXPECT_EQ(texts(moveTo), (QStringList{"Work", "Home", "---", "Work › Tools", "Home › Games"}));
    actionNamed(moveTo, "Home › Games")->trigger();
    EXPECT_EQ(chosen, destinations[2]);
    EXPECT_EQ(texts(moveMenu({destinations[1], destinations[3]}).second), (QStringList{"Work", "Home"}));
    EXPECT_EQ(moveMenu({}).second, nullptr);
}

TEST_F(EnglishStrings, TintPopoverShowsExactlyTheStoredPreset) {
    const struct {
        std::optional<QString> tint;
        bool isGroup;
        int selectedSwatch; // -1: none
    } rows[] = {
        {std::nullopt, false, -1}, {"#EF4444", false, 5},
        {"#6B7280", true, 8},      {"#ef4444", false, -1}, // compared as text: unknown
        {"teal", true, -1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.tint.value_or("none").toStdString());
        TintPopover popover(row.tint, row.isGroup, Qt::green, {});
        EXPECT_EQ(popover.defaultRowChecked(), !row.tint);
        EXPECT_EQ(popover.defaultRow()->text(), row.isGroup ? "Theme" : "Default");
        ASSERT_EQ(popover.swatches().size(), 9);
        for (int i = 0; i < 9; ++i) {
            EXPECT_EQ(popover.swatches()[i]->isSelected(), i == row.selectedSwatch) << i;
            EXPECT_TRUE(popover.swatches()[i]->showsCheck());
        }
    }
}

TEST_F(EnglishStrings, TintPopoverKeepsTheSuspenderCountBalanced) {
    std::optional<std::optional<QString>> picked;
    AppIconCallbacks callbacks;
    callbacks.onSetTint = [&](const std::optional<QString> &tint) { picked = tint; };
    AppIconView view(entry("Docs", "/tmp", true), 72, Qt::blue, callbacks);
    view.show();
    view.setShowColorPopover(true); // no host: nothing to count
    view.setShowColorPopover(false);
    {
        FakeLauncherHost shell;
        view.setHost(&shell);
        const auto other = shell.holdOpen(); // someone else's editor is open too
        for (int round = 0; round < 2; ++round) {
            view.setShowColorPopover(true);
            view.setShowColorPopover(true); // already open: no second count
            EXPECT_EQ(shell.holds, 2);
            view.setShowColorPopover(false);
            EXPECT_EQ(shell.holds, 1);
            EXPECT_FALSE(view.showColorPopover());
        }
        // Choosing a swatch hands over its hex and closes the popover; the default row clears the tint.
        view.setShowColorPopover(true);
        view.colorPopover()->swatches()[2]->click();
        EXPECT_EQ(picked, std::optional<QString>("#22C55E"));
        EXPECT_EQ(shell.holds, 1);
        view.setShowColorPopover(true);
        view.colorPopover()->defaultRow()->click();
        ASSERT_TRUE(picked.has_value());
        EXPECT_FALSE(picked->has_value());
        EXPECT_EQ(shell.holds, 1);
        view.setHost(nullptr);
    }
}

TEST_F(EnglishStrings, DropTargetPulsesAndCalmsDown) {
    AppIconView view(entry("Docs", "/tmp", true), 72, Qt::blue);
    auto scale = [&] { return AppIconPainter::effect(view.animator()->motion(), Qt::blue).scale; };
    view.setDropTarget(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return scale() > 1.3; }, 2000));
    view.setDropTarget(false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return scale() < 1.001; }, 2000));
}

TEST_F(EnglishStrings, LinkShowsGlobeThenItsFaviconClippedToARoundedSquare) {
    // An earlier run left the icon on disk; the network is unreachable.
    const QString dir = sandbox.supportDirectory() + "/favicons";
    QImage red(64, 64, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(QDir().mkpath(dir) && red.save(dir + "/example.test.png", "PNG"));
    FaviconCache cache(dir, {QUrl("http://127.0.0.1:1/s2/favicons"), "http://127.0.0.1:1/"});

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
