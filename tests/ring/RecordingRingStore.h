#pragma once

#include "ring/RingDrag.h"

#include <QStringList>

// The ring's content in memory; every store operation the drag calls is recorded by item names.
class RecordingRingStore : public RingDragStore {
  public:
    QList<AppItem> items;
    int lists = 1;
    std::optional<QUuid> openGroup;
    double maxRadius = 434;
    double scale = 1.0;
    bool sounds = true;
    bool refuseMerge = false;
    QStringList calls;

    static AppItem item(const QString &name, bool group = false) {
        AppItem it;
        it.id = QUuid::createUuid();
        it.name = name;
        it.isSubList = group;
        if (group)
            it.subItems = QList<AppItem>{};
        return it;
    }
    // Plain items named A, B, C...; the names in groupNames are groups.
    void fill(int count, const QString &groupNames = {}) {
        items.clear();
        for (int i = 0; i < count; ++i) {
            const QString name(QChar(u'A' + i));
            items.append(item(name, groupNames.contains(name)));
        }
    }
    QString nameOf(const QUuid &id) const {
        for (const AppItem &it : items) {
            if (it.id == id)
                return it.name;
        }
        return QStringLiteral("?");
    }
    const AppItem &named(const QString &name) const {
        return *std::find_if(items.cbegin(), items.cend(),
                             [&](const AppItem &it) { return it.name == name; });
    }
    static QString names(const QList<AppItem> &list) {
        QString text;
        for (const AppItem &it : list)
            text += it.name;
        return text;
    }

    QList<AppItem> currentItems() const override { return items; }
    int listCount() const override { return lists; }
    std::optional<QUuid> openSubListID() const override { return openGroup; }
    double launcherMaxRadius() const override { return maxRadius; }
    double launcherScale() const override { return scale; }
    bool soundsEnabled() const override { return sounds; }

    void moveItemToSubList(const QUuid &itemID, const QUuid &subListID) override {
        calls << QStringLiteral("moveItemToSubList %1 %2").arg(nameOf(itemID), nameOf(subListID));
    }
    std::optional<QUuid> mergeIntoNewGroup(const QUuid &targetID, const QUuid &draggedID) override {
        calls << QStringLiteral("mergeIntoNewGroup %1 %2").arg(nameOf(targetID), nameOf(draggedID));
        return refuseMerge ? std::nullopt : std::optional<QUuid>(QUuid::createUuid());
    }
    bool withCurrentItems(const std::function<void(QList<AppItem> &)> &change) override {
        calls << QStringLiteral("withCurrentItems");
        if (lists == 0)
            return false;
        change(items);
        return true;
    }
    bool save() override {
        calls << QStringLiteral("save");
        return true;
    }
};
