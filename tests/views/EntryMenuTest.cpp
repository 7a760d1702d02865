#include "l10n/L.h"
#include "support/Entries.h"
#include "views/AppIconMenu.h"
#include "views/SwatchDot.h"
#include "views/TintPopover.h"

#include <QMenu>

#include <gtest/gtest.h>

namespace {
AppItem entry(const QString &path, bool folder = false) {
    AppItem item = entries::app("X");
    item.appPath = path;
    item.isFolder = folder;
    return item;
}

QStringList texts(const QMenu *menu) {
    QStringList result;
    for (const QAction *action : menu->actions())
        result.append(action->isSeparator() ? QStringLiteral("---") : action->text());
    return result;
}

struct EntryMenu : ::testing::Test {
    void SetUp() override { L::setLanguage(AppLanguage::en); }
};
} // namespace

// Each kind's entries (a link's are an application's), Remove disabled while a group holds members, and
// "Move to" with lists first.
TEST_F(EntryMenu, FollowsTheKindAndOffersListsBeforeGroups) {
    const QStringList group = {"Open", "Rename…", "Group color…", "---", "Remove from launcher"};
    const std::tuple<AppItem, QStringList, bool> rows[] = {
        {entry("/usr/share/applications/t.desktop"), {"Open", "---", "Remove from launcher"}, true},
        {entry("/home/u/Docs", true), {"Open", "---", "Folder color…", "---", "Remove from launcher"}, true},
        {entries::group("G", {}), group, true},
        {entries::group("G"), group, false},
    };
    for (const auto &[item, menuTexts, removeEnabled] : rows) {
        std::unique_ptr<QMenu> menu(AppIconMenu::build(item, {}, {}));
        EXPECT_EQ(texts(menu.get()), menuTexts);
        EXPECT_EQ(menu->actions().last()->isEnabled(), removeEnabled) << item.name.toStdString();
    }
    const QUuid work = QUuid::createUuid();
    const QList<MoveDestination> offered = {{QUuid::createUuid(), work, "Work › Tools", true},
                                            {work, work, "Work", false}};
    std::optional<MoveDestination> chosen;
    AppIconMenuHandlers handlers;
    handlers.moveTo = [&](const MoveDestination &destination) { chosen = destination; };
    std::unique_ptr<QMenu> menu(AppIconMenu::build(entry("/home/u/a.pdf"), offered, handlers));
    QMenu *moveTo = menu->actions()[texts(menu.get()).indexOf("Move to")]->menu();
    EXPECT_EQ(texts(moveTo), (QStringList{"Work", "---", "Work › Tools"}));
    moveTo->actions().last()->trigger();
    EXPECT_EQ(chosen, offered[0]);
}

TEST_F(EntryMenu, TintPopoverShowsExactlyTheStoredPreset) {
    // the stored tint (compared as text: "#ef4444" is unknown), a group's or a folder's, the swatch checked
    const std::tuple<std::optional<QString>, bool, int> rows[] = {
        {std::nullopt, false, -1}, {"#EF4444", false, 5}, {"#6B7280", true, 8}, {"#ef4444", false, -1}};
    for (const auto &[tint, isGroup, selected] : rows) {
        TintPopover popover(tint, isGroup, Qt::green, {});
        EXPECT_EQ(popover.defaultRowChecked(), !tint);
        ASSERT_EQ(popover.swatches().size(), 9);
        for (int i = 0; i < 9; ++i)
            EXPECT_EQ(popover.swatches()[i]->isSelected(), i == selected) << i;
    }
}
