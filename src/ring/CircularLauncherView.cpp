#include "ring/CircularLauncherView.h"

#include "favicons/FaviconCache.h"
#include "l10n/L.h"
#include "ring/RingGeometry.h"
#include "shell/AppDelegate.h"
#include "shell/LauncherSound.h"
#include "store/AppState.h"
#include "settings/Preferences.h"
#include "views/AppIconMenu.h"
#include "views/AppIconPainter.h"
#include "views/GroupRenamePrompt.h"
#include "views/Symbols.h"
#include "views/TintPopover.h"

#include <QContextMenuEvent>
#include <QEasingCurve>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>

#include <cmath>

// One entry on the ring: where it is drawn, moved by springs.
struct CircularLauncherView::Sprite {
    AppItem item;
    QString tileKey; // its resting look, in m_tiles
    Spring x{0.26, 0.72};
    Spring y{0.26, 0.72};
    Spring hover{0.18, 0.65};
    Spring drop{0.16, 0.6};
    double opacity = 1;       // 0 while the entry is the one being dragged (the overlay shows it)
    double opacityTarget = 1; // eased over 0.08 s
};

// One ring's content (a list or an open group). Switching content lets the old layer shrink and fade
// while the new one grows in.
struct CircularLauncherView::Layer {
    QString identity;
    QList<QUuid> order;
    QHash<QUuid, Sprite> sprites;
    Spring presence{0.32, 0.78};
};

struct CircularLauncherView::DiscLook {
    ListThemeColors colors;
    double ringDiameter = 0;
    double holeDiameter = 0;
    bool operator==(const DiscLook &other) const {
        return colors.primary == other.colors.primary && colors.deep == other.colors.deep &&
               colors.holeInner == other.colors.holeInner && colors.holeOuter == other.colors.holeOuter &&
               ringDiameter == other.ringDiameter && holeDiameter == other.holeDiameter;
    }
};

// An entry at rest, drawn once: blitted on whole device pixels every frame.
struct CircularLauncherView::Tile {
    QPixmap pixmap;
    QPointF imageCentre; // where the entry's image is centred in the pixmap, in points
};

namespace {
constexpr double entryFadeSeconds = 0.08;
constexpr int frameIntervalMs = 16;
// Room around an entry's frame for its shadow.
constexpr double tileMargin = 24;
// Shadows of the disc reach this far beyond it.
constexpr double discShadowMargin = 80;

QColor withAlpha(QColor color, double alpha) {
    color.setAlphaF(float(alpha));
    return color;
}

bool settled(const Spring &spring) {
    return spring.isSettled(0.05);
}

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
} // namespace

CircularLauncherView::CircularLauncherView(AppState *state, std::function<void()> onDismiss, QWidget *parent,
                                           Clock *clock)
    : QWidget(parent), m_state(state), m_onDismiss(std::move(onDismiss)), m_playSound(&LauncherSound::play),
      m_ownClock(clock ? nullptr : std::make_unique<SystemClock>()), m_clock(clock ? *clock : *m_ownClock),
      m_ringStore(*state), m_drag(m_ringStore, m_clock), m_layer(std::make_unique<Layer>()),
      m_capsuleClick([this](int delayMs, std::function<void()> task) {
          m_clock.schedule(delayMs, this, std::move(task));
      }) {
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    const double side = RingGeometry::panelSide(RingGeometry::effectiveScale(m_state->preferences().launcherScale()));
    setFixedSize(qRound(side), qRound(side));

    m_frameTimer.setInterval(frameIntervalMs);
    m_frameTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_frameTimer, &QTimer::timeout, this, &CircularLauncherView::frameTick);
    m_pulseClock.start();

    for (auto signal :
         {&AppState::listsChanged, &AppState::activeListIndexChanged, &AppState::openSubListIDChanged})
        connect(m_state, signal, this, &CircularLauncherView::sync);
    // The ceiling changes as the panel is shown on a screen: the ring takes its size at once instead of
    // growing or shrinking while it fades in.
    connect(m_state, &AppState::launcherMaxRadiusChanged, this, [this] {
        sync();
        m_radius.reset(m_radius.target());
        for (Sprite &sprite : m_layer->sprites) {
            sprite.x.reset(sprite.x.target());
            sprite.y.reset(sprite.y.target());
        }
    });
    connect(&m_drag, &RingDrag::changed, this, &CircularLauncherView::sync);
    connect(&m_hover, &HoverModel::changed, this, &CircularLauncherView::sync);
    m_promptGroupName = [this](const QUuid &) -> std::optional<QString> {
        QInputDialog dialog(this);
        dialog.setWindowTitle(L::nameNewGroup());
        dialog.setLabelText(L::nameNewGroup());
        dialog.setTextValue(L::defaultGroupName());
        dialog.setOkButtonText(QStringLiteral("OK"));
        dialog.setCancelButtonText(L::cancel());
        if (auto *edit = dialog.findChild<QLineEdit *>())
            edit->setPlaceholderText(L::name());
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.textValue();
    };
    sync();
    finishAnimations();
}

