#include "launcher/RingScene.h"

#include "ring/RingGeometry.h"
#include "views/AppIconPainter.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double entryFadeSeconds = 0.08;
constexpr double dimmedOpacity = 0.3;
// Room around an entry's frame for its shadow, as its tile has it.
constexpr double tileMargin = 24;

bool moving(const Spring &spring) {
    return spring.value() != spring.target();
}
} // namespace

bool RingSprite::isMoving() const {
    return moving(x) || moving(y) || moving(hover) || moving(drop) || opacity != opacityTarget;
}

bool RingSprite::isLive() const {
    return std::abs(std::clamp(hover.value(), 0.0, 1.2)) >= 0.005 ||
           std::abs(std::clamp(drop.value(), 0.0, 1.2)) >= 0.005;
}

RingScene::RingScene() : m_layer(std::make_unique<RingLayer>()) {}

RingScene::~RingScene() = default;

bool RingScene::sync(const Inputs &inputs) {
    const RingGeometry &geometry = *inputs.geometry;
    m_iconSize = geometry.iconSize();
    bool changed = false;
    if (inputs.identity != m_layer->identity) {
        changed = true;
        if (!m_layer->identity.isEmpty()) {
            m_leaving = std::move(m_layer);
            m_leaving->presence.setTarget(0);
            m_layer = std::make_unique<RingLayer>();
            m_layer->presence.reset(0);
            m_layer->presence.setTarget(1);
        } else {
            m_layer->presence.reset(1);
        }
        m_layer->identity = inputs.identity;
        // A list switch recolours over 0.35 s, opening or closing a group over 0.3 s.
        m_themeSeconds = inputs.listIndex != m_lastListIndex ? 0.35 : 0.3;
        m_lastListIndex = inputs.listIndex;
    }

    QHash<QUuid, RingSprite> sprites;
    QList<QUuid> order;
    for (int i = 0; i < inputs.items.size(); ++i) {
        const AppItem &item = inputs.items[i];
        const QPointF at = geometry.iconPosition(i);
        RingSprite sprite;
        if (auto existing = m_layer->sprites.constFind(item.id); existing != m_layer->sprites.cend()) {
            sprite = *existing;
        } else {
            sprite.x.reset(at.x());
            sprite.y.reset(at.y());
        }
        sprite.item = item;
        const QString key = inputs.tileKey(item);
        changed = changed || key != sprite.tileKey;
        sprite.tileKey = key;
        sprite.x.setTarget(at.x());
        sprite.y.setTarget(at.y());
        sprite.hover.setTarget(inputs.hovered == item.id && inputs.hoverName && !inputs.dragging ? 1 : 0);
        sprite.drop.setTarget(item.id == inputs.dropTargetGroup || item.id == inputs.dropTargetItem ? 1 : 0);
        sprite.opacityTarget = inputs.dragging == item.id        ? 0
                               : inputs.dimmed.contains(item.id) ? dimmedOpacity
                                                                 : 1;
        sprites.insert(item.id, sprite);
        order.append(item.id);
    }
    changed = changed || order != m_layer->order;
    m_layer->sprites = std::move(sprites);
    m_layer->order = std::move(order);

    m_radius.setTarget(geometry.radius());
    m_dragAppear.setTarget(inputs.dragActive ? 1 : 0);
    m_label.update({inputs.hoverName, inputs.hovered, geometry.iconPositionsByID(inputs.items),
                    geometry.iconSize(), geometry.scale(), !inputs.dragActive, inputs.labelAvoids});
    return changed;
}

QSet<QString> RingScene::usedTileKeys() const {
    QSet<QString> used;
    for (const RingLayer *layer : {m_layer.get(), m_leaving.get()}) {
        if (layer)
            for (const RingSprite &sprite : layer->sprites)
                used.insert(sprite.tileKey);
    }
    return used;
}

bool RingScene::wholeRingMoves() const {
    return m_leaving || moving(m_layer->presence) || moving(m_radius) || m_themeProgress < 1;
}

