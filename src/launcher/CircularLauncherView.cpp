#include "launcher/CircularLauncherView.h"

#include "favicons/FaviconCache.h"
#include "l10n/L.h"
#include "launcher/HoleOverlay.h"
#include "launcher/LauncherChrome.h"
#include "launcher/LauncherHost.h"
#include "launcher/RingNotice.h"
#include "ring/RingGeometry.h"
#include "settings/Preferences.h"
#include "store/AppState.h"
#include "views/AppIconPainter.h"
#include "views/NamePrompt.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QStyleHints>

namespace {
constexpr int frameIntervalMs = 16;
} // namespace

CircularLauncherView::CircularLauncherView(AppState *state, LauncherHost *host, QWidget *parent, Clock *clock)
    : QWidget(parent), m_state(state), m_host(host),
      m_ownClock(clock ? nullptr : std::make_unique<SystemClock>()), m_clock(clock ? *clock : *m_ownClock),
      m_ringStore(*state), m_drag(m_ringStore, m_clock),
      m_gate(m_clock, QGuiApplication::styleHints()->mouseDoubleClickInterval()),
      m_capsuleClick([this](int delayMs, std::function<void()> task) {
          m_clock.schedule(delayMs, this, std::move(task));
      }) {
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    const double side = RingGeometry::panelSide(scale());
    setFixedSize(qRound(side), qRound(side));

    m_frameTimer.setInterval(frameIntervalMs);
    m_frameTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_frameTimer, &QTimer::timeout, this, &CircularLauncherView::frameTick);
    m_pulseClock.start();

    for (auto signal :
         {&AppState::listsChanged, &AppState::activeListIndexChanged, &AppState::openSubListIDChanged})
        connect(m_state, signal, this, [this] {
            sync();
            ringContentChanged();
        });
    connect(&m_drag, &RingDrag::changed, this, &CircularLauncherView::sync);
    // Only a real window system knows where the pointer is; elsewhere (offscreen) the events are all.
    if (QGuiApplication::platformName() == u"xcb")
        m_drag.setPointerProbe(
            [this] { return std::optional<QPointF>(QPointF(mapFromGlobal(QCursor::pos())) - ringCentre()); });
    connect(&m_hover, &HoverModel::changed, this, &CircularLauncherView::sync);
    m_chrome = std::make_unique<LauncherChrome>(this, m_state, m_host);
    connect(m_chrome->hole(), &HoleOverlay::switchRequested, this, &CircularLauncherView::switchList);
    connect(m_chrome->hole(), &HoleOverlay::backRequested, this, &CircularLauncherView::backOrDismiss);
    // An add, a drop or a new group that the full list refused says why, over the ring.
    m_notice = new RingNotice(this, m_clock);
    connect(m_state, &AppState::listFull, this, [this] { m_notice->say(L::listFull(), scale()); });
    m_promptGroupName = [this](const QUuid &) {
        return NamePrompt::ask(L::nameNewGroup(), L::defaultGroupName(), this,
                               ::colors(m_state->currentTheme()).primary);
    };
    installPaintedAccessibility();
    setAccessibleName(QStringLiteral("Ilvex"));
    setUpKeyboardFocus();
    sync();
    finishAnimations();
}

CircularLauncherView::~CircularLauncherView() {
    m_chrome.reset(); // its children go before the view's members they use
}

QString CircularLauncherView::ringIdentity() const {
    const auto group = m_state->openSubListID();
    return QString::number(m_state->activeListIndex()) + u'-' +
           (group ? uuidString(*group) : QStringLiteral("main"));
}

void CircularLauncherView::setMaxRadius(double radius) {
    if (m_maxRadius == radius)
        return;
    // The ceiling changes as the panel is shown on a screen: the ring takes its size at once instead of
    // growing or shrinking while it fades in.
    m_maxRadius = radius;
    m_drag.setMaxRadius(radius);
    sync();
    m_scene.snapToTargets();
    update();
}

