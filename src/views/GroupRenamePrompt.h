#pragma once

#include "views/AutoDismissGuard.h"

#include <QDialog>

#include <functional>

class QLineEdit;

// "Rename group": a one-line field holding the group's name, OK and Cancel. OK hands over the text as
// typed. It holds its host's launcher open while shown, as the other editors do.
class GroupRenamePrompt : public QDialog {
    Q_OBJECT

  public:
    GroupRenamePrompt(const QString &name, std::function<void(const QString &)> onRename,
                      ViewHost *host = nullptr, QWidget *parent = nullptr);

    QLineEdit *field() const { return m_field; }
    // Opens a prompt that deletes itself when closed.
    static GroupRenamePrompt *open(const QString &name, std::function<void(const QString &)> onRename,
                                   ViewHost *host = nullptr, QWidget *parent = nullptr);

  protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

  private:
    QLineEdit *m_field;
    AutoDismissGuard m_guard;
};
