#include "launcher/RingPainter.h"

#include "launcher/RingScene.h"
#include "views/AppIconPainter.h"
#include "views/PaintHelpers.h"
#include "views/Symbols.h"

#include <QEasingCurve>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

// Part of an entry at rest, drawn once: blitted on whole device pixels every frame.
struct RingPainter::Tile {
    QPixmap pixmap;
    QPointF offset; // the pixmap's top-left from the entry frame's, on whole device pixels
    qint64 bytes = 0;
    quint64 painted = 0; // the paint that last drew it
};

namespace {
using PaintHelpers::blurredShadow;
using PaintHelpers::withAlpha;

// Room around an entry's image for its resting shadow (blurred by 8 and 3 points lower), and around its
// capsule for the outline's antialiasing.
constexpr double shadowMargin = 12;
constexpr double capsuleMargin = 1;
// Separates the image's key from the capsule's in an entry's tile key.
constexpr QChar keySeparator = u'\x1d';
// Shadows of the disc reach this far beyond it.
constexpr double discShadowMargin = 80;
// Room on every side of the drop-slot marker for its glow.
constexpr double dropGlowRadius = 18;

// Draws an image with its top-left corner on the nearest whole device pixel when the painter only
// translates: a straight copy instead of a filtered one. Returns false when it cannot.
bool blitOnPixels(QPainter &painter, QPointF topLeft, const QPixmap &pixmap) {
    const QTransform &transform = painter.transform();
    if (transform.type() > QTransform::TxTranslate)
        return false;
    const QPointF device = transform.map(topLeft);
    const QPointF snapped(std::round(device.x()), std::round(device.y()));
    painter.save();
    painter.resetTransform();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawPixmap(snapped, pixmap);
    painter.restore();
    return true;
}

QImage discImage(const RingDiscLook &look, qreal dpr) {
    const double ring = look.ringDiameter;
    const double hole = look.holeDiameter;
    const double side = ring + 2 * discShadowMargin;
    QImage image(QSize(int(std::ceil(side * dpr)), int(std::ceil(side * dpr))),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    const QPointF c(side / 2, side / 2);
    const QRectF disc(c.x() - ring / 2, c.y() - ring / 2, ring, ring);
    QPainterPath discPath;
    discPath.addEllipse(disc);

    // The disc's two soft shadows, around the disc rather than through its translucent body.
    QImage shape(image.size(), QImage::Format_ARGB32_Premultiplied);
    shape.setDevicePixelRatio(dpr);
    shape.fill(Qt::transparent);
    {
        QPainter p(&shape);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillPath(discPath, Qt::black);
    }
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    {
        QPainterPath outside;
        outside.addRect(QRectF(0, 0, side, side));
        outside = outside.subtracted(discPath);
        p.save();
        p.setClipPath(outside);
        const auto drawShadow = [&](const QColor &color, double blur, double dy) {
            const QImage shadow = blurredShadow(shape, blur, color);
            const QSizeF size = QSizeF(shadow.size()) / dpr;
            p.drawImage(QRectF(QPointF((side - size.width()) / 2, (side - size.height()) / 2 + dy), size),
                        shadow);
        };
        drawShadow(withAlpha(look.colors.deep, 0.55), 54, 12);
        drawShadow(QColor(0, 0, 0, int(0.25 * 255)), 24, 6);
        p.restore();
    }

    // A light translucent fill stands in for the blurred material behind the disc.
    p.fillPath(discPath, QColor(235, 238, 245, int(0.16 * 255)));
    QRadialGradient body(c, ring / 2);
    const double holeStop = ring > 0 ? std::clamp(hole / ring, 0.0, 1.0) : 0;
    body.setColorAt(0, withAlpha(look.colors.primary, 0.38));
    body.setColorAt(holeStop, withAlpha(look.colors.primary, 0.38));
    body.setColorAt(1, withAlpha(look.colors.deep, 0.55));
    p.fillPath(discPath, body);
    QLinearGradient sheen(disc.topLeft(), disc.bottomRight());
    sheen.setColorAt(0, QColor(255, 255, 255, int(0.28 * 255)));
    sheen.setColorAt(1, QColor(255, 255, 255, int(0.04 * 255)));
    p.fillPath(discPath, sheen);
    QLinearGradient rim(disc.topLeft(), disc.bottomRight());
    rim.setColorAt(0, QColor(255, 255, 255, int(0.55 * 255)));
    rim.setColorAt(1, QColor(255, 255, 255, int(0.1 * 255)));
    p.setPen(QPen(QBrush(rim), 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(disc.adjusted(0.9, 0.9, -0.9, -0.9));

    if (hole > 0) {
        const QRectF holeRect(c.x() - hole / 2, c.y() - hole / 2, hole, hole);
        QRadialGradient holeFill(c, hole / 2);
        holeFill.setColorAt(0, withAlpha(look.colors.holeInner, 0.82));
        holeFill.setColorAt(1, withAlpha(look.colors.holeOuter, 0.65));
        p.setPen(Qt::NoPen);
        p.setBrush(holeFill);
        p.drawEllipse(holeRect);
        p.setPen(QPen(QColor(255, 255, 255, int(0.12 * 255)), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(holeRect.adjusted(0.75, 0.75, -0.75, -0.75));
    }
    return image;
}
} // namespace

bool RingDiscLook::operator==(const RingDiscLook &other) const {
    return colors.primary == other.colors.primary && colors.deep == other.colors.deep &&
           colors.holeInner == other.colors.holeInner && colors.holeOuter == other.colors.holeOuter &&
           sameSize(other);
}

RingPainter::RingPainter() = default;

RingPainter::~RingPainter() = default;

bool RingPainter::setDiscLook(const RingDiscLook &look, bool *recolours) {
    *recolours = false;
    if (m_discLook && !(RingDiscLook{m_discLook->colors, look.ringDiameter, look.holeDiameter} == look)) {
        m_discBefore = m_disc;
        *recolours = true;
    }
    if (m_discLook && *m_discLook == look)
        return false;
    m_discLook = std::make_unique<RingDiscLook>(look);
    m_disc = QPixmap(); // rendered at the next paint, at the screen's pixel ratio
    return true;
}

void RingPainter::keepTiles(const QSet<QString> &used) {
    QSet<QString> parts;
    for (const QString &key : used) {
        const qsizetype split = key.indexOf(keySeparator);
        parts.insert(key.left(split));
        parts.insert(key.mid(split + 1));
    }
    m_tiles.removeIf([this, &parts](const auto &entry) {
        if (parts.contains(entry.key()))
            return false;
        m_tileBytes -= entry.value()->bytes;
        return true;
    });
}

QRectF RingPainter::dropSlotBounds(QPointF at, double iconSize) {
    const double half = (iconSize + 16) / 2 + 2 * dropGlowRadius + 2;
    return {at - QPointF(half, half), QSizeF(2 * half, 2 * half)};
}

QRectF RingPainter::draggedBounds(QPointF at, double iconSize) {
    // The glow (iconSize + 46, blurred by 12) and the icon's shadow (blurred by 22, 12 lower), breathing.
    const double half = (iconSize / 2 + 46) * 1.06 + 4;
    return {at - QPointF(half, half), QSizeF(2 * half, 2 * half)};
}

void RingPainter::paintDisc(QPainter &painter, const RingScene &scene, const RingFrame &frame) {
    const qreal dpr = painter.device()->devicePixelRatioF();
    if (m_disc.isNull() || m_disc.devicePixelRatio() != dpr)
        m_disc = QPixmap::fromImage(discImage(*m_discLook, dpr));
    // While the ring grows or shrinks the rendered disc is stretched; it is rendered afresh at rest.
    const double target = frame.targetRadius;
    const double stretch = target > 0 ? scene.radius().value() / target : 1;
    auto draw = [&](const QPixmap &image, double opacity, bool copy) {
        const QSizeF size = image.deviceIndependentSize() * stretch;
        const QPointF topLeft(-size.width() / 2, -size.height() / 2);
        painter.setOpacity(opacity);
        if (std::abs(stretch - 1) < 1e-3) {
            // At rest: a 1:1 copy on whole device pixels. Onto a cleared device the disc, the bottom
            // layer, need not be blended at all.
            if (copy)
                painter.setCompositionMode(QPainter::CompositionMode_Source);
            const bool done = blitOnPixels(painter, topLeft, image);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            if (done)
                return;
        }
        painter.drawPixmap(QRectF(topLeft, size), image, QRectF(image.rect()));
    };
    if (scene.themeProgress() < 1 && !m_discBefore.isNull()) {
        static const QEasingCurve curve(QEasingCurve::InOutQuad);
        const double t = curve.valueForProgress(scene.themeProgress());
        draw(m_discBefore, 1 - t, false);
        draw(m_disc, t, false);
    } else {
        draw(m_disc, 1, frame.deviceCleared);
    }
    painter.setOpacity(1);
}

QPixmap RingPainter::dropSlotImage(double d, const QColor &primary, qreal dpr) {
    const QString key = QStringLiteral("%1|%2|%3").arg(d).arg(primary.rgba()).arg(dpr);
    if (key == m_dropSlotKey && !m_dropSlot.isNull())
        return m_dropSlot;
    // Room on every side for the glow: a shadow of the marker itself in the theme colour.
    const double glowRadius = dropGlowRadius;
    const double side = d + 4 * glowRadius;
    auto blank = [dpr](double points) {
        QImage image(QSize(int(std::ceil(points * dpr)), int(std::ceil(points * dpr))),
                     QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(dpr);
        image.fill(Qt::transparent);
        return image;
    };
    QImage marker = blank(side);
    const QRectF circle((side - d) / 2, (side - d) / 2, d, d);
    {
        QPainter p(&marker);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(withAlpha(primary, 0.16));
        p.drawEllipse(circle);
        QPen dashed(QColor(255, 255, 255, int(0.8 * 255)), 2.8);
        dashed.setDashPattern({7 / 2.8, 5 / 2.8});
        dashed.setCapStyle(Qt::FlatCap);
        dashed.setJoinStyle(Qt::MiterJoin);
        dashed.setMiterLimit(10);
        p.setPen(dashed);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(circle.adjusted(1.4, 1.4, -1.4, -1.4));
        p.setPen(QPen(withAlpha(primary, 0.7), 1.4));
        p.drawEllipse(circle.adjusted(7.7, 7.7, -7.7, -7.7));
    }
    const QImage glow = blurredShadow(marker, glowRadius, withAlpha(primary, 0.55));
    QImage image = blank(side);
    {
        QPainter p(&image);
        const QSizeF glowSize = QSizeF(glow.size()) / dpr;
        p.drawImage(QPointF((side - glowSize.width()) / 2, (side - glowSize.height()) / 2), glow);
        p.drawImage(QPointF(0, 0), marker);
    }
    m_dropSlot = QPixmap::fromImage(std::move(image));
    m_dropSlotKey = key;
    return m_dropSlot;
}

void RingPainter::paintDropSlot(QPainter &painter, const RingFrame &frame) {
    if (!frame.dropSlotAt)
        return;
    const double d = frame.iconSize + 16;
    const QPixmap marker = dropSlotImage(d, frame.subListTint, painter.device()->devicePixelRatioF());
    const QSizeF size = marker.deviceIndependentSize();
    const QPointF topLeft = *frame.dropSlotAt - QPointF(size.width() / 2, size.height() / 2);
    if (!blitOnPixels(painter, topLeft, marker))
        painter.drawPixmap(topLeft, marker);
}

QString RingPainter::tileKey(const AppItem &item, double iconSize, const QColor &subListTint) const {
    // The image: everything but the name; of a link only the favicon it may carry (else the globe).
    QStringList parts{QStringLiteral("image"),
                      item.isURL ? QString() : item.appPath,
                      item.folderTint.value_or(QString()),
                      QString::number(int(item.isFolder) | int(item.isURL) << 1 | int(item.isSubList) << 2),
                      QString::number(iconSize),
                      QString::number(subListTint.rgba(), 16)};
    if (item.isURL)
        parts.append(QString::number(m_favicons.value(item.id).cacheKey()));
    if (item.isSubList) {
        for (const AppItem &member : item.subItems.value_or(QList<AppItem>()).mid(0, 4))
            parts.append(member.appPath + u'/' +
                         QString::number(int(member.isFolder) | int(member.isURL) << 1));
    }
    QString key = parts.join(u'\x1e') + keySeparator;
    if (AppIconPainter::showsCapsule(item)) {
        key += QStringList{QStringLiteral("capsule"), item.name, QString::number(iconSize),
                           QString::number(AppIconPainter::capsuleColor(item, subListTint).rgba(), 16)}
                   .join(u'\x1e');
    }
    return key;
}

bool RingPainter::makeRoom(qint64 bytes) {
    if (m_tileBytes + bytes <= tileBudgetBytes)
        return true;
    if (m_fullInPaint == m_paintSerial)
        return false;
    // The least recently painted go, down to three quarters of the budget so that the next few tiles
    // fit without another look; none painted in this paint goes.
    QList<std::pair<quint64, QString>> old;
    for (auto it = m_tiles.cbegin(); it != m_tiles.cend(); ++it) {
        if ((*it)->painted != m_paintSerial)
            old.append({(*it)->painted, it.key()});
    }
    std::sort(old.begin(), old.end());
    for (const auto &[painted, key] : old) {
        if (m_tileBytes + bytes <= tileBudgetBytes * 3 / 4)
            break;
        m_tileBytes -= m_tiles.take(key)->bytes;
    }
    if (m_tileBytes + bytes <= tileBudgetBytes)
        return true;
    m_fullInPaint = m_paintSerial;
    return false;
}

const RingPainter::Tile *RingPainter::tile(const QString &key, const QRectF &bounds, qreal dpr,
                                           const std::function<void(QPainter &)> &draw) {
    if (auto found = m_tiles.constFind(key); found != m_tiles.cend()) {
        (*found)->painted = m_paintSerial;
        return found->get();
    }
    // Cropped to whole device pixels, so that the image and the capsule of an entry snap alike.
    const QPoint first(int(std::floor(bounds.left() * dpr)), int(std::floor(bounds.top() * dpr)));
    const QPoint last(int(std::ceil(bounds.right() * dpr)), int(std::ceil(bounds.bottom() * dpr)));
    const QSize pixels(std::max(1, last.x() - first.x()), std::max(1, last.y() - first.y()));
    const qint64 bytes = qint64(pixels.width()) * pixels.height() * 4;
    if (!makeRoom(bytes))
        return nullptr;
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    auto made = std::make_shared<Tile>();
    made->offset = QPointF(first) / dpr;
    {
        QPainter p(&image);
        p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                         QPainter::TextAntialiasing);
        p.translate(-made->offset);
        draw(p);
    }
    made->pixmap = QPixmap::fromImage(std::move(image));
    made->bytes = bytes;
    made->painted = m_paintSerial;
    m_tileBytes += bytes;
    return m_tiles.insert(key, std::move(made))->get();
}

void RingPainter::paintResting(QPainter &painter, const RingSprite &sprite, const QPointF &origin,
                               double iconSize, const QColor &subListTint, qreal dpr) {
    const AppItem &item = sprite.item;
    const qsizetype split = sprite.tileKey.indexOf(keySeparator);
    auto blit = [&](const Tile &tile) {
        if (!blitOnPixels(painter, origin + tile.offset, tile.pixmap))
            painter.drawPixmap(origin + tile.offset, tile.pixmap);
    };
    const QRectF imageRect = AppIconPainter::imageRect(item, iconSize);
    auto drawImage = [&](QPainter &p, QPointF at) {
        const QImage favicon = m_favicons.value(item.id);
        AppIconPainter::paintImage(
            p, imageRect.translated(at),
            AppIconPainter::itemPixmap(item, favicon.isNull() ? std::nullopt : std::optional<QImage>(favicon),
                                       iconSize, subListTint, dpr),
            AppIconPainter::effect(AppIconMotion{}, subListTint));
    };
    const QRectF imageBounds =
        imageRect.adjusted(-shadowMargin, -shadowMargin, shadowMargin, shadowMargin + 3);
    if (const Tile *image =
            tile(sprite.tileKey.left(split), imageBounds, dpr, [&](QPainter &p) { drawImage(p, QPointF()); }))
        blit(*image);
    else
        drawImage(painter, origin); // past the budget
    if (split < 0 || split + 1 >= sprite.tileKey.size())
        return; // no capsule
    const QRectF capsuleRect = AppIconPainter::capsuleRect(item, iconSize);
    auto drawCapsule = [&](QPainter &p, QPointF at) {
        AppIconPainter::paintCapsule(p, capsuleRect.translated(at), item, subListTint);
    };
    const QRectF capsuleBounds =
        capsuleRect.adjusted(-capsuleMargin, -capsuleMargin, capsuleMargin, capsuleMargin);
    if (const Tile *capsule = tile(sprite.tileKey.mid(split + 1), capsuleBounds, dpr,
                                   [&](QPainter &p) { drawCapsule(p, QPointF()); }))
        blit(*capsule);
    else
        drawCapsule(painter, origin);
}

void RingPainter::paintLayer(QPainter &painter, const RingScene &scene, const RingLayer &layer,
                             const RingFrame &frame) {
    const double presence = std::clamp(layer.presence.value(), 0.0, 1.0);
    if (presence <= 0)
        return;
    const qreal dpr = painter.device()->devicePixelRatioF();
    const double iconSize = frame.iconSize;
    const QColor &subListTint = frame.subListTint;
    const double pulse = (std::sin(frame.seconds * M_PI / 0.45) + 1) / 2;
    const double baseOpacity = painter.opacity();
    painter.save();
    const double layerScale = 0.75 + 0.25 * presence;
    const bool scaled = std::abs(layerScale - 1) > 1e-4;
    if (scaled)
        painter.scale(layerScale, layerScale);
    for (const QUuid &id : layer.order) {
        const RingSprite &sprite = layer.sprites[id];
        if (sprite.opacity <= 0)
            continue;
        if (frame.clip && !scaled && !scene.paintBounds(sprite).intersects(*frame.clip))
            continue; // outside the region being repainted
        painter.setOpacity(baseOpacity * presence * sprite.opacity);
        const double hover = std::clamp(sprite.hover.value(), 0.0, 1.2);
        const double drop = std::clamp(sprite.drop.value(), 0.0, 1.2);
        if (std::abs(hover) < 0.005 && std::abs(drop) < 0.005) {
            // At rest: blits of the prepared image and capsule.
            paintResting(painter, sprite, scene.entryFrame(sprite).topLeft(), iconSize, subListTint, dpr);
            continue;
        }
        // Hovered or a drop target: the growing image and its shadow change every frame.
        const QImage favicon = m_favicons.value(id);
        AppIconPainter::paintEntry(painter, scene.entryFrame(sprite), sprite.item, iconSize, subListTint,
                                   favicon.isNull() ? std::nullopt : std::optional<QImage>(favicon),
                                   AppIconMotion{hover, drop, pulse}, dpr);
    }
    painter.restore();
    painter.setOpacity(baseOpacity);
}

void RingPainter::paint(QPainter &painter, RingScene &scene, const RingFrame &frame) {
    ++m_paintSerial;
    if (const qreal dpr = painter.device()->devicePixelRatioF(); dpr != m_tileDpr) {
        m_tiles.clear(); // the window moved to a screen of another pixel ratio
        m_tileBytes = 0;
        m_tileDpr = dpr;
    }
    paintDisc(painter, scene, frame);
    paintDropSlot(painter, frame);
    const bool lifted = frame.dragged && scene.dragAppear().value() > 0.01;
    auto paintLifted = [&](DraggingIconOverlay::Parts parts) {
        m_overlay.paint(painter, frame.dragPoint, icon(*frame.dragged), frame.iconSize, frame.dragTint,
                        frame.seconds, std::clamp(scene.dragAppear().value(), 0.0, 1.0), parts);
    };
    if (lifted && frame.mergeArmed)
        paintLifted(DraggingIconOverlay::Parts::glow);
    if (const RingLayer *leaving = scene.leaving())
        paintLayer(painter, scene, *leaving, frame);
    paintLayer(painter, scene, scene.layer(), frame);
    scene.label().paint(painter);
    if (lifted)
        paintLifted(frame.mergeArmed ? DraggingIconOverlay::Parts::icon : DraggingIconOverlay::Parts::all);
}

QImage RingPainter::icon(const AppItem &item) const {
    const qreal side = 256;
    if (item.isURL) {
        const QImage favicon = m_favicons.value(item.id);
        if (!favicon.isNull())
            return favicon;
    }
    // The same image for the same look, so that the dragged copy's blurred glow and shadow stay cached.
    const QString key = item.isSubList ? QStringLiteral("group")
                        : item.isURL   ? QStringLiteral("link")
                                       : QString::number(int(item.isFolder)) + u'|' + item.appPath;
    if (auto found = m_icons.constFind(key); found != m_icons.cend())
        return *found;
    QImage image;
    if (item.isSubList)
        image = Symbols::image(QStringLiteral("circle.grid.2x2.fill"), side, Qt::white);
    else if (item.isURL)
        image = Symbols::image(QStringLiteral("globe"), side, Qt::white);
    else
        image = AppIconPainter::baseIcon(item, std::nullopt, side, 1.0);
    if (m_icons.size() > 64)
        m_icons.clear();
    m_icons.insert(key, image);
    return image;
}
