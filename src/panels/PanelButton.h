#pragma once

#include <QAbstractButton>
#include <QColor>

// The manage panel's own flat buttons: a rounded (or round) face, a symbol and a label beside or under
// it, white, dimmed to 0.35 while disabled.
class PanelButton : public QAbstractButton {
  public:
    struct Look {
        QString symbol;
        double symbolSize = 15; // the symbol's font size
        double textSize = 9;
        QFont::Weight weight = QFont::Medium;
        bool stacked = true; // symbol above the label, else beside it
        QColor fill = QColor(255, 255, 255, 26);
        QColor stroke = QColor(255, 255, 255, 36);
        double radius = 8; // a radius of half the height makes a circle or capsule
        QColor dot;        // a 14-point colour dot instead of a symbol
        QMargins padding{0, 7, 0, 7};
        QColor foreground = Qt::white;
    };

    PanelButton(const QString &text, const Look &look, QWidget *parent = nullptr);
    void setDot(const QColor &dot) {
        m_look.dot = dot;
        update();
    }
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    QFont labelFont() const;
    Look m_look;
};
