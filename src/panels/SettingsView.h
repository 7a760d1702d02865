#pragma once

#include <QByteArray>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

class AppState;
class QCheckBox;
class QComboBox;
class QLabel;
class QMessageBox;
class QPushButton;
class QSlider;
class QVBoxLayout;

// The settings: which of the tray icon and the taskbar presence are shown, login at startup, the hot
// corner, launcher sounds, size and language, and the backup tools (export and import of all lists, save
// and restore of the current list's order). A view over the store and its preferences: every control
// writes its preference at once and follows it, whoever changes it; what a preference does to the
// desktop is the shell's business. Texts are rebuilt whenever the language changes.
class SettingsView : public QWidget {
    Q_OBJECT

  public:
    static constexpr int contentWidth = 440;
    static constexpr int savedFeedbackMs = 1800;

    struct Hooks {
        std::function<void()> playSound; // the "saved" and "restored" sound
    };

    SettingsView(AppState *state, Hooks hooks = {}, QWidget *parent = nullptr);

    // The percentage beside the size slider: 0.95 gives "95%".
    static QString percentText(double scale);
    // The slider position (0 … 12) of a stored size, clamped to the slider's range.
    static int sliderPosition(double scale);

    // What the buttons run after their dialogs.
    void exportTo(const QString &path);
    // Reads and checks the file; a readable one waits for the user's choice (the question opens).
    void importFrom(const QString &path);
    // The choice asked before an import; none while no readable file waits.
    QMessageBox *importChoice() const;
    // The alert shown after a failed import or export; none while no alert shows.
    QMessageBox *alert() const;

    // The check box of a preference, by the preference's name ("showInMenuBar").
    QCheckBox *toggle(const QString &name) const;
    QSlider *sizeSlider() const { return m_size; }
    QLabel *sizePercent() const { return m_percent; }
    QComboBox *languagePicker() const { return m_language; }
    QPushButton *saveButton() const { return m_save; }
    QPushButton *restoreButton() const { return m_restore; }
    bool snapshotSaved() const { return m_snapshotSaved; }

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    QLayout *buildGeneralSection();
    QLayout *buildBackupSection();
    void retranslate();
    void refreshPreferences();
    void refreshBackup();
    void chooseExportFile();
    void chooseImportFile();
    void askImportChoice(const QByteArray &document);
    void showAlert(const QString &title, const QString &message);
    void saveOrder();

    AppState *m_state;
    Hooks m_hooks;
    bool m_snapshotSaved = false;
    QTimer m_savedReset;
    QPointer<QMessageBox> m_importChoice;
    QPointer<QMessageBox> m_alert;

    // Sets every text again in the current language.
    QList<std::function<void()>> m_texts;
    QLabel *m_percent = nullptr;
    QSlider *m_size = nullptr;
    QComboBox *m_language = nullptr;
    QPushButton *m_export = nullptr;
    QPushButton *m_import = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_restore = nullptr;
    // The launcher's keys below the backup tools, made again in each language.
    QVBoxLayout *m_keys = nullptr;
};
