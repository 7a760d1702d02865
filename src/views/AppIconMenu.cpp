#include "views/AppIconMenu.h"

#include "l10n/L.h"
#include "views/AppIconPainter.h"
#include "views/IlvexButtonStyle.h"
#include "views/Symbols.h"

#include <QMenu>

namespace {
QAction *addEntry(QMenu *menu, const QString &text, const QString &symbol, std::function<void()> handler) {
    QAction *action =
        menu->addAction(Symbols::icon(symbol, menu->palette().color(QPalette::WindowText)), text);
    QObject::connect(action, &QAction::triggered, menu, [handler = std::move(handler)] {
        if (handler)
            handler();
    });
    return action;
}
} // namespace

QString AppIconMenu::openSymbol(const AppItem &item) {
    if (item.isSubList)
        return QStringLiteral("circle.grid.2x2");
    if (item.isURL)
        return QStringLiteral("globe");
    if (item.isFolder)
        return QStringLiteral("folder");
    if (AppIconPainter::isApplication(item))
        return QStringLiteral("arrow.up.forward.app");
    return QStringLiteral("doc");
}

QMenu *AppIconMenu::build(const AppItem &item, const QList<MoveDestination> &destinations,
                          const AppIconMenuHandlers &handlers, QWidget *parent) {
    auto *menu = new QMenu(parent);
    addEntry(menu, L::open(), openSymbol(item), handlers.open);
    if (item.isSubList) {
        addEntry(menu, L::renameEllipsis(), QStringLiteral("pencil"), handlers.rename);
        addEntry(menu, L::groupColor(), QStringLiteral("paintpalette"), handlers.pickColor);
    }
    if (!destinations.isEmpty()) {
        QMenu *moveMenu = menu->addMenu(L::moveTo());
        auto addDestinations = [&](bool groups) {
            for (const MoveDestination &destination : destinations) {
                if (destination.isGroup != groups)
                    continue;
                addEntry(moveMenu, destination.label,
                         groups ? QStringLiteral("circle.grid.2x2") : QStringLiteral("circle"),
                         [move = handlers.moveTo, destination] {
                             if (move)
                                 move(destination);
                         });
            }
        };
        addDestinations(false);
        if (std::any_of(destinations.begin(), destinations.end(), [](const auto &d) { return d.isGroup; })) {
            moveMenu->addSeparator();
            addDestinations(true);
        }
    }
    if (item.isFolder) {
        menu->addSeparator();
        addEntry(menu, L::folderColor(), QStringLiteral("paintpalette"), handlers.pickColor);
    }
    menu->addSeparator();
    QAction *remove = addEntry(menu, L::removeFromLauncher(), QStringLiteral("trash"), handlers.remove);
    remove->setIcon(Symbols::icon(QStringLiteral("trash"), IlvexDestructiveButtonStyle::systemRed()));
    remove->setProperty("destructive", true);
    // A group is removed only once it is empty, so no entry is lost by accident.
    remove->setEnabled(!(item.isSubList && item.subItems && !item.subItems->isEmpty()));
    return menu;
}
