#pragma once

#include "launcher/LauncherHost.h"

#include <memory>

class AppState;
class QDialog;
class QWidget;

// The dialogs of the manage panel's first three tiles: the application picker, a folder or a file
// dialog. Shown without a nested event loop: what is chosen is added to the current list when the
// dialog closes, and the launcher is held open until then.
namespace AddItemsDialog {
// Shows the dialog for kind above parent and returns it; it deletes itself when it closes.
QDialog *open(AppState &state, LauncherAddKind kind, QWidget *parent, std::unique_ptr<LauncherHold> hold);
} // namespace AddItemsDialog
