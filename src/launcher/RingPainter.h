#pragma once

#include "launcher/DraggingIconOverlay.h"
#include "store/Types.h"

#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QRectF>
#include <QSet>
#include <QString>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

class QPainter;
class RingScene;
struct RingLayer;
struct RingSprite;

// What the ring's disc looks like: the theme's colours and its two diameters.
struct RingDiscLook {
    ListThemeColors colors;
    double ringDiameter = 0;
    double holeDiameter = 0;
    bool sameSize(const RingDiscLook &other) const {
        return ringDiameter == other.ringDiameter && holeDiameter == other.holeDiameter;
    }
    bool operator==(const RingDiscLook &other) const;
};

// What one frame shows beyond the scene: ring coordinates throughout.
struct RingFrame {
    double iconSize = 87;
    QColor subListTint;
    double targetRadius = 0;           // the ring's radius at rest: the disc is stretched until then
    std::optional<QPointF> dropSlotAt; // the empty slot a drag would drop into
    std::optional<AppItem> dragged;    // the lifted entry, drawn at dragPoint in dragTint
    QColor dragTint;
    QPointF dragPoint;
    bool mergeArmed = false;    // the lifted copy's glow goes under the entries, so the target's shows
    double seconds = 0;         // the breathing clock of drop targets and the dragged copy
    bool deviceCleared = true;  // the target holds transparent pixels: the disc is copied
    std::optional<QRectF> clip; // only what meets it is drawn; none draws everything
};

// Draws the ring: the translucent disc with its shadows, the entries, the drop slot, the hover label and
// the dragged copy. What does not change from frame to frame (the disc, each resting entry with its
// shadow and name capsule, the drop-slot marker) is rendered once into pixmaps keyed by everything it
// depends on, so an animation frame is mostly blits on whole device pixels.
//
// A resting entry is two tiles, each cropped to what it paints at the pixel ratio painted: its image with
// the shadow, shared by every entry that looks the same (entries of one path, links with one favicon),
// and its name capsule, when it has one. So a list of thousands costs a capsule per entry, not an image.
// Tiles are made only for entries painted and kept within a budget of bytes, the least recently painted
// going first; what the budget cannot hold in one frame is drawn afresh rather than evicted and remade.
class RingPainter {
  public:
    static constexpr qint64 tileBudgetBytes = 32 * 1024 * 1024;

    RingPainter();
    ~RingPainter();

    // Takes the disc's look; returns true when it changed. recolours tells whether its colours did (the
    // disc then cross-fades from the old one).
    bool setDiscLook(const RingDiscLook &look, bool *recolours);
    // The loaded favicon of a link entry, by entry id; a null image marks one asked for.
    QHash<QUuid, QImage> &favicons() { return m_favicons; }
    // Everything the resting entry's pixels depend on: its image's key and its capsule's.
    QString tileKey(const AppItem &item, double iconSize, const QColor &subListTint) const;
    // Drops the tiles of entries no longer shown.
    void keepTiles(const QSet<QString> &used);
    // What the resting entries' pixmaps take now, and how many there are.
    qint64 tileBytes() const { return m_tileBytes; }
    qsizetype tileCount() const { return m_tiles.size(); }
    // The entry's bare image, as the dragged copy shows it.
    QImage icon(const AppItem &item) const;

    void paint(QPainter &painter, RingScene &scene, const RingFrame &frame);
    // Where the drop-slot marker and the dragged copy may paint, centred on their points.
    static QRectF dropSlotBounds(QPointF at, double iconSize);
    static QRectF draggedBounds(QPointF at, double iconSize);

  private:
    struct Tile;

    void paintDisc(QPainter &painter, const RingScene &scene, const RingFrame &frame);
    void paintDropSlot(QPainter &painter, const RingFrame &frame);
    void paintLayer(QPainter &painter, const RingScene &scene, const RingLayer &layer,
                    const RingFrame &frame);
    // The tile under key, made now of what draw paints within bounds (in the entry's frame) if the
    // budget allows; nullptr when it does not.
    const Tile *tile(const QString &key, const QRectF &bounds, qreal dpr,
                     const std::function<void(QPainter &)> &draw);
    bool makeRoom(qint64 bytes);
    void paintResting(QPainter &painter, const RingSprite &sprite, const QPointF &origin, double iconSize,
                      const QColor &subListTint, qreal dpr);
    QPixmap dropSlotImage(double diameter, const QColor &primary, qreal dpr);

    QHash<QUuid, QImage> m_favicons;
    QHash<QString, std::shared_ptr<Tile>> m_tiles;
    qint64 m_tileBytes = 0;
    qreal m_tileDpr = 0;                    // the pixel ratio of every tile
    quint64 m_paintSerial = 0;              // counts paints: when each tile was last painted
    quint64 m_fullInPaint = ~quint64(0);    // the paint in which no more room could be made
    mutable QHash<QString, QImage> m_icons; // icon() by look, so the dragged copy keeps its caches
    QPixmap m_dropSlot;
    QString m_dropSlotKey;
    std::unique_ptr<RingDiscLook> m_discLook;
    QPixmap m_disc, m_discBefore; // the disc now, and the one it is cross-fading from
    DraggingIconOverlay m_overlay;
};