CircularLauncherView::~CircularLauncherView() = default;

QString CircularLauncherView::ringIdentity() const {
    const auto group = m_state->openSubListID();
    return QString::number(m_state->activeListIndex()) + u'-' +
           (group ? uuidString(*group) : QStringLiteral("main"));
}

QList<AppItem> CircularLauncherView::displayedItems() const {
    return m_drag.isDragging() ? m_drag.displayedOrder() : m_state->currentItems();
}

void CircularLauncherView::sync() {
    // A changed size preference takes effect at the next showing.
    const double side = RingGeometry::panelSide(RingGeometry::effectiveScale(m_state->preferences().launcherScale()));
    if (qRound(side) != width())
        setFixedSize(qRound(side), qRound(side));

    const QList<AppItem> items = displayedItems();
    const RingGeometry geometry = RingGeometry::forStore(*m_state, m_state->preferences().launcherScale(), int(items.size()));
    const QString identity = ringIdentity();

    if (identity != m_layer->identity) {
        if (!m_layer->identity.isEmpty()) {
            m_leaving = std::move(m_layer);
            m_leaving->presence.setTarget(0);
            m_layer = std::make_unique<Layer>();
            m_layer->presence.reset(0);
            m_layer->presence.setTarget(1);
        } else {
            m_layer->presence.reset(1);
        }
        m_layer->identity = identity;
        // A list switch recolours over 0.35 s, opening or closing a group over 0.3 s.
        m_themeSeconds = m_state->activeListIndex() != m_lastListIndex ? 0.35 : 0.3;
        m_lastListIndex = m_state->activeListIndex();
    }

    QHash<QUuid, Sprite> sprites;
    QList<QUuid> order;
    const auto dragging = m_drag.draggingID();
    const auto targetGroup = m_drag.dropTargetGroupID();
    const auto targetItem = m_drag.dropTargetItemID();
    const QColor subListTint = ::colors(m_state->currentTheme()).primary;
    for (int i = 0; i < items.size(); ++i) {
        const AppItem &item = items[i];
        const QPointF at = geometry.iconPosition(i);
        Sprite sprite;
        if (auto existing = m_layer->sprites.constFind(item.id); existing != m_layer->sprites.cend()) {
            sprite = *existing;
        } else {
            sprite.x.reset(at.x());
            sprite.y.reset(at.y());
        }
        sprite.item = item;
        sprite.tileKey = tileKey(item, geometry.iconSize(), subListTint);
        sprite.x.setTarget(at.x());
        sprite.y.setTarget(at.y());
        sprite.hover.setTarget(m_hover.hoveredID() == item.id && m_hover.name() && !dragging ? 1 : 0);
        sprite.drop.setTarget(item.id == targetGroup || item.id == targetItem ? 1 : 0);
        sprite.opacityTarget = dragging == item.id ? 0 : 1;
        sprites.insert(item.id, sprite);
        order.append(item.id);
        if (item.isURL && !m_favicons.contains(item.id) && FaviconCache::shared()) {
            m_favicons.insert(item.id, QImage()); // asked once
            QPointer<CircularLauncherView> self(this);
            const QUuid id = item.id;
            FaviconCache::shared()->image(item.appPath, this, [self, id](const std::optional<QImage> &image) {
                if (self && image && !image->isNull()) {
                    self->m_favicons.insert(id, *image);
                    self->sync();
                }
            });
        }
    }
    m_layer->sprites = std::move(sprites);
    m_layer->order = std::move(order);
    // Tiles of entries no longer shown go; the leaving layer keeps its own until it has faded.
    QSet<QString> used;
    for (const Layer *layer : {m_layer.get(), m_leaving.get()}) {
        if (layer)
            for (const Sprite &sprite : layer->sprites)
                used.insert(sprite.tileKey);
    }
    m_tiles.removeIf([&used](const auto &entry) { return !used.contains(entry.key().section(u'\x1f', 1)); });

    m_radius.setTarget(geometry.radius());
    m_dragAppear.setTarget(m_drag.isDragging() ? 1 : 0);

    const ListThemeColors &colors = ::colors(m_state->currentTheme());
    DiscLook look{colors, geometry.ringDiameter(), geometry.holeDiameter()};
    if (m_discLook && !(DiscLook{m_discLook->colors, look.ringDiameter, look.holeDiameter} == look)) {
        m_discBefore = m_disc;
        m_themeProgress = 0;
    }
    if (!m_discLook || !(*m_discLook == look)) {
        m_discLook = std::make_unique<DiscLook>(look);
        m_disc = QPixmap(); // rendered at the next paint, at the screen's pixel ratio
    }

    const auto hoveredPosition = geometry.iconPositionsByID(items);
    m_label.update({m_hover.name(), m_hover.hoveredID(), hoveredPosition, geometry.iconSize(),
                    geometry.scale(), !m_drag.isDragging()});
    startFrames();
}

