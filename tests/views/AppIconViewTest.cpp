#include "views/AppIconView.h"
#include "l10n/L.h"
#include "support/Entries.h"
#include "support/FakeLauncherHost.h"
#include "support/QuietWindows.h"
#include "views/AppIconMenu.h"
#include "views/AppIconPainter.h"
#include "views/IlvexButtonStyle.h"
#include "views/Spring.h"
#include "views/SwatchDot.h"
#include "views/Symbols.h"
#include "views/TintPopover.h"

#include <QAbstractButton>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {
AppItem entry(const QString &path, bool folder = false, bool url = false) {
    AppItem item = entries::app("X");
    item.appPath = path;
    item.isFolder = folder;
    item.isURL = url;
    return item;
}

QStringList texts(const QMenu *menu) {
    QStringList result;
    for (const QAction *action : menu->actions())
        result.append(action->isSeparator() ? QStringLiteral("---") : action->text());
    return result;
}

QAction *actionNamed(QMenu *menu, const QString &text) {
    return menu->actions().value(texts(menu).indexOf(text));
}

struct EnglishStrings : ::testing::Test {
    QuietWindows quiet;
    void SetUp() override { L::setLanguage(AppLanguage::en); }
    void TearDown() override { QTest::qWait(0); } // popovers delete themselves later
};
} // namespace

TEST_F(EnglishStrings, CapsuleFrameAndMenuFollowTheKind) {
    const QStringList plain = {"Open", "---", "Remove from launcher"};
    const QStringList groupMenu = {"Open", "Rename…", "Group color…", "---", "Remove from launcher"};
    const QStringList folderMenu = {"Open", "---", "Folder color…", "---", "Remove from launcher"};
    AppItem noMemberList = entries::group("G", {});
    noMemberList.subItems.reset();
    const std::tuple<const char *, AppItem, bool, QStringList, bool> rows[] = {
        // what, the entry, whether it shows a name capsule, its menu, whether Remove is enabled
        {"application", entry("/usr/share/applications/t.desktop"), false, plain, true},
        {"link", entry("https://example.com", false, true), false, plain, true},
        {"folder", entry("/home/u/Docs", true), true, folderMenu, true},
        {"plain file", entry("/home/u/report.pdf"), true, plain, true},
        {"upper-case suffix is a file", entry("/home/u/Odd.DESKTOP"), true, plain, true},
        {"empty group", entries::group("G", {}), true, groupMenu, true},
        {"group without member list", noMemberList, true, groupMenu, true},
        {"non-empty group", entries::group("G"), true, groupMenu, false},
    };
    int calls = 0;
    const auto call = [&] { ++calls; };
    for (const auto &[name, item, capsule, menuTexts, removeEnabled] : rows) {
        SCOPED_TRACE(name);
        calls = 0;
        EXPECT_EQ(AppIconPainter::showsCapsule(item), capsule);
        EXPECT_EQ(AppIconPainter::frameSize(item, 72), QSizeF(98, capsule ? 110 : 98));
        EXPECT_EQ(AppIconPainter::capsuleRect(item, 72).isEmpty(), !capsule);
        std::unique_ptr<QMenu> menu(AppIconMenu::build(item, {}, {call, call, call, {}, call}));
        EXPECT_EQ(texts(menu.get()), menuTexts);
        EXPECT_EQ(actionNamed(menu.get(), "Remove from launcher")->isEnabled(), removeEnabled);
        // Every entry reaches its handler, and one without a handler does nothing.
        for (QAction *action : menu->actions())
            action->trigger();
        EXPECT_EQ(calls, menuTexts.size() - menuTexts.count("---") - (removeEnabled ? 0 : 1));
        std::unique_ptr<QMenu> bare(AppIconMenu::build(item, {}, {}));
        actionNamed(bare.get(), "Open")->trigger();
    }
}

// Without destinations there is no "Move to" (the table above).
TEST_F(EnglishStrings, MoveToListsFirstThenGroupsAfterASeparator) {
    const QUuid work = QUuid::createUuid(), home = QUuid::createUuid();
    const QList<MoveDestination> offered = {{QUuid::createUuid(), work, "Work › Tools", true},
                                            {work, work, "Work", false},
                                            {QUuid::createUuid(), home, "Home › Games", true},
                                            {home, home, "Home", false}};
    std::optional<MoveDestination> chosen;
    AppIconMenuHandlers handlers;
    handlers.moveTo = [&](const MoveDestination &destination) { chosen = destination; };
    std::unique_ptr<QMenu> menu(AppIconMenu::build(entry("/home/u/a.pdf"), offered, handlers));
    EXPECT_EQ(texts(menu.get()).indexOf("Move to"), 1);
    QMenu *moveTo = actionNamed(menu.get(), "Move to")->menu();
    EXPECT_EQ(texts(moveTo), (QStringList{"Work", "Home", "---", "Work › Tools", "Home › Games"}));
    actionNamed(moveTo, "Home › Games")->trigger();
    EXPECT_EQ(chosen, offered[2]);
    menu.reset(AppIconMenu::build(entry("/home/u/a.pdf"), {offered[1], offered[3]}, handlers));
    EXPECT_EQ(texts(actionNamed(menu.get(), "Move to")->menu()), (QStringList{"Work", "Home"}));
}

