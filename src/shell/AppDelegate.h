#pragma once

#include <QObject>

// Where the launcher was summoned from: centred on the pointer's screen, or at the hot corner.
enum class LaunchSource { centered, hotCorner };
// What the "add" file dialog picks.
enum class LauncherAddKind { app, folder, file };

// The application shell. Views reach it only through shared(), a weak reference that is null when no
// shell runs (tests, --screenshot), and then do nothing.
class AppDelegate : public QObject {
    Q_OBJECT

public:
    explicit AppDelegate(QObject *parent = nullptr);
    ~AppDelegate() override;

    static AppDelegate *shared();

    // While above zero, outside clicks and Escape do not dismiss the launcher (an editor is open).
    int autoDismissSuspenders() const { return m_autoDismissSuspenders; }
    void suspendAutoDismiss() { ++m_autoDismissSuspenders; }
    void resumeAutoDismiss() { m_autoDismissSuspenders = std::max(0, m_autoDismissSuspenders - 1); }

    virtual void showLauncher(LaunchSource source);
    virtual void hideLauncher();
    virtual void toggleLauncher();
    virtual void launcherPick(LauncherAddKind kind);

Q_SIGNALS:
    // Posted before every showing of the launcher.
    void launcherWillShow();

private:
    int m_autoDismissSuspenders = 0;
};
