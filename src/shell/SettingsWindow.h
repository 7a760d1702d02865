#pragma once

#include "panels/SettingsView.h"

#include <QWidget>

class AppState;

// The one settings window: created on first use, hidden when closed and shown again; retitled in the
// current language whenever it opens and whenever the language changes.
class SettingsWindow : public QWidget {
    Q_OBJECT

  public:
    SettingsWindow(AppState *state, SettingsView::Hooks hooks, bool showsInTaskbar,
                   QWidget *parent = nullptr);

    SettingsView *view() const { return m_view; }
    static QString title();
    // Retitles it, shows it and brings it to the front.
    void present();

  protected:
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

  private:
    // ILVEX_TRACE_LAYOUT: where the controls are, as "settings:NAME".
    void traceLayout();

    SettingsView *m_view;
};

// Ilvex's own windows: in the taskbar and window switcher, or, with "Hide Dock icon", out of them.
namespace OwnWindows {
// Keeps the window's stays-on-top and minimize hints; a visible window stays visible where it was.
void setShowsInTaskbar(QWidget *window, bool shows);
// Ilvex's icon from the program itself, at any size.
QIcon applicationIcon();
// Shows, raises and activates a window.
void bringToFront(QWidget *window);
} // namespace OwnWindows