void CircularLauncherView::startFrames() {
    // Something changed: back to full rate. (Setting the interval restarts a running timer, so only on
    // a change, or a stream of events would keep postponing the next frame.)
    if (m_frameTimer.interval() != frameIntervalMs)
        m_frameTimer.setInterval(frameIntervalMs);
    if (!m_frameTimer.isActive()) {
        m_frameClock.start();
        m_frameTimer.start();
    }
    update();
}

void CircularLauncherView::frameTick() {
    const double dt = std::min(m_frameClock.restart() / 1000.0, 0.05);
    const bool moving = stepAnimations(dt);
    update();
    if (!moving && !m_drag.isDragging())
        m_frameTimer.stop();
    // When only the dragged copy's glow breathes, 30 frames a second are enough.
    const int interval = moving ? frameIntervalMs : DraggingIconOverlay::frameIntervalMs;
    if (m_frameTimer.interval() != interval)
        m_frameTimer.setInterval(interval);
}

bool CircularLauncherView::stepAnimations(double dt) {
    bool moving = false;
    auto stepSpring = [&](Spring &spring) {
        spring.step(dt);
        if (settled(spring))
            spring.reset(spring.target());
        else
            moving = true;
    };
    auto stepLayer = [&](Layer &layer) {
        stepSpring(layer.presence);
        for (Sprite &sprite : layer.sprites) {
            stepSpring(sprite.x);
            stepSpring(sprite.y);
            stepSpring(sprite.hover);
            stepSpring(sprite.drop);
            const double delta = dt / entryFadeSeconds;
            sprite.opacity = sprite.opacity < sprite.opacityTarget
                                 ? std::min(sprite.opacityTarget, sprite.opacity + delta)
                                 : std::max(sprite.opacityTarget, sprite.opacity - delta);
            moving = moving || sprite.opacity != sprite.opacityTarget;
        }
    };
    stepLayer(*m_layer);
    if (m_leaving) {
        stepLayer(*m_leaving);
        if (m_leaving->presence.value() <= 0.01 && m_leaving->presence.target() == 0)
            m_leaving.reset();
    }
    stepSpring(m_radius);
    stepSpring(m_dragAppear);
    if (m_themeProgress < 1) {
        m_themeProgress = std::min(1.0, m_themeProgress + dt / m_themeSeconds);
        moving = true;
    }
    moving = m_label.step(dt) || moving;
    return moving;
}

