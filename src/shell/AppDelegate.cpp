#include "shell/AppDelegate.h"

#include <QPointer>

namespace {
QPointer<AppDelegate> sharedDelegate;
}

AppDelegate::AppDelegate(QObject *parent) : QObject(parent) { sharedDelegate = this; }
AppDelegate::~AppDelegate() = default;
AppDelegate *AppDelegate::shared() { return sharedDelegate.data(); }

// The launcher panel, hotkey and status item replace these.
void AppDelegate::showLauncher(LaunchSource) {}
void AppDelegate::hideLauncher() {}
void AppDelegate::toggleLauncher() {}
void AppDelegate::launcherPick(LauncherAddKind) {}
