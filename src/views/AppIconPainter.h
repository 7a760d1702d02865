#pragma once

#include "store/Types.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QRectF>

#include <optional>

class QPainter;

// What one entry looks like in a given state: scale of the image and its shadow.
struct AppIconEffect {
    qreal scale = 1.0;
    QColor shadowColor;
    qreal shadowRadius = 8;
    qreal shadowYOffset = 3;
};

// Animated state of one entry, each 0…1: hovered, drop target, and the breathing of the drop glow.
struct AppIconMotion {
    qreal hover = 0;
    qreal drop = 0;
    qreal pulse = 0;
};

// Draws one launcher entry: its image (application or file icon, tinted folder, favicon, group glyph),
// the name capsule and the hover and drop-target effects. Stateless; the ring paints many entries per
// frame with it, so the images are cached pixmaps keyed by everything they depend on, at the device
// pixel ratio of the target.
//
// Frame layout (width iconSize + 26): the image (side iconSize − 10) and, for folders, groups and plain
// files, the name capsule 8 below it, stacked and centred vertically in a frame of height iconSize + 38
// (iconSize + 26 without a capsule).
class AppIconPainter {
  public:
    static constexpr qreal imageInset = 10;
    static constexpr qreal frameExtraWidth = 26;
    static constexpr qreal capsuleFrameExtraHeight = 38;
    static constexpr qreal stackSpacing = 8;
    static constexpr qreal faviconCornerRadius = 18;

    // The tint of anything without a preset: the blue theme's primary colour.
    static QColor defaultTint();
    static QColor groupTint(const AppItem &item, const QColor &subListTint);
    static QColor capsuleColor(const AppItem &item, const QColor &subListTint);
    static bool isApplication(const AppItem &item);
    static bool showsCapsule(const AppItem &item);

    static QSizeF frameSize(const AppItem &item, qreal iconSize);
    static QRectF imageRect(const AppItem &item, qreal iconSize);   // in frame coordinates
    static QRectF capsuleRect(const AppItem &item, qreal iconSize); // empty when there is none
    static QFont capsuleFont();

    // The entry's image in a square of side iconSize − 10: cached.
    static QPixmap itemPixmap(const AppItem &item, const std::optional<QImage> &favicon, qreal iconSize,
                              const QColor &subListTint, qreal devicePixelRatio);
    // The same image, uncached.
    static QImage renderItemImage(const AppItem &item, const std::optional<QImage> &favicon, qreal side,
                                  const QColor &subListTint, qreal devicePixelRatio);
    // The bare icon of a non-group entry; `mini` is the look of a member inside a group glyph (links
    // always show the globe, fallbacks are the filled symbols).
    static QImage baseIcon(const AppItem &item, const std::optional<QImage> &favicon, qreal side,
                           qreal devicePixelRatio, bool mini = false);
    static QImage groupGlyph(const AppItem &group, qreal side, const QColor &tint, qreal devicePixelRatio);
    // Hue rotation (degrees) followed by a saturation factor, the usual colour-matrix way.
    static QImage recoloured(const QImage &image, qreal hueDegrees, qreal saturation);

    static AppIconEffect effect(const AppIconMotion &motion, const QColor &subListTint);
    // Shadow, then the image scaled about its centre.
    static void paintImage(QPainter &painter, const QRectF &imageRect, const QPixmap &image,
                           const AppIconEffect &effect);
    static void paintCapsule(QPainter &painter, const QRectF &capsuleRect, const AppItem &item,
                             const QColor &subListTint);
    // The whole entry into its frame rectangle.
    static void paintEntry(QPainter &painter, const QRectF &frame, const AppItem &item, qreal iconSize,
                           const QColor &subListTint, const std::optional<QImage> &favicon,
                           const AppIconMotion &motion, qreal devicePixelRatio);
};