void CircularLauncherView::advanceAnimations(double seconds) {
    stepAnimations(seconds);
    update();
}

void CircularLauncherView::finishAnimations() {
    auto finishLayer = [](Layer &layer) {
        layer.presence.reset(layer.presence.target());
        for (Sprite &sprite : layer.sprites) {
            for (Spring *spring : {&sprite.x, &sprite.y, &sprite.hover, &sprite.drop})
                spring->reset(spring->target());
            sprite.opacity = sprite.opacityTarget;
        }
    };
    finishLayer(*m_layer);
    m_leaving.reset();
    m_radius.reset(m_radius.target());
    m_dragAppear.reset(m_dragAppear.target());
    m_themeProgress = 1;
    m_label.finish();
    update();
}

// Drawing.

QImage CircularLauncherView::discImage(const DiscLook &look, qreal dpr) {
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

void CircularLauncherView::paintDisc(QPainter &painter, bool deviceCleared) {
    const qreal dpr = painter.device()->devicePixelRatioF();
    if (m_disc.isNull() || m_disc.devicePixelRatio() != dpr)
        m_disc = QPixmap::fromImage(discImage(*m_discLook, dpr));
    // While the ring grows or shrinks the rendered disc is stretched; it is rendered afresh at rest.
    const double target = RingGeometry::forStore(*m_state, m_state->preferences().launcherScale()).radius();
    const double stretch = target > 0 ? m_radius.value() / target : 1;
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
    if (m_themeProgress < 1 && !m_discBefore.isNull()) {
        static const QEasingCurve curve(QEasingCurve::InOutQuad);
        const double t = curve.valueForProgress(m_themeProgress);
        draw(m_discBefore, 1 - t, false);
        draw(m_disc, t, false);
    } else {
        draw(m_disc, 1, deviceCleared);
    }
    painter.setOpacity(1);
}

QPixmap CircularLauncherView::dropSlotImage(double d, const QColor &primary, qreal dpr) {
    const QString key = QStringLiteral("%1|%2|%3").arg(d).arg(primary.rgba()).arg(dpr);
    if (key == m_dropSlotKey && !m_dropSlot.isNull())
        return m_dropSlot;
    // Room on every side for the glow: a shadow of the marker itself in the theme colour.
    const double glowRadius = 18;
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

void CircularLauncherView::paintDropSlot(QPainter &painter) {
    if (!m_drag.showsDropSlot())
        return;
    const RingGeometry geometry = RingGeometry::forStore(*m_state, m_state->preferences().launcherScale(), int(displayedItems().size()));
    const double d = geometry.iconSize() + 16;
    const QPixmap marker =
        dropSlotImage(d, ::colors(m_state->currentTheme()).primary, painter.device()->devicePixelRatioF());
    const QSizeF size = marker.deviceIndependentSize();
    const QPointF topLeft =
        geometry.pointOnRing(m_drag.dragAngle()) - QPointF(size.width() / 2, size.height() / 2);
    if (!blitOnPixels(painter, topLeft, marker))
        painter.drawPixmap(topLeft, marker);
}

QString CircularLauncherView::tileKey(const AppItem &item, double iconSize, const QColor &subListTint) const {
    // Everything the resting entry's pixels depend on; the id only for the favicon it may carry.
    QStringList parts{item.name,
                      item.appPath,
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
    return parts.join(u'\x1e');
}

const CircularLauncherView::Tile &CircularLauncherView::tile(const AppItem &item, const QString &key,
                                                             double iconSize, const QColor &subListTint,
                                                             qreal dpr) {
    const QString cacheKey = QString::number(dpr) + u'\x1f' + key;
    if (auto found = m_tiles.constFind(cacheKey); found != m_tiles.cend())
        return **found;
    const QSizeF frame = AppIconPainter::frameSize(item, iconSize);
    const QSizeF size = frame + QSizeF(2 * tileMargin, 2 * tileMargin);
    QImage image(QSize(int(std::ceil(size.width() * dpr)), int(std::ceil(size.height() * dpr))),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                         QPainter::TextAntialiasing);
        const QImage favicon = m_favicons.value(item.id);
        AppIconPainter::paintEntry(
            p, QRectF(QPointF(tileMargin, tileMargin), frame), item, iconSize, subListTint,
            favicon.isNull() ? std::nullopt : std::optional<QImage>(favicon), AppIconMotion{}, dpr);
    }
    auto made = std::make_shared<Tile>();
    made->pixmap = QPixmap::fromImage(std::move(image));
    made->imageCentre = QPointF(tileMargin, tileMargin) + AppIconPainter::imageRect(item, iconSize).center();
    return **m_tiles.insert(cacheKey, std::move(made));
}

void CircularLauncherView::paintLayer(QPainter &painter, const Layer &layer, qreal dpr) {
    const double presence = std::clamp(layer.presence.value(), 0.0, 1.0);
    if (presence <= 0)
        return;
    const double scale = RingGeometry::effectiveScale(m_state->preferences().launcherScale());
    const double iconSize = RingGeometry::iconSize(scale);
    const QColor subListTint = ::colors(m_state->currentTheme()).primary;
    const double pulse = (std::sin(m_pulseClock.elapsed() / 1000.0 * M_PI / 0.45) + 1) / 2;
    const double baseOpacity = painter.opacity();
    painter.save();
    const double layerScale = 0.75 + 0.25 * presence;
    if (std::abs(layerScale - 1) > 1e-4)
        painter.scale(layerScale, layerScale);
    for (const QUuid &id : layer.order) {
        const Sprite &sprite = layer.sprites[id];
        if (sprite.opacity <= 0)
            continue;
        painter.setOpacity(baseOpacity * presence * sprite.opacity);
        const QPointF centre(sprite.x.value(), sprite.y.value());
        const double hover = std::clamp(sprite.hover.value(), 0.0, 1.2);
        const double drop = std::clamp(sprite.drop.value(), 0.0, 1.2);
        if (std::abs(hover) < 0.005 && std::abs(drop) < 0.005) {
            // At rest: one blit of the prepared entry.
            const Tile &rest = tile(sprite.item, sprite.tileKey, iconSize, subListTint, dpr);
            const QPointF topLeft = centre - rest.imageCentre;
            if (!blitOnPixels(painter, topLeft, rest.pixmap))
                painter.drawPixmap(topLeft, rest.pixmap);
            continue;
        }
        // Hovered or a drop target: the growing image and its shadow change every frame.
        const QImage favicon = m_favicons.value(id);
        AppIconPainter::paintEntry(painter, entryFrame(sprite), sprite.item, iconSize, subListTint,
                                   favicon.isNull() ? std::nullopt : std::optional<QImage>(favicon),
                                   AppIconMotion{hover, drop, pulse}, dpr);
    }
    painter.restore();
    painter.setOpacity(baseOpacity);
}

void CircularLauncherView::paintScene(QPainter &painter, bool deviceCleared) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(ringCentre());
    const qreal dpr = painter.device()->devicePixelRatioF();
    paintDisc(painter, deviceCleared);
    paintDropSlot(painter);
    if (m_leaving)
        paintLayer(painter, *m_leaving, dpr);
    paintLayer(painter, *m_layer, dpr);
    m_label.paint(painter);
    if (const auto dragged = m_drag.draggedItem(); dragged && m_dragAppear.value() > 0.01) {
        const double iconSize = RingGeometry::iconSize(RingGeometry::effectiveScale(m_state->preferences().launcherScale()));
        m_overlay.paint(painter, m_drag.dragPoint(), icon(*dragged), iconSize, tint(*dragged),
                        m_pulseClock.elapsed() / 1000.0, std::clamp(m_dragAppear.value(), 0.0, 1.0));
    }
}

void CircularLauncherView::paintEvent(QPaintEvent *) {
    // The window is translucent: the backing store hands over the dirty region cleared.
    QPainter painter(this);
    paintScene(painter, true);
    Q_EMIT framePainted();
}

void CircularLauncherView::paintFrame(QPainter &painter) {
    paintScene(painter, true);
}

QImage CircularLauncherView::renderFrame(qreal devicePixelRatio) {
    QImage image(size() * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintScene(painter, true);
    return image;
}

// The item's look, for the dragged copy.

QImage CircularLauncherView::icon(const AppItem &item) const {
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

QColor CircularLauncherView::tint(const AppItem &item) const {
    const QColor primary = ::colors(m_state->currentTheme()).primary;
    if (!item.isFolder && !item.isSubList)
        return primary;
    const FolderTintPreset *preset = folderTintPreset(item.folderTint);
    return preset ? hex(preset->hex) : primary;
}

// Hit testing and input.

QRectF CircularLauncherView::entryFrame(const Sprite &sprite) const {
    const double iconSize = RingGeometry::iconSize(RingGeometry::effectiveScale(m_state->preferences().launcherScale()));
    const QRectF imageRect = AppIconPainter::imageRect(sprite.item, iconSize);
    const QPointF origin = QPointF(sprite.x.value(), sprite.y.value()) - imageRect.center();
    return {origin, AppIconPainter::frameSize(sprite.item, iconSize)};
}

bool CircularLauncherView::onGroupCapsule(const Sprite &sprite, QPointF widgetPoint) const {
    const QPointF inFrame = widgetPoint - ringCentre() - entryFrame(sprite).topLeft();
    return GroupCapsuleClick::onGroupCapsule(sprite.item,
                                             RingGeometry::iconSize(RingGeometry::effectiveScale(m_state->preferences().launcherScale())), inFrame);
}

const CircularLauncherView::Sprite *CircularLauncherView::spriteAt(QPointF widgetPoint) const {
    const QPointF p = widgetPoint - ringCentre();
    for (auto it = m_layer->order.crbegin(); it != m_layer->order.crend(); ++it) {
        const Sprite &sprite = m_layer->sprites[*it];
        if (m_drag.draggingID() == sprite.item.id)
            continue;
        if (entryFrame(sprite).contains(p))
            return &sprite;
    }
    return nullptr;
}

std::optional<QUuid> CircularLauncherView::itemAt(QPointF widgetPoint) const {
    const Sprite *sprite = spriteAt(widgetPoint);
    return sprite ? std::optional<QUuid>(sprite->item.id) : std::nullopt;
}

std::optional<QPointF> CircularLauncherView::itemCentre(const QUuid &id) const {
    const auto it = m_layer->sprites.constFind(id);
    if (it == m_layer->sprites.cend())
        return std::nullopt;
    return ringCentre() + QPointF(it->x.value(), it->y.value());
}

void CircularLauncherView::updateHover(QPointF widgetPoint) {
    const Sprite *sprite = m_drag.isDragging() ? nullptr : spriteAt(widgetPoint);
    const auto previous = m_hover.hoveredID();
    if (sprite && previous != sprite->item.id) {
        m_hover.publish(sprite->item.id, sprite->item.name);
    } else if (!sprite && previous) {
        m_hover.publish(*previous, std::nullopt);
    } else if (sprite && !m_hover.name()) {
        m_hover.publish(sprite->item.id, sprite->item.name);
    }
}

void CircularLauncherView::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPointF p = event->position();
    m_emptyPress.reset();
    m_pressedID.reset();
    if (const Sprite *sprite = spriteAt(p)) {
        m_pressedID = sprite->item.id;
        m_drag.press(sprite->item.id, int(m_layer->order.indexOf(sprite->item.id)), p - ringCentre());
    } else {
        m_emptyPress = event->globalPosition();
    }
}

void CircularLauncherView::mouseMoveEvent(QMouseEvent *event) {
    const QPointF p = event->position();
    if (event->buttons() & Qt::LeftButton) {
        if (m_pressedID)
            m_drag.pointerMoved(p - ringCentre());
        // Measured on the screen: while the margin drags the panel, the window follows the pointer and
        // the pointer hardly moves within it.
        if (m_emptyPress &&
            QLineF(*m_emptyPress, event->globalPosition()).length() >= RingDrag::dragThreshold)
            m_emptyPress.reset(); // the margin is being dragged, not clicked
    }
    updateHover(p);
}

void CircularLauncherView::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton)
        return;
    if (m_pressedID) {
        m_pressedID.reset();
        handleRelease(m_drag.release(), event->position());
    } else if (m_emptyPress) {
        m_emptyPress.reset();
        backOrDismiss();
    }
    updateHover(event->position());
}

