#pragma once

#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QTimer>

#include <functional>

class QMenu;
class QSystemTrayIcon;

// The tray icon: the drawn ring with six coloured dots. A left click toggles the launcher; a right click
// opens the menu, built anew in the current language every time it opens. At login the tray host may
// start after Ilvex, so while there is none yet the icon is retried every retryMs for up to retryForMs;
// without a tray at all Ilvex stays reachable through its desktop entry and the command line.
class StatusItem : public QObject {
    Q_OBJECT

  public:
    static constexpr int retryMs = 500;
    static constexpr int retryForMs = 120000;
    // How long without a tray before trayMissing() (the retries go on).
    static constexpr int missingAfterMs = 10000;

    // automaticChecks: the check mark of "Check Automatically", read whenever the menu is built.
    explicit StatusItem(std::function<bool()> automaticChecks, QObject *parent = nullptr);
    ~StatusItem() override;

    // Shown in a tray (false while it waits for one).
    bool isInTray() const;
    QSystemTrayIcon *trayIcon() const { return m_icon; }
    // The menu as it would open now.
    QMenu *menu() const { return m_menu; }
    void rebuildMenu();

    // The ring-with-six-dots icon, drawn for a square of side logical pixels at pixel ratio ratio.
    static QPixmap makeMenuBarIcon(int side, qreal ratio);

  Q_SIGNALS:
    // A left click (each click of a double click too).
    void clicked();
    // The menu's items.
    void aboutChosen();
    void checkForUpdatesChosen();
    void automaticChecksToggled();
    void feedbackChosen();
    void settingsChosen();
    void quitChosen();
    // The icon is in a tray now.
    void shownInTray();
    // No tray has appeared for missingAfterMs since the icon was made; sent once.
    void trayMissing();

  private:
    void tryShow();
    QIcon icon() const;

    std::function<bool()> m_automaticChecks;
    QSystemTrayIcon *m_icon = nullptr;
    QMenu *m_menu = nullptr;
    QTimer m_retry;
    int m_retriesLeft = 0;
    bool m_missingSent = false;
};
