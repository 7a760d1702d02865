#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>

class QPainter;

// The lifted copy of the icon being dragged: the icon on a softly breathing glow of the item's tint.
// The ring view places it at the drag point above everything else and repaints it at most 30 times a
// second while a drag runs. The blurred glow and the icon's shadow are rendered once per icon and tint.
class DraggingIconOverlay {
  public:
    static constexpr int frameIntervalMs = 1000 / 30;

    // The breathing phase, 0 to 1, at time t in seconds (a period of about 1.26 s).
    static double pulse(double seconds);
    static double glowOpacity(double seconds) { return 0.32 + 0.16 * pulse(seconds); }
    static double iconScale(double seconds) { return 1 + 0.05 * pulse(seconds); }

    // Draws the overlay centred at centre. appear (0 to 1) fades and scales it in from 0.75.
    void paint(QPainter &painter, QPointF centre, const QImage &icon, double iconSize, const QColor &tint,
               double seconds, double appear);

  private:
    void prepare(const QImage &icon, double iconSize, const QColor &tint, qreal dpr);

    qint64 m_iconKey = 0;
    double m_iconSize = 0;
    QColor m_tint;
    qreal m_dpr = 0;
    QImage m_glow;       // the blurred tint circle at full opacity
    QImage m_iconImage;  // the icon fitted into iconSize + 8
    QImage m_iconShadow; // its blurred shadow
};