void CircularLauncherView::mouseDoubleClickEvent(QMouseEvent *event) {
    const Sprite *sprite = event->button() == Qt::LeftButton ? spriteAt(event->position()) : nullptr;
    if (sprite && !m_drag.isDragging() &&
        m_capsuleClick.doubleClick(onGroupCapsule(*sprite, event->position()))) {
        // The first click's press and release have been handled; this second press starts nothing.
        m_pressedID.reset();
        m_emptyPress.reset();
        renameGroup(sprite->item);
        return;
    }
    mousePressEvent(event);
}

void CircularLauncherView::handleRelease(const RingRelease &release, QPointF widgetPoint) {
    switch (release.action) {
    case RingRelease::Action::nothing:
        break;
    case RingRelease::Action::click: {
        const auto sprite = m_layer->sprites.constFind(release.itemID);
        const bool onCapsule = sprite != m_layer->sprites.cend() && onGroupCapsule(*sprite, widgetPoint);
        // The entry is looked up again when a held-back click comes due: the ring may have changed.
        m_capsuleClick.click(onCapsule, [this, id = release.itemID] { activateByID(id); });
        break;
    }
    case RingRelease::Action::movedIntoGroup:
    case RingRelease::Action::merged:
    case RingRelease::Action::reordered:
        // The drag logic already said no when sounds are off.
        if (release.playSound && m_playSound)
            m_playSound();
        break;
    }
    if (release.newGroupID) {
        // After this event returns: the prompt runs its own event loop.
        QTimer::singleShot(0, this, [this, id = *release.newGroupID] { askGroupName(id); });
    }
    sync();
}