TEST_F(EnglishStrings, TintPopoverShowsExactlyTheStoredPreset) {
    // the stored tint (compared as text: "#ef4444" is unknown), a group's or a folder's, the swatch checked
    const std::tuple<std::optional<QString>, bool, int> rows[] = {
        {std::nullopt, false, -1}, {"#EF4444", false, 5}, {"#6B7280", true, 8},
        {"#ef4444", false, -1},    {"teal", true, -1},
    };
    for (const auto &[tint, isGroup, selected] : rows) {
        SCOPED_TRACE(tint.value_or("none").toStdString());
        TintPopover popover(tint, isGroup, Qt::green, {});
        EXPECT_EQ(popover.defaultRowChecked(), !tint);
        EXPECT_EQ(popover.defaultRow()->text(), isGroup ? "Theme" : "Default");
        ASSERT_EQ(popover.swatches().size(), 9);
        for (int i = 0; i < 9; ++i)
            EXPECT_EQ(popover.swatches()[i]->isSelected(), i == selected) << i;
    }
}

TEST_F(EnglishStrings, TintPopoverKeepsTheSuspenderCountBalanced) {
    std::optional<std::optional<QString>> picked;
    AppIconCallbacks callbacks;
    callbacks.onSetTint = [&](const std::optional<QString> &tint) { picked = tint; };
    AppIconView view(entry("/tmp", true), 72, Qt::blue, callbacks);
    view.show();
    view.setShowColorPopover(true); // no host: nothing to count
    view.setShowColorPopover(false);
    FakeLauncherHost shell;
    view.setHost(&shell);
    const auto other = shell.holdOpen(); // someone else's editor is open too
    view.setShowColorPopover(true);
    view.setShowColorPopover(true); // already open: no second count
    EXPECT_EQ(shell.holds, 2);
    view.setShowColorPopover(false);
    // Choosing a swatch hands over its hex and closes the popover; the default row clears the tint.
    for (const std::optional<QString> &expected : {std::optional<QString>("#22C55E"), {}}) {
        view.setShowColorPopover(true);
        EXPECT_EQ(shell.holds, 2);
        if (expected)
            view.colorPopover()->swatches()[2]->click();
        else
            view.colorPopover()->defaultRow()->click();
        EXPECT_EQ(picked, std::make_optional(expected));
        EXPECT_EQ(shell.holds, 1);
    }
    view.setHost(nullptr);
}

TEST(AppIconPainter, LinkShowsGlobeOrItsFaviconClippedToARoundedSquare) {
    QImage red(64, 64, QImage::Format_ARGB32);
    red.fill(Qt::red);
    const AppItem link = entry("https://example.test/page", false, true);
    const QImage globe = AppIconPainter::renderItemImage(link, std::nullopt, 62, Qt::blue, 1),
                 icon = AppIconPainter::renderItemImage(link, red, 62, Qt::blue, 1);
    EXPECT_NE(QColor(globe.pixel(31, 31)), QColor(Qt::red));
    EXPECT_EQ(QColor(icon.pixel(31, 31)), QColor(Qt::red));
    EXPECT_EQ(qAlpha(icon.pixel(1, 1)), 0) << "corner not clipped";
}

TEST(SwatchDot, SelectedDotDrawsAWhiteRingOfMinimumWidth) {
    EXPECT_NEAR(SwatchDot::ringWidth(10, true), 2.5, 1e-9);
    SwatchDot plain(Qt::blue, false, 24, false), selected(Qt::blue, true, 24, false);
    EXPECT_LT(QColor(plain.grab().toImage().pixel(2, 12)).red(), 100);
    EXPECT_GT(QColor(selected.grab().toImage().pixel(2, 12)).red(), 200) << "no white ring";
}