double CircularLauncherView::scale() const {
    return RingGeometry::effectiveScale(m_state->preferences().launcherScale());
}

RingGeometry CircularLauncherView::geometry(std::optional<int> displayedCount) const {
    return RingGeometry::forStore(*m_state, m_state->preferences().launcherScale(), m_maxRadius,
                                  displayedCount);
}

QList<AppItem> CircularLauncherView::displayedItems() const {
    return m_drag.isDragging() ? m_drag.displayedOrder() : m_state->currentItems();
}

void CircularLauncherView::loadFavicon(const AppItem &item) {
    FaviconCache *cache = m_host ? m_host->faviconCache() : nullptr;
    if (!item.isURL || !cache || m_painter.favicons().contains(item.id))
        return;
    m_painter.favicons().insert(item.id, QImage()); // asked once
    QPointer<CircularLauncherView> self(this);
    cache->image(item.appPath, this, [self, id = item.id](const std::optional<QImage> &image) {
        if (self && image && !image->isNull()) {
            self->m_painter.favicons().insert(id, *image);
            self->sync();
        }
    });
}

void CircularLauncherView::sync() {
    // A changed size preference takes effect at the next showing.
    const double side = RingGeometry::panelSide(scale());
    if (qRound(side) != width())
        setFixedSize(qRound(side), qRound(side));

    const QList<AppItem> items = displayedItems();
    for (const AppItem &item : items)
        loadFavicon(item);
    if (const auto dragged = m_drag.draggedItem()) {
        m_lifted = *dragged; // kept after the release, while the lifted copy fades out
        m_liftedPoint = m_drag.dragPoint();
    }
    const RingGeometry ring = geometry(int(items.size()));
    const ListThemeColors &colors = ::colors(m_state->currentTheme());
    const QRectF labelBefore = m_scene.label().isVisible() ? m_scene.label().bounds() : QRectF();
    RingScene::Inputs inputs{
        items,
        &ring,
        ringIdentity(),
        m_state->activeListIndex(),
        m_drag.draggingID(),
        m_drag.dropTargetGroupID(),
        m_drag.dropTargetItemID(),
        m_hover.hoveredID(),
        m_hover.name(),
        m_drag.isDragging(),
        m_dimmed,
        [&](const AppItem &item) { return m_painter.tileKey(item, ring.iconSize(), colors.primary); },
        m_chrome->showsManage() && m_chrome->managePanel()
            ? QRectF(m_chrome->managePanel()->geometry()).translated(-ringCentre())
            : QRectF()};
    bool whole = m_scene.sync(inputs);
    // Tiles of entries no longer shown go; the leaving layer keeps its own until it has faded.
    m_painter.keepTiles(m_scene.usedTileKeys());
    bool recolours = false;
    whole = m_painter.setDiscLook({colors, ring.ringDiameter(), ring.holeDiameter()}, &recolours) || whole;
    if (recolours)
        m_scene.startThemeChange();
    m_chrome->layout(ring, m_drag.isDragging());
    startFrames();
    if (whole)
        markDirty(std::nullopt);
    else
        markDirty(labelBefore.united(m_scene.liveBounds()));
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
}

void CircularLauncherView::frameTick() {
    const double dt = std::min(m_frameClock.restart() / 1000.0, 0.05);
    std::optional<QRectF> changed;
    const bool leaving = m_scene.leaving();
    const bool moving = m_scene.step(dt, &changed);
    if (leaving && !m_scene.leaving())
        m_painter.keepTiles(m_scene.usedTileKeys()); // the faded ring's tiles go with it
    markDirty(changed);
    if (!moving && !m_drag.isDragging())
        m_frameTimer.stop();
    // When only the dragged copy's glow breathes, 30 frames a second are enough.
    const int interval = moving ? frameIntervalMs : DraggingIconOverlay::frameIntervalMs;
    if (m_frameTimer.interval() != interval)
        m_frameTimer.setInterval(interval);
}

