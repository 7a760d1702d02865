#pragma once

#include <QAbstractButton>
#include <QColor>

#include <functional>

// A round colour button: the colour, a faint edge, a white selection ring inside the edge and, if
// asked, a check mark on the selected dot.
class SwatchDot : public QAbstractButton {
    Q_OBJECT

  public:
    SwatchDot(const QColor &color, bool selected, qreal diameter, bool showCheck,
              std::function<void()> action = {}, QWidget *parent = nullptr);

    QColor color() const { return m_color; }
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);
    qreal diameter() const { return m_diameter; }

    // Width of the white selection ring: max(diameter × 0.115, 2.5) when selected, 0 otherwise.
    static qreal ringWidth(qreal diameter, bool selected);
    // Draws a dot into rect (its diameter is the smaller side); `edgeColor` is the primary text colour.
    static void paint(QPainter &painter, const QRectF &rect, const QColor &color, bool selected,
                      bool showCheck, const QColor &edgeColor);

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    QColor m_color;
    bool m_selected;
    qreal m_diameter;
    bool m_showCheck;
};