bool RingScene::step(double dt, std::optional<QRectF> *dirty) {
    const bool wholeBefore = wholeRingMoves();
    QRectF moved;
    auto include = [&](const QRectF &rect) { moved = moved.united(rect); };
    // Entries that move now (or are drawn live while a drop target's glow breathes) are repainted where
    // they were and where they go.
    for (const RingSprite &sprite : m_layer->sprites) {
        if (sprite.isMoving() || sprite.isLive())
            include(paintBounds(sprite));
    }
    if (m_label.isVisible())
        include(m_label.bounds());

    bool isMoving = false;
    auto stepSpring = [&](Spring &spring) {
        spring.step(dt);
        if (spring.isSettled(0.05))
            spring.reset(spring.target());
        else
            isMoving = true;
    };
    auto stepLayer = [&](RingLayer &layer) {
        stepSpring(layer.presence);
        for (RingSprite &sprite : layer.sprites) {
            const bool spriteMoved = sprite.isMoving();
            stepSpring(sprite.x);
            stepSpring(sprite.y);
            stepSpring(sprite.hover);
            stepSpring(sprite.drop);
            const double delta = dt / entryFadeSeconds;
            sprite.opacity = sprite.opacity < sprite.opacityTarget
                                 ? std::min(sprite.opacityTarget, sprite.opacity + delta)
                                 : std::max(sprite.opacityTarget, sprite.opacity - delta);
            isMoving = isMoving || sprite.opacity != sprite.opacityTarget;
            if (spriteMoved || sprite.isLive())
                include(paintBounds(sprite));
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
        isMoving = true;
    }
    isMoving = m_label.step(dt) || isMoving;
    if (m_label.isVisible())
        include(m_label.bounds());
    if (dirty) {
        if (wholeBefore || wholeRingMoves())
            dirty->reset();
        else
            *dirty = moved;
    }
    return isMoving;
}

void RingScene::finish() {
    m_layer->presence.reset(m_layer->presence.target());
    for (RingSprite &sprite : m_layer->sprites) {
        for (Spring *spring : {&sprite.x, &sprite.y, &sprite.hover, &sprite.drop})
            spring->reset(spring->target());
        sprite.opacity = sprite.opacityTarget;
    }
    m_leaving.reset();
    m_radius.reset(m_radius.target());
    m_dragAppear.reset(m_dragAppear.target());
    m_themeProgress = 1;
    m_label.finish();
}

void RingScene::snapToTargets() {
    m_radius.reset(m_radius.target());
    for (RingSprite &sprite : m_layer->sprites) {
        sprite.x.reset(sprite.x.target());
        sprite.y.reset(sprite.y.target());
    }
}

QRectF RingScene::entryFrame(const RingSprite &sprite) const {
    // The whole frame, name capsule included, is centred on the entry's place on the ring.
    const QSizeF frame = AppIconPainter::frameSize(sprite.item, m_iconSize);
    const QPointF origin =
        QPointF(sprite.x.value(), sprite.y.value()) - QPointF(frame.width(), frame.height()) / 2;
    return {origin, frame};
}

QRectF RingScene::paintBounds(const RingSprite &sprite) const {
    const QRectF tile = entryFrame(sprite).adjusted(-tileMargin, -tileMargin, tileMargin, tileMargin);
    // A drop target grows to about 1.5 times with a shadow of up to 37 points below it.
    const double half = ((m_iconSize - AppIconPainter::imageInset) / 2 + 56) * 1.55 + 8;
    const QPointF centre =
        AppIconPainter::imageRect(sprite.item, m_iconSize).center() + entryFrame(sprite).topLeft();
    return tile.united(QRectF(centre - QPointF(half, half), QSizeF(2 * half, 2 * half)));
}

const RingSprite *RingScene::spriteAt(QPointF ringPoint, const std::optional<QUuid> &skip) const {
    for (auto it = m_layer->order.crbegin(); it != m_layer->order.crend(); ++it) {
        const RingSprite &sprite = m_layer->sprites[*it];
        if (skip == sprite.item.id)
            continue;
        if (entryFrame(sprite).contains(ringPoint))
            return &sprite;
    }
    return nullptr;
}

const RingSprite *RingScene::sprite(const QUuid &id) const {
    const auto it = m_layer->sprites.constFind(id);
    return it == m_layer->sprites.cend() ? nullptr : &*it;
}

QRectF RingScene::liveBounds() const {
    QRectF live = m_label.isVisible() ? m_label.bounds() : QRectF();
    for (const RingSprite &sprite : m_layer->sprites) {
        if (sprite.isLive() || sprite.isMoving())
            live = live.united(paintBounds(sprite));
    }
    return live;
}
