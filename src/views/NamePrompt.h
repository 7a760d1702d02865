#pragma once

#include "views/AutoDismissGuard.h"

#include <QColor>
#include <QDialog>

#include <functional>
#include <optional>

class QLineEdit;
class QPushButton;

// The launcher's one text prompt ("Name the new group", "Rename group"): a title, a one-line field with
// the placeholder "Name", OK and Cancel, on a dark translucent card in the ring's fonts. Enter is OK,
// Escape is Cancel; OK hands over the text as typed. The launcher stays up while it is open, as it does
// for the other editors.
class NamePrompt : public QDialog {
    Q_OBJECT

  public:
    // accent: the colour of the OK button (the ring passes its theme colour).
    // host: the launcher held open while the prompt shows; none holds nothing.
    NamePrompt(const QString &title, const QString &text, std::function<void(const QString &)> onAccept,
               QWidget *parent = nullptr, const QColor &accent = QColor(), ViewHost *host = nullptr);

    QLineEdit *field() const { return m_field; }
    // Opens a prompt that deletes itself when closed.
    static NamePrompt *open(const QString &title, const QString &text,
                            std::function<void(const QString &)> onAccept, QWidget *parent = nullptr,
                            const QColor &accent = QColor(), ViewHost *host = nullptr);
    // Asks and waits: the text on OK, nothing on Cancel or any other way of closing.
    static std::optional<QString> ask(const QString &title, const QString &text, QWidget *parent = nullptr,
                                      const QColor &accent = QColor(), ViewHost *host = nullptr);

  protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

  private:
    QLineEdit *m_field;
    QPushButton *m_ok;
    AutoDismissGuard m_guard;
};
