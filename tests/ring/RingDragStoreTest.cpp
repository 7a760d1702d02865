// The drag against the real store: what a drop leaves in the lists and in the lists file.
#include "ring/Clock.h"
#include "ring/RingDrag.h"
#include "settings/Preferences.h"
#include "store/AppState.h"
#include "support/FakeWorkspace.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

namespace {

class RingDragStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        state.withCurrentItems([](QList<AppItem> &items) {
            items.clear();
            for (const char *name : {"Alpha", "Bravo", "Charlie", "Delta", "Echo"}) {
                AppItem item;
                item.id = QUuid::createUuid();
                item.name = QLatin1String(name);
                item.appPath = QStringLiteral("/usr/share/applications/%1.desktop").arg(item.name);
                items.append(item);
            }
        });
        state.save();
    }

    QPointF slot(int index) const { return drag.geometry().iconPosition(index); }
    void dragOnto(int from, QPointF iconCentre, qint64 holdMs) {
        drag.press(state.currentItems()[from].id, from, slot(from));
        drag.pointerMoved(slot(from) + QPointF(6, 0));
        clock.advance(16);
        drag.pointerMoved(iconCentre + drag.grabOffset());
        clock.advance(holdMs);
    }
    QStringList names() const {
        QStringList result;
        for (const AppItem &item : state.currentItems())
            result << item.name;
        return result;
    }

    Sandbox sandbox;
    FakeWorkspace workspace;
    FakeBookmarks bookmarks;
    AppState state{StoreServices{&workspace, &bookmarks, &sandbox.preferences(), sandbox.supportDirectory()}};
    AppStateRingStore store{state};
    ManualClock clock;
    RingDrag drag{store, clock};
};

// The drag reads the store's preferences, and a hold on a neighbour groups the target with the dragged
// entry after it, in the lists file too.
TEST_F(RingDragStoreTest, HoldingOnANeighbourMakesAGroupWithThePreferencesOfTheStore) {
    sandbox.preferences().setLauncherScale(1.2);
    sandbox.preferences().setLauncherSoundsEnabled(false);
    EXPECT_DOUBLE_EQ(drag.geometry().scale(), 1.2);
    // The panel's outer radius and the drag's ring are one computation.
    EXPECT_DOUBLE_EQ(RingGeometry::forStore(state, sandbox.preferences().launcherScale()).outerRadius(),
                     drag.geometry().outerRadius());
    const QUuid alpha = state.currentItems()[0].id;
    const QUuid bravo = state.currentItems()[1].id;
    dragOnto(0, slot(1), 300);
    ASSERT_TRUE(drag.isMergeArmed());
    const RingRelease r = drag.release();
    ASSERT_EQ(r.action, RingRelease::Action::merged);
    EXPECT_FALSE(r.playSound);
    const QList<AppItem> items = state.currentItems();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0].id, *r.newGroupID);
    ASSERT_EQ(items[0].subItems->size(), 2);
    EXPECT_EQ((*items[0].subItems)[0].id, bravo);
    EXPECT_EQ((*items[0].subItems)[1].id, alpha);
    EXPECT_TRUE(Sandbox::readFile(state.listsFilePath()).contains(uuidString(*r.newGroupID).toUtf8()));
}

TEST_F(RingDragStoreTest, ShownOrderIsWrittenToTheListsFile) {
    const QPointF overDelta = slot(3) * 1.6; // outside the ring, far from every icon
    drag.press(state.currentItems()[0].id, 0, slot(0));
    drag.pointerMoved(slot(0) + QPointF(6, 0));
    for (int step = 0; step < 20; ++step) {
        clock.advance(16);
        drag.pointerMoved(overDelta + drag.grabOffset() + QPointF(step % 2 ? 8 : -8, 0));
    }
    ASSERT_TRUE(drag.liveOrder());
    int announced = 0;
    QObject::connect(&state, &AppState::listsChanged, [&announced] { ++announced; });
    EXPECT_EQ(drag.release().action, RingRelease::Action::reordered);
    EXPECT_EQ(announced, 1); // views showing the lists follow the new order
    const QStringList expected{"Bravo", "Charlie", "Delta", "Alpha", "Echo"};
    EXPECT_EQ(names(), expected);

    AppState reloaded(
        StoreServices{&workspace, &bookmarks, &sandbox.preferences(), sandbox.supportDirectory()});
    QStringList stored;
    for (const AppItem &item : reloaded.currentItems())
        stored << item.name;
    EXPECT_EQ(stored, expected);
}

} // namespace
