#pragma once

#include "store/Types.h"

#include <QWidget>

#include <functional>
#include <optional>

class AppState;
class LauncherHost;
class QAbstractButton;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
class ListThemeSwatchRow;

// The side panel the pencil opens beside the ring: add applications, folders and files (through the
// shell's pickers), a link or a group (through a small inline form) to the current list or open group,
// and create, recolour or delete lists. Every change goes through the store; the panel keeps only its
// open form. Enter in a form's field submits it when its Add button is enabled.
class ManagePanelView : public QWidget {
    Q_OBJECT

  public:
    enum class FormKind { none, link, sub, list };

    // The close button closes the panel (close()): whoever shows it decides how it goes.
    ManagePanelView(AppState *state, LauncherHost *host, double width, QWidget *parent = nullptr);

    // "Add to group “…”", "Add to “…”", or "Add" without lists.
    QString contextLabel() const;
    // Groups are one level deep: no group inside an open group.
    bool canAddSub() const;
    FormKind form() const { return m_form; }
    void openForm(FormKind kind);
    void closeForm();
    // True when the open form's Add button takes clicks.
    bool addEnabled() const;
    // Adds what the open form holds (when enabled) and closes it.
    void submit();

    QAbstractButton *tile(int index) const { return m_tiles.value(index); }
    QAbstractButton *newListButton() const { return m_newList; }
    QAbstractButton *deleteListButton() const { return m_deleteList; }
    QPushButton *addButton() const { return m_add; }
    QLineEdit *nameField() const { return m_nameField; }
    QLineEdit *urlField() const { return m_urlField; }
    void setShowColorPicker(bool show);
    void setNewGroupTint(const std::optional<QString> &tint);

  protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

  private:
    void refresh();
    void buildForm();
    void relayout();
    void fitHeight();
    void trace();
    QLineEdit *formField(const QString &placeholder);
    void keepDraft();

    AppState *m_state;
    LauncherHost *m_host;
    FormKind m_form = FormKind::none;
    ListTheme m_newListTheme = ListTheme::blue;
    std::optional<QString> m_newGroupTint;
    bool m_showColorPicker = false;

    QLabel *m_context = nullptr;
    QList<QAbstractButton *> m_tiles;
    QAbstractButton *m_colourButton = nullptr;
    QAbstractButton *m_newList = nullptr;
    QAbstractButton *m_deleteList = nullptr;
    ListThemeSwatchRow *m_themeRow = nullptr;
    QWidget *m_formBox = nullptr;
    QVBoxLayout *m_formLayout = nullptr;
    QLineEdit *m_nameField = nullptr;
    QLineEdit *m_urlField = nullptr;
    QPushButton *m_add = nullptr;
    QWidget *m_tintRow = nullptr;
};
