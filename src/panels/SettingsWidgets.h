#pragma once

#include <QLabel>
#include <QPalette>
#include <QPushButton>

#include <functional>

class QCheckBox;

// The pieces the settings window is made of: white text at a few opacities on the blue gradient, the
// tinted toggles, the key badge and the buttons with a symbol before their label.
namespace SettingsWidgets {

// The toggles' and slider's tint.
QColor tint();
// White text on the gradient; the check boxes' marks and the slider in the tint.
QPalette palette();
// For the language picker and its list: white on the window's blue.
QPalette popupPalette();

QLabel *label(int pixelSize, QFont::Weight weight, double opacity, QWidget *parent);
// An upper-cased 11-point title; texts gets the function that sets it again in another language.
QLabel *sectionLabel(QString (*text)(), QList<std::function<void()>> &texts, QWidget *parent);
QWidget *divider(QWidget *parent);
// A 12-point symbol, white at opacity 0.55.
QLabel *symbol(const QString &name, QWidget *parent);
// 13-point labels for the left column, 11-point dimmer ones for the sounds toggle.
void styleToggle(QCheckBox *box, bool small);

// A fixed key combination on a rounded badge.
class KeyBadge : public QLabel {
  public:
    KeyBadge(const QString &keys, QWidget *parent);

  protected:
    void paintEvent(QPaintEvent *event) override;
};

// A push button in the shared rounded style with a symbol before its label, and a visible focus ring.
class SymbolButton : public QPushButton {
  public:
    SymbolButton(QWidget *parent);
    // Sets the label (also the accessible name), its symbol and their colour.
    void setContent(const QString &text, const QString &symbol, const QColor &color);

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    QString m_symbol;
    QColor m_color;
};

} // namespace SettingsWidgets
