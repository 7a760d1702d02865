#pragma once

#include "launcher/CircularLauncherView.h"
#include "store/AppState.h"
#include "store/ListsCodec.h"
#include "support/Entries.h"
#include "support/FakeLauncherHost.h"
#include "support/FakeWorkspace.h"
#include "support/ManualClock.h"
#include "support/Sandbox.h"

#include <QCoreApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

using entries::app, entries::group, entries::list;

// count applications named 0, 1...
inline QList<AppItem> numbered(int count) {
    QList<AppItem> items;
    for (int i = 0; i < count; ++i)
        items.append(app(QString::number(i)));
    return items;
}

// A ring view over lists written to a private HOME, with a fake desktop, a manual clock and a fake shell.
struct LauncherFixture : ::testing::Test {
    void start(const QList<AppList> &lists, int activeIndex = 0, bool soundsOn = true, double scale = 1.0) {
        view.reset();
        host = {};
        workspace.openedApplications.clear();
        sandbox.writeFile(".local/share/Ilvex/lists.json", ListsCodec::encodeLists(lists));
        sandbox.preferences().setLauncherScale(scale);
        sandbox.preferences().setActiveListIndex(activeIndex);
        sandbox.preferences().setLauncherSoundsEnabled(soundsOn);
        state = std::make_unique<AppState>(
            StoreServices{&workspace, &bookmarks, &sandbox.preferences(), sandbox.supportDirectory(), false});
        view = std::make_unique<CircularLauncherView>(state.get(), &host, nullptr, &clock);
    }
    const AppItem &item(int index) const { return state->lists()[state->safeIndex()].items[index]; }
    // To the view, or to one of its parts.
    void mouse(QEvent::Type type, QPointF at, Qt::MouseButtons buttons = Qt::LeftButton,
               QWidget *to = nullptr) {
        to = to ? to : view.get();
        QMouseEvent event(type, at, to->mapToGlobal(at),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, {});
        QCoreApplication::sendEvent(to, &event);
    }
    void click(QPointF at, QWidget *to = nullptr) {
        mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, to);
        mouse(QEvent::MouseButtonRelease, at, Qt::NoButton, to);
    }

    Sandbox sandbox;
    FakeWorkspace workspace;
    FakeBookmarks bookmarks;
    ManualClock clock;
    FakeLauncherHost host;
    std::unique_ptr<AppState> state;
    std::unique_ptr<CircularLauncherView> view;
};