void CircularLauncherView::askGroupName(const QUuid &groupID) {
    AppDelegate *shell = AppDelegate::shared();
    if (shell)
        shell->suspendAutoDismiss();
    const auto name = m_promptGroupName ? m_promptGroupName(groupID) : std::nullopt;
    if (shell)
        shell->resumeAutoDismiss();
    if (name)
        m_state->renameItem(groupID, *name);
}

void CircularLauncherView::activateByID(const QUuid &id) {
    for (const AppItem &item : m_state->currentItems()) {
        if (item.id == id) {
            activate(item);
            return;
        }
    }
}

void CircularLauncherView::renameGroup(const AppItem &group) {
    QPointer<CircularLauncherView> self(this);
    GroupRenamePrompt::open(
        group.name,
        [self, id = group.id](const QString &name) {
            if (self)
                self->m_state->renameItem(id, name);
        },
        this);
}

void CircularLauncherView::activate(const AppItem &item) {
    if (m_drag.isDragging())
        return;
    playSoundIfEnabled();
    if (item.isSubList) {
        m_state->openSubList(item.id);
        m_hover.clearName();
        return;
    }
    if (m_onDismiss)
        m_onDismiss();
    // The launch follows the start of the fade, and happens even if the view is gone by then.
    QPointer<CircularLauncherView> self(this);
    m_clock.schedule(launchDelayMs, m_state, [state = m_state, item, self] {
        if (self)
            Q_EMIT self->launching(item.id);
        state->launch(item);
    });
}