TEST(ButtonStyles, DestructiveLabelsWrapInANarrowColumn) {
    QWidget column;
    auto *layout = new QVBoxLayout(&column);
    layout->setSizeConstraint(QLayout::SetNoConstraint); // offscreen windows cannot take size limits
    auto *shortLabel = new QPushButton("Delete"),
         *longLabel = new QPushButton("Delete list (empty it first) and all of its groups");
    for (QPushButton *button : {shortLabel, longLabel}) {
        IlvexDestructiveButtonStyle::apply(button, false);
        layout->addWidget(button);
    }
    column.resize(150, 300);
    column.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&column));
    QTest::qWait(0);
    EXPECT_LE(longLabel->width(), 150);
    EXPECT_GE(longLabel->height(), 2 * shortLabel->height() - 8) << "the long label did not wrap";
}

// Overshoots only when underdamped; one long step lands where many short ones do.
TEST(Spring, OvershootsOnlyWhenUnderdampedAndLongStepsLandWhereShortOnesDo) {
    for (const auto &[damping, overshoots] :
         {std::pair{0.3, true}, {0.65, true}, {1.0, false}, {1.8, false}}) {
        Spring coarse(0.3, damping), fine(0.3, damping);
        coarse.setTarget(1);
        fine.setTarget(1);
        double peak = 0;
        for (int i = 0; i < 300; ++i) {
            fine.step(0.002);
            peak = std::max(peak, fine.value());
        }
        coarse.step(0.6);
        EXPECT_NEAR(coarse.value(), fine.value(), 1e-9) << damping;
        EXPECT_EQ(peak > 1.0001, overshoots) << damping;
        for (int i = 0; i < 100; ++i)
            fine.step(0.05);
        EXPECT_TRUE(fine.isSettled()) << damping;
    }
}

TEST(AppIconPainter, GroupGlyphShowsAtMostFourMembersInOrder) {
    QList<AppItem> m = {entry("/f", true), entry("l", false, true), entry("/a.txt"), entry("/g", true),
                        entry("/b.txt")};
    const auto glyph = [](const QList<AppItem> &members) {
        return AppIconPainter::groupGlyph(entries::group("G", members), 62, Qt::blue, 1);
    };
    EXPECT_EQ(glyph(m.mid(0, 4)), glyph(m));
    EXPECT_NE(glyph(m.mid(0, 4)), glyph(m.mid(0, 3)));
    EXPECT_NE(glyph({m[0], m[1]}), glyph({m[1], m[0]}));
    EXPECT_NE(glyph({}), glyph(m.mid(0, 1)));
}

TEST(AppIconPainter, FolderTintRecoloursOnlyMatchingPresets) {
    QTemporaryDir dir;
    AppItem folder = entry(dir.path(), true);
    const auto image = [&](std::optional<QString> tint) {
        folder.folderTint = std::move(tint);
        return AppIconPainter::renderItemImage(folder, std::nullopt, 62, Qt::blue, 1);
    };
    const QImage plain = image(std::nullopt), grey = image("#6B7280");
    EXPECT_EQ(image("#3B82F6"), plain) << "blue is the icon's own colour";
    EXPECT_EQ(image("#3b82f6"), plain) << "unknown tints draw untinted";
    EXPECT_NE(image("#EF4444"), plain);
    const auto *p = reinterpret_cast<const QRgb *>(grey.constBits());
    EXPECT_FALSE(std::any_of(p, p + grey.width() * grey.height(), [](QRgb c) {
        return qAlpha(c) == 255 && std::max(std::abs(qRed(c) - qBlue(c)), std::abs(qRed(c) - qGreen(c))) > 2;
    })) << "the grey preset left colour in the icon";
    EXPECT_EQ(AppIconPainter::groupTint(entries::group("G", {}, "#EF4444"), Qt::green),
              QColor(0xEF, 0x44, 0x44));
    EXPECT_EQ(AppIconPainter::groupTint(entries::group("G", {}, "#nope"), Qt::green), QColor(Qt::green));
}

// The 2×2 grids: four cells with a gap through the middle, filled or outlined as named.
TEST(Symbols, KnownNamesDrawAGlyphAndUnknownNamesDrawNothing) {
    EXPECT_TRUE(Symbols::image("no.such.symbol", 16, Qt::white).isNull());
    ASSERT_TRUE(Symbols::fontAvailable());
    for (const auto &[name, filled] : {std::pair{"circle.grid.2x2.fill", true}, {"circle.grid.2x2", false}}) {
        const QImage grid = Symbols::image(QString::fromUtf8(name), 48, Qt::white);
        ASSERT_FALSE(grid.isNull()) << name;
        EXPECT_LT(qAlpha(grid.pixel(24, 24)), 20) << name << ": no gap between the cells";
        EXPECT_EQ(qAlpha(grid.pixel(15, 15)) > 200 && qAlpha(grid.pixel(33, 33)) > 200, filled) << name;
    }
}