QRectF CircularLauncherView::dragBounds() const {
    if (!m_lifted || m_scene.dragAppear().value() <= 0.01)
        return {};
    const double iconSize = RingGeometry::iconSize(scale());
    QRectF bounds = RingPainter::draggedBounds(m_liftedPoint, iconSize);
    if (m_drag.showsDropSlot()) {
        const RingGeometry ring = geometry(int(displayedItems().size()));
        bounds = bounds.united(RingPainter::dropSlotBounds(ring.pointOnRing(m_drag.dragAngle()), iconSize));
    }
    return bounds;
}

void CircularLauncherView::markDirty(const std::optional<QRectF> &changed) {
    const QPointF centre = ringCentre();
    auto toWidget = [&](const QRectF &ring) {
        return ring.isEmpty() ? QRect()
                              : ring.translated(centre).toAlignedRect().adjusted(-2, -2, 2, 2) & rect();
    };
    // What paints afresh every frame (live entries, the label, the dragged copy and the drop slot) is
    // repainted where it was and where it is.
    const QRect live = toWidget(m_scene.liveBounds().united(dragBounds()));
    const QRect area = changed ? toWidget(*changed) | live | m_livePainted : rect();
    m_livePainted = live;
    if (area == rect())
        update();
    else if (!area.isEmpty())
        update(area);
}

void CircularLauncherView::advanceAnimations(double seconds) {
    m_scene.step(seconds);
    update();
}

void CircularLauncherView::finishAnimations() {
    m_scene.finish();
    m_painter.keepTiles(m_scene.usedTileKeys());
    if (m_chrome)
        m_chrome->finishAnimations();
    update();
}

// Leaves the painter as it found it: callers draw the children over the scene with the same painter.
void CircularLauncherView::paintScene(QPainter &painter, std::optional<QRectF> clip) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(ringCentre());
    RingFrame frame;
    frame.iconSize = RingGeometry::iconSize(scale());
    frame.subListTint = ::colors(m_state->currentTheme()).primary;
    frame.targetRadius = geometry().radius();
    if (m_drag.showsDropSlot())
        frame.dropSlotAt = geometry(int(displayedItems().size())).pointOnRing(m_drag.dragAngle());
    if (m_lifted) {
        frame.dragged = *m_lifted;
        frame.dragPoint = m_liftedPoint;
        frame.dragTint = tint(*m_lifted);
        frame.mergeArmed = m_drag.isMergeArmed();
    }
    frame.seconds = m_pulseClock.elapsed() / 1000.0;
    frame.clip = clip;
    m_painter.paint(painter, m_scene, frame);
    painter.restore();
}

void CircularLauncherView::paintEvent(QPaintEvent *event) {
    // The window is translucent: the backing store hands over the dirty region cleared.
    QPainter painter(this);
    const QRect dirty = event->rect();
    paintScene(painter, dirty.contains(rect())
                            ? std::nullopt
                            : std::optional<QRectF>(QRectF(dirty).translated(-ringCentre())));
    Q_EMIT framePainted();
}

void CircularLauncherView::paintFrame(QPainter &painter) {
    paintScene(painter, std::nullopt);
}

QImage CircularLauncherView::renderFrame(qreal devicePixelRatio) {
    QImage image(size() * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintScene(painter, std::nullopt);
    // The children (the centre, the pencil and the side panel) over the disc, as on screen.
    for (QWidget *child : findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!child->isHidden() && !child->isWindow())
            child->render(&painter, child->pos(), QRegion(), QWidget::DrawChildren);
    }
    return image;
}

QColor CircularLauncherView::tint(const AppItem &item) const {
    const QColor primary = ::colors(m_state->currentTheme()).primary;
    return item.isFolder || item.isSubList ? AppIconPainter::groupTint(item, primary) : primary;
}