void CircularLauncherView::backOrDismiss() {
    if (m_drag.isDragging())
        return;
    m_capsuleClick.cancel(); // a step back overrides a click still waiting
    if (m_state->openSubListID()) {
        m_state->closeSubList();
        m_hover.clearName();
    } else if (m_onDismiss) {
        m_onDismiss();
    }
}

void CircularLauncherView::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) {
        backOrDismiss();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CircularLauncherView::leaveEvent(QEvent *event) {
    if (const auto hovered = m_hover.hoveredID())
        m_hover.publish(*hovered, std::nullopt);
    QWidget::leaveEvent(event);
}

void CircularLauncherView::launcherWillShow() {
    m_drag.cancel();
    m_capsuleClick.cancel();
    m_hover.clearName();
    sync();
    finishAnimations();
}

// Context menu and moves.

QList<MoveDestination>
CircularLauncherView::moveDestinations(const std::optional<QUuid> &excludingGroup,
                                       const std::optional<QUuid> &excludingList) const {
    QList<MoveDestination> destinations;
    const QList<AppList> &lists = m_state->lists();
    for (const AppList &list : lists) {
        if (list.id != excludingList)
            destinations.append({list.id, list.id, list.name, false});
    }
    for (const AppList &list : lists) {
        for (const AppItem &item : list.items) {
            if (item.isSubList && item.id != excludingGroup)
                destinations.append(
                    {item.id, list.id, list.name + QStringLiteral(" \u203A ") + item.name, true});
        }
    }
    return destinations;
}

QList<MoveDestination> CircularLauncherView::ringMoveDestinations(const AppItem &item) const {
    if (const auto group = m_state->openSubListID())
        return moveDestinations(group, std::nullopt);
    const QList<AppList> &lists = m_state->lists();
    const std::optional<QUuid> active =
        lists.isEmpty() ? std::nullopt : std::optional<QUuid>(lists[m_state->safeIndex()].id);
    QList<MoveDestination> destinations = moveDestinations(std::nullopt, active);
    if (item.isSubList)
        destinations.removeIf([](const MoveDestination &d) { return d.isGroup; });
    return destinations;
}

void CircularLauncherView::moveItem(const AppItem &item, const MoveDestination &destination) {
    const QList<AppList> &lists = m_state->lists();
    if (lists.isEmpty())
        return;
    if (m_state->openSubListID()) {
        if (destination.isGroup)
            m_state->moveItemFromOpenSubList(item.id, destination.id, destination.listID);
        else
            m_state->moveItemFromOpenSubList(item.id, destination.listID);
    } else if (destination.isGroup) {
        m_state->moveTopLevelItem(item.id, destination.id, destination.listID);
    } else {
        m_state->moveItem(item.id, lists[m_state->safeIndex()].id, destination.listID);
    }
}

void CircularLauncherView::removeItem(const AppItem &item) {
    if (m_state->lists().isEmpty())
        return;
    m_state->remove(item); // also drops an emptied open group, and saves
    m_drag.itemRemoved(item.id);
    sync();
}

void CircularLauncherView::contextMenuEvent(QContextMenuEvent *event) {
    const Sprite *sprite = spriteAt(event->pos());
    if (!sprite || m_drag.isDragging())
        return;
    const AppItem item = sprite->item;
    const QColor subListTint = ::colors(m_state->currentTheme()).primary;
    QPointer<CircularLauncherView> self(this);
    // The popover sits beside the entry's whole frame, which grows with the launcher's scale.
    const QRectF frame = entryFrame(*sprite).translated(ringCentre());
    const QRect anchor = QRectF(mapToGlobal(frame.topLeft()), frame.size()).toRect();
    AppIconMenuHandlers handlers;
    handlers.open = [self, item] {
        if (self)
            self->activate(item);
    };
    handlers.rename = [self, item] {
        if (self)
            self->renameGroup(item);
    };
    handlers.pickColor = [self, item, subListTint, anchor] {
        if (!self)
            return;
        auto *popover = new TintPopover(
            item.folderTint, item.isSubList, subListTint,
            [self, id = item.id](const std::optional<QString> &tint) {
                if (self && !self->m_state->lists().isEmpty())
                    self->m_state->setFolderTint(id, tint);
            },
            self);
        popover->setAttribute(Qt::WA_DeleteOnClose);
        popover->popup(anchor);
    };
    handlers.moveTo = [self, item](const MoveDestination &destination) {
        if (self)
            self->moveItem(item, destination);
    };
    handlers.remove = [self, item] {
        if (self)
            self->removeItem(item);
    };
    QMenu *menu = AppIconMenu::build(item, ringMoveDestinations(item), handlers, this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void CircularLauncherView::playSoundIfEnabled() {
    if (m_playSound && m_state->preferences().launcherSoundsEnabled())
        m_playSound();
}
