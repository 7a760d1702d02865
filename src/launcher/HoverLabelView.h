#pragma once

#include <QFont>
#include <QHash>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QUuid>

#include <optional>

class QPainter;

// The name of the hovered icon in a small dark capsule just above it. Painted by the ring view above the
// icons; it never takes clicks. It fades and scales in from 0.9, fades out the same way, and glides from
// one icon to the next over 0.12 s. The capsule with its shadow is rendered once per name and scale.
class HoverLabelView {
  public:
    static constexpr double transitionSeconds = 0.12;

    struct Inputs {
        std::optional<QString> name;
        std::optional<QUuid> hoveredID;
        QHash<QUuid, QPointF> positions; // ring-relative icon centres
        double iconSize = 87;
        double scale = 1;
        bool enabled = true;
        QRectF avoid; // ring-relative: a panel over the ring; a label that would go under it moves right
    };

    // Where the label's centre goes for an icon centred at iconCentre: 15·scale above the icon's tile.
    static QPointF anchor(QPointF iconCentre, double iconSize, double scale);
    // Size of the capsule for a name, in points.
    static QSizeF capsuleSize(const QString &name, double scale);
    // Text size in logical pixels, and the semibold system font of (about) that size.
    static double fontSize(double scale) { return 13 * scale; }
    static QFont font(double scale);

    // Takes the current inputs; returns true when something drawn changed.
    bool update(const Inputs &inputs);
    // Advances the transitions by dt seconds; returns true while anything still moves.
    bool step(double dt);
    void finish();
    bool isVisible() const { return m_visibility > 0; }
    QPointF position() const;
    // Everything the label may paint now (capsule and shadow), ring-relative.
    QRectF bounds() const;

    // Draws the label; positions are ring-relative, painter's origin at the ring centre.
    void paint(QPainter &painter);

  private:
    void render(qreal dpr);

    bool m_shown = false;
    QString m_text;
    double m_scale = 1;
    std::optional<QUuid> m_id;
    double m_visibility = 0; // 0 hidden .. 1 shown
    QPointF m_from, m_to;
    double m_moveProgress = 1;

    QImage m_image; // the capsule with its shadow
    QString m_imageText;
    double m_imageScale = 0;
    qreal m_imageDpr = 0;
    QPointF m_imageOffset; // capsule centre inside m_image
};
