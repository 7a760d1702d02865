#include "views/CenterContentView.h"

#include "l10n/L.h"
#include "ring/HoverModel.h"
#include "ring/RingGeometry.h"
#include "store/AppState.h"
#include "views/LayoutTrace.h"
#include "views/ListColourPopover.h"
#include "views/NamePrompt.h"
#include "views/PaintHelpers.h"
#include "views/Symbols.h"

#include <QContextMenuEvent>
#include <QEasingCurve>
#include <QFontMetricsF>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

using PaintHelpers::withAlpha;

namespace {
constexpr double fadeSeconds = 0.15;
constexpr int frameMs = 16;
constexpr int dragEndMs = 320;
constexpr double rowDragMinimum = 6;

double eased(double t) {
    return QEasingCurve(QEasingCurve::InOutQuad).valueForProgress(std::clamp(t, 0.0, 1.0));
}

// Sizes are ring points (logical pixels), as everywhere in the launcher.
QFont uiFont(double pixels, QFont::Weight weight) {
    QFont font;
    font.setPixelSize(std::max(1, int(std::lround(pixels))));
    font.setWeight(weight);
    return font;
}

QColor white(double alpha) {
    return withAlpha(Qt::white, alpha);
}

// Spaces and tabs only: a line break typed into a name is kept.
QString trimSpacesAndTabs(const QString &text) {
    qsizetype start = 0, end = text.size();
    auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (start < end && blank(text[start]))
        ++start;
    while (end > start && blank(text[end - 1]))
        --end;
    return text.mid(start, end - start);
}

double step(double value, double target, double dt) {
    const double delta = dt / fadeSeconds;
    return value < target ? std::min(target, value + delta) : std::max(target, value - delta);
}
} // namespace

struct CenterContentView::Metrics {
    double s = 1;
    double rowHeight = 0;
    double pitch = 0;
    QRectF container;
    double restY(int index) const { return container.top() + 8 * s + index * pitch + rowHeight / 2; }
};

CenterContentView::CenterContentView(AppState *state, HoverModel *hover, ViewHost *host, QWidget *parent)
    : QWidget(parent), m_state(state), m_hover(hover), m_host(host), m_colorGuard(host) {
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(false);
    m_frames.setInterval(frameMs);
    m_frames.setTimerType(Qt::PreciseTimer);
    connect(&m_frames, &QTimer::timeout, this, &CenterContentView::tick);
    m_dragEnd.setSingleShot(true);
    m_dragEnd.setInterval(dragEndMs);
    connect(&m_dragEnd, &QTimer::timeout, this, [this] {
        m_draggingListID.reset();
        sync();
    });
    for (auto signal :
         {&AppState::listsChanged, &AppState::activeListIndexChanged, &AppState::openSubListIDChanged})
        connect(m_state, signal, this, &CenterContentView::sync);
    if (m_hover)
        connect(m_hover, &HoverModel::changed, this, &CenterContentView::sync);
}

CenterContentView::~CenterContentView() {
    if (m_colourPopup) {
        m_colourPopup->disconnect(this);
        delete m_colourPopup.data();
    }
}

void CenterContentView::setHoleDiameter(double diameter) {
    if (diameter == m_holeDiameter)
        return;
    m_holeDiameter = diameter;
    const int side = std::max(1, int(std::ceil(diameter)));
    resize(side, side);
    setMask(QRegion(rect(), QRegion::Ellipse));
    sync();
}

void CenterContentView::setDragging(bool dragging) {
    if (dragging != m_dragging) {
        m_dragging = dragging;
        sync();
    }
}

void CenterContentView::setHoverAtCenter(bool atCenter) {
    if (atCenter != m_hoverAtCenter) {
        m_hoverAtCenter = atCenter;
        sync();
    }
}

CenterContentView::Layer CenterContentView::layer() const {
    if (m_dragging)
        return Layer::none;
    if (m_hoverAtCenter && m_hover && m_hover->name())
        return Layer::hoverName;
    if (m_state->openSubListID())
        return Layer::groupHeader;
    return m_state->lists().size() >= 2 ? Layer::switcher : Layer::listName;
}

CenterContentView::Metrics CenterContentView::metrics() const {
    Metrics m;
    m.s = RingGeometry::effectiveScale();
    const QFontMetricsF font(uiFont(12 * m.s, QFont::DemiBold));
    m.rowHeight = font.height() + 8 * m.s;
    m.pitch = rowPitch();
    const QList<AppList> &lists = m_state->lists();
    double widest = 0;
    for (const AppList &list : lists)
        widest = std::max(widest, font.horizontalAdvance(list.name));
    const double width = std::min(widest + 20 * m.s + 24 * m.s, m_holeDiameter * 0.62);
    const qsizetype n = lists.size();
    const double height = n * m.rowHeight + std::max<qsizetype>(n - 1, 0) * 7 * m.s + 16 * m.s;
    m.container =
        QRectF(width / 2.0 * -1, -height / 2, width, height).translated(rect().center() + QPointF(0.5, 0.5));
    return m;
}

double CenterContentView::rowPitch() const {
    const double s = RingGeometry::effectiveScale();
    const double rowHeight = QFontMetricsF(uiFont(12 * s, QFont::DemiBold)).height() + 8 * s;
    return rowHeight > 0 ? rowHeight + 7 * s : 33 * s;
}

int CenterContentView::reorderTarget(double offset, double pitch, int startIndex, int count) {
    const int steps = pitch > 0 ? int(std::round(offset / pitch)) : 0;
    return std::clamp(startIndex + steps, 0, std::max(count - 1, 0));
}

QRectF CenterContentView::rowRect(int index) const {
    if (layer() != Layer::switcher || index < 0 || index >= m_state->lists().size())
        return {};
    const Metrics m = metrics();
    const double y = m.restY(index);
    return QRectF(m.container.left() + 12 * m.s, y - m.rowHeight / 2, m.container.width() - 24 * m.s,
                  m.rowHeight);
}

int CenterContentView::rowAt(QPointF point) const {
    for (int i = 0; i < m_state->lists().size(); ++i) {
        // Rows are 7 s apart: the gaps count for the nearer row, so no click falls between two.
        if (rowRect(i).adjusted(0, -3.5 * metrics().s, 0, 3.5 * metrics().s).contains(point))
            return i;
    }
    return -1;
}

QString CenterContentView::layerKey() const {
    QString key = QString::number(int(layer())) + u'|' + QString::number(m_holeDiameter) + u'|' +
                  QString::number(RingGeometry::effectiveScale());
    switch (layer()) {
    case Layer::hoverName:
        return key + *m_hover->name();
    case Layer::groupHeader: {
        const auto group = m_state->openSubList();
        const int index = m_state->safeIndex();
        return key + (group ? group->name : QString()) + u'|' +
               (m_state->lists().isEmpty() ? L::back() : m_state->lists()[index].name) + u'|' +
               QString::number(m_state->currentItems().isEmpty());
    }
    case Layer::listName:
        return key + (m_state->lists().isEmpty() ? QString() : m_state->lists()[m_state->safeIndex()].name);
    case Layer::none:
    case Layer::switcher:
        break;
    }
    return key;
}

void CenterContentView::sync() {
    const QString key = layerKey();
    if (key != m_layerKey) {
        // The previous layer fades out as an image: its texts may already be gone from the store.
        if (!m_layerKey.isEmpty() && m_layerIn > 0) {
            m_layerOutImage = m_layerAImage;
            m_layerOut = eased(m_layerIn);
        }
        m_layerKey = key;
        m_layerAImage = renderLayerA(devicePixelRatioF());
        m_layerIn = 0;
    }
    const Metrics m = metrics();
    const QList<AppList> &lists = m_state->lists();
    QSet<QUuid> present;
    for (int i = 0; i < lists.size(); ++i) {
        const QUuid &id = lists[i].id;
        present.insert(id);
        const bool isNew = !m_rows.contains(id);
        Row &row = m_rows[id];
        const double y = m.restY(i);
        // The dragged row stays under the pointer: it takes its new slot without animation.
        if (isNew || m_draggingListID == id)
            row.y.reset(y);
        else
            row.y.setTarget(y);
        const double active = i == m_state->activeListIndex() ? 1 : 0;
        if (isNew)
            row.active.reset(active);
        row.active.setTarget(active);
        row.lift.setTarget(m_draggingListID == id && !m_settling ? 1 : 0);
    }
    for (auto it = m_rows.begin(); it != m_rows.end();)
        it = present.contains(it.key()) ? std::next(it) : m_rows.erase(it);
    startFrames();
}

void CenterContentView::startFrames() {
    if (!m_frames.isActive()) {
        m_frameClock.start();
        m_frames.start();
    }
    update();
}

bool CenterContentView::stepAll(double dt) {
    bool moving = false;
    m_layerIn = step(m_layerIn, 1, dt);
    m_layerOut = step(m_layerOut, 0, dt);
    if (m_layerOut == 0)
        m_layerOutImage = QImage();
    const double switcherTarget = layer() == Layer::switcher ? 1 : 0;
    m_switcherShown = step(m_switcherShown, switcherTarget, dt);
    moving = m_layerIn < 1 || m_layerOut > 0 || m_switcherShown != switcherTarget;
    for (Row &row : m_rows) {
        for (Spring *spring : {&row.y, &row.active, &row.lift}) {
            spring->step(dt);
            moving = moving || !spring->isSettled();
        }
    }
    if (m_settling) {
        m_settle.step(dt);
        m_dotDragOffset = m_settle.value();
        if (m_settle.isSettled()) {
            m_settling = false;
            m_dotDragOffset = 0;
        } else {
            moving = true;
        }
    }
    return moving;
}

void CenterContentView::tick() {
    const double dt = std::min(m_frameClock.restart() / 1000.0, 0.05);
    if (!stepAll(dt))
        m_frames.stop();
    update();
}

void CenterContentView::finishAnimations() {
    stepAll(10);
    m_frames.stop();
    update();
}

// Drawing.

namespace {
struct HeaderLayout {
    QRectF name, pill, hint;
};

HeaderLayout headerLayout(QPointF centre, double hole, double s, bool showsHint) {
    const double nameH = QFontMetricsF(uiFont(22 * s, QFont::DemiBold)).height();
    const double pillH = QFontMetricsF(uiFont(12 * s, QFont::Medium)).height() + 8 * s;
    const double hintH = 24 * s + 5 * s + 2 * QFontMetricsF(uiFont(11 * s, QFont::Normal)).height();
    const double total = nameH + 8 * s + pillH + (showsHint ? 8 * s + 12 * s + hintH : 0);
    const double width = std::max(0.0, hole - 36);
    HeaderLayout layout;
    double y = centre.y() - total / 2;
    layout.name = QRectF(centre.x() - width / 2, y, width, nameH);
    y += nameH + 8 * s;
    layout.pill = QRectF(centre.x(), y, 0, pillH); // width set by the painter's text
    y += pillH + 8 * s + 12 * s;
    if (showsHint)
        layout.hint = QRectF(centre.x() - width / 2, y, width, hintH);
    return layout;
}

double pillWidth(const QString &text, double s) {
    return 10 * s + 4 * s + QFontMetricsF(uiFont(12 * s, QFont::Medium)).horizontalAdvance(text) + 20 * s;
}
} // namespace

QRectF CenterContentView::backPillRect() const {
    if (layer() != Layer::groupHeader)
        return {};
    const double s = RingGeometry::effectiveScale();
    const QString text = m_state->lists().isEmpty() ? L::back() : m_state->lists()[m_state->safeIndex()].name;
    HeaderLayout layout =
        headerLayout(QRectF(rect()).center(), m_holeDiameter, s, m_state->currentItems().isEmpty());
    const double width = std::min(pillWidth(text, s), std::max(0.0, m_holeDiameter - 36));
    return QRectF(layout.pill.x() - width / 2, layout.pill.y(), width, layout.pill.height());
}

QImage CenterContentView::renderLayerA(qreal dpr) {
    QImage image(size() * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintLayerA(painter);
    return image;
}

void CenterContentView::paintLayerA(QPainter &painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = RingGeometry::effectiveScale();
    const QPointF centre = QRectF(rect()).center();
    const double maxWidth = std::max(0.0, m_holeDiameter - 36);
    const QList<AppList> &lists = m_state->lists();
    const QString listName = lists.isEmpty() ? QString() : lists[m_state->safeIndex()].name;
    switch (layer()) {
    case Layer::none:
    case Layer::switcher:
        return;
    case Layer::hoverName: {
        const QFont font = uiFont(24 * s, QFont::DemiBold);
        painter.setFont(font);
        const QRectF textBox(0, 0, std::max(0.0, maxWidth - 48 * s), 1e4);
        QRectF text = painter.boundingRect(textBox, Qt::AlignCenter | Qt::TextWordWrap, *m_hover->name());
        text.setHeight(std::min(text.height(), 2 * QFontMetricsF(font).height()));
        QRectF capsule(0, 0, text.width() + 48 * s, text.height() + 24 * s);
        capsule.moveCenter(centre);
        const double radius = std::min(capsule.width(), capsule.height()) / 2;
        painter.setPen(QPen(white(0.18), 0.8));
        painter.setBrush(white(0.16));
        painter.drawRoundedRect(capsule, radius, radius);
        painter.setPen(Qt::white);
        painter.drawText(capsule.adjusted(24 * s, 12 * s, -24 * s, -12 * s),
                         Qt::AlignCenter | Qt::TextWordWrap, *m_hover->name());
        return;
    }
    case Layer::listName: {
        const QFont font = uiFont(22 * s, QFont::DemiBold);
        painter.setFont(font);
        painter.setPen(white(0.85));
        const QRectF box(centre.x() - maxWidth / 2, centre.y() - 50 * s, maxWidth, 100 * s);
        painter.drawText(box, Qt::AlignCenter,
                         QFontMetricsF(font).elidedText(listName, Qt::ElideRight, maxWidth));
        return;
    }
    case Layer::groupHeader: {
        const auto group = m_state->openSubList();
        const bool empty = m_state->currentItems().isEmpty();
        const HeaderLayout layout = headerLayout(centre, m_holeDiameter, s, empty);
        const QFont nameFont = uiFont(22 * s, QFont::DemiBold);
        painter.setFont(nameFont);
        painter.setPen(white(0.9));
        painter.drawText(layout.name, Qt::AlignCenter,
                         QFontMetricsF(nameFont).elidedText(group ? group->name : QString(), Qt::ElideRight,
                                                            layout.name.width()));
        // The back pill: a chevron and the list's name.
        const QRectF pill = backPillRect();
        const double radius = pill.height() / 2;
        painter.setPen(QPen(white(0.14), 1));
        painter.setBrush(withAlpha(Qt::black, 0.25));
        painter.drawRoundedRect(pill.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
        const QString back = lists.isEmpty() ? L::back() : listName;
        const double chevron = Symbols::pixelSizeForFontSize(10 * s);
        const QRectF inner = pill.adjusted(10 * s, 4 * s, -10 * s, -4 * s);
        Symbols::paint(painter, QRectF(inner.left(), inner.top(), 10 * s, inner.height()),
                       QStringLiteral("chevron.left"), chevron, white(0.55));
        const QFont pillFont = uiFont(12 * s, QFont::Medium);
        painter.setFont(pillFont);
        painter.setPen(white(0.55));
        const QRectF textRect = inner.adjusted(14 * s, 0, 0, 0);
        painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
                         QFontMetricsF(pillFont).elidedText(back, Qt::ElideRight, textRect.width()));
        if (empty) {
            const double symbol = Symbols::pixelSizeForFontSize(24 * s);
            Symbols::paint(painter,
                           QRectF(layout.hint.left(), layout.hint.top(), layout.hint.width(), 24 * s),
                           QStringLiteral("plus.circle"), symbol, white(0.45));
            painter.setFont(uiFont(11 * s, QFont::Normal));
            painter.setPen(white(0.5));
            painter.drawText(layout.hint.adjusted(0, 29 * s, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
                             L::emptyGroup());
        }
        return;
    }
    }
}

void CenterContentView::paintSwitcher(QPainter &painter) {
    const QList<AppList> &lists = m_state->lists();
    if (lists.size() < 2)
        return;
    const Metrics m = metrics();
    const double s = m.s;
    const double radius = std::min(m.container.width(), m.container.height()) / 2;
    painter.setPen(QPen(white(0.14), 1.2));
    painter.setBrush(withAlpha(Qt::black, 0.3));
    painter.drawRoundedRect(m.container, radius, radius);
    painter.setPen(Qt::NoPen);
    painter.setBrush(white(0.05)); // the translucent material at half strength
    painter.drawRoundedRect(m.container, radius, radius);

    const double textWidth = m.container.width() - 24 * s - 20 * s;
    const qreal dpr = painter.device()->devicePixelRatioF();
    int draggedIndex = -1;
    auto paintRow = [&](int i) {
        const AppList &list = lists[i];
        const Row &row = m_rows.value(list.id);
        const bool isActive = i == m_state->activeListIndex();
        const bool isDragged = m_draggingListID == list.id;
        const QColor primary = colors(list.theme).primary;
        const double active = std::clamp(row.active.value(), 0.0, 1.0);
        const QColor rest = white(0.45);
        const QColor colour = QColor::fromRgbF(rest.redF() + (primary.redF() - rest.redF()) * active,
                                               rest.greenF() + (primary.greenF() - rest.greenF()) * active,
                                               rest.blueF() + (primary.blueF() - rest.blueF()) * active,
                                               rest.alphaF() + (1 - rest.alphaF()) * active);
        const QFont font = uiFont(12 * s, isActive ? QFont::DemiBold : QFont::Normal);
        const QString text = QFontMetricsF(font).elidedText(list.name, Qt::ElideRight, textWidth);
        const double y = row.y.value() + (isDragged ? m_dotDragOffset : 0);
        painter.save();
        painter.translate(m.container.center().x(), y);
        const double scale = 1 + 0.18 * std::clamp(row.lift.value(), 0.0, 1.5);
        painter.scale(scale, scale);
        const QRectF box(-textWidth / 2, -m.rowHeight / 2, textWidth, m.rowHeight);
        if (active > 0.01) {
            const QString key =
                text + u'|' + primary.name() + u'|' + QString::number(s) + u'|' + QString::number(dpr);
            QImage &glow = m_glows[key];
            if (glow.isNull()) {
                QImage shape(QSize(int(textWidth) + 2, int(m.rowHeight) + 2) * dpr,
                             QImage::Format_ARGB32_Premultiplied);
                shape.setDevicePixelRatio(dpr);
                shape.fill(Qt::transparent);
                QPainter p(&shape);
                p.setFont(font);
                p.setPen(primary);
                p.drawText(QRectF(1, 1, textWidth, m.rowHeight), Qt::AlignCenter, text);
                p.end();
                glow = PaintHelpers::blurredShadow(shape, 6 * s, withAlpha(primary, 0.7));
            }
            const QSizeF glowSize = QSizeF(glow.size()) / glow.devicePixelRatio();
            painter.setOpacity(painter.opacity() * active);
            painter.drawImage(QRectF(QPointF(-glowSize.width() / 2, -glowSize.height() / 2), glowSize), glow);
            painter.setOpacity(painter.opacity() / active);
        }
        painter.setFont(font);
        painter.setPen(colour);
        painter.drawText(box, Qt::AlignCenter, text);
        painter.restore();
    };
    for (int i = 0; i < lists.size(); ++i) {
        if (m_draggingListID == lists[i].id)
            draggedIndex = i;
        else
            paintRow(i);
    }
    if (draggedIndex >= 0)
        paintRow(draggedIndex); // above its siblings
    if (m_glows.size() > 64)
        m_glows.clear();
}

void CenterContentView::paintContent(QPainter &painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    const double base = painter.opacity();
    if (m_switcherShown > 0) {
        painter.setOpacity(base * eased(m_switcherShown));
        paintSwitcher(painter);
    }
    if (m_layerOut > 0 && !m_layerOutImage.isNull()) {
        painter.setOpacity(base * eased(m_layerOut));
        painter.drawImage(QPointF(0, 0), m_layerOutImage);
    }
    if (!m_layerAImage.isNull()) {
        painter.setOpacity(base * eased(m_layerIn));
        painter.drawImage(QPointF(0, 0), m_layerAImage);
    }
    painter.setOpacity(base);
}

void CenterContentView::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    if (m_layerAImage.devicePixelRatio() != devicePixelRatioF())
        m_layerAImage = renderLayerA(devicePixelRatioF());
    paintContent(painter);
    if (LayoutTrace::enabled()) {
        const QList<AppList> &lists = m_state->lists();
        for (int i = 0; i < lists.size(); ++i)
            LayoutTrace::report(QStringLiteral("row:") + lists[i].name, this, rowRect(i));
        LayoutTrace::report(QStringLiteral("backPill"), this, backPillRect());
    }
}

// Input.

void CenterContentView::mousePressEvent(QMouseEvent *event) {
    m_pressRow.reset();
    m_pressPill = false;
    if (event->button() == Qt::LeftButton) {
        const int row = rowAt(event->position());
        if (row >= 0) {
            m_pressRow = row;
            m_pressPoint = event->position();
            return;
        }
        if (backPillRect().contains(event->position())) {
            m_pressPill = true;
            return;
        }
    }
    event->ignore(); // empty space: the ring's
}

void CenterContentView::mouseMoveEvent(QMouseEvent *event) {
    if (!m_pressRow || !(event->buttons() & Qt::LeftButton))
        return;
    const QPointF travel = event->position() - m_pressPoint;
    const QList<AppList> &lists = m_state->lists();
    if (*m_pressRow >= lists.size())
        return;
    const QUuid id = lists[*m_pressRow].id;
    if (!m_draggingListID) {
        if (QLineF(QPointF(), travel).length() < rowDragMinimum)
            return;
        m_draggingListID = id;
        m_dragStartListIndex = *m_pressRow;
        m_settling = false;
        m_dragEnd.stop();
        sync();
    }
    // Another row's drag still settling: this press moves nothing.
    if (m_draggingListID == id && !m_settling) {
        m_dotDragOffset = travel.y();
        startFrames();
    }
}

void CenterContentView::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton)
        return;
    const std::optional<int> row = std::exchange(m_pressRow, std::nullopt);
    const bool pill = std::exchange(m_pressPill, false);
    const QList<AppList> &lists = m_state->lists();
    if (row && m_draggingListID && !m_settling && *row < lists.size() &&
        lists[*row].id == *m_draggingListID) {
        finishRowDrag();
    } else if (row && !m_draggingListID && rowAt(event->position()) == *row) {
        if (onSwitchList)
            onSwitchList(*row);
    } else if (pill && backPillRect().contains(event->position())) {
        if (onCloseSubList)
            onCloseSubList();
    }
}

void CenterContentView::finishRowDrag() {
    const QList<AppList> &lists = m_state->lists();
    const double pitch = rowPitch();
    int from = m_dragStartListIndex;
    for (int i = 0; i < lists.size(); ++i) {
        if (lists[i].id == *m_draggingListID)
            from = i;
    }
    const int to = reorderTarget(m_dotDragOffset, pitch, m_dragStartListIndex, int(lists.size()));
    if (to != from) {
        // The row stays where the pointer left it, then settles into its new slot.
        m_dotDragOffset -= pitch * (to - from);
        m_state->reorderList(from, to);
    }
    m_settling = true;
    m_settle.reset(m_dotDragOffset);
    m_settle.setTarget(0);
    m_dragEnd.start();
    sync();
}

void CenterContentView::contextMenuEvent(QContextMenuEvent *event) {
    const int row = rowAt(event->pos());
    if (row < 0) {
        event->ignore();
        return;
    }
    QMenu *menu = buildRowMenu(row);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

QMenu *CenterContentView::buildRowMenu(int index) {
    auto *menu = new QMenu(this);
    const QList<AppList> &lists = m_state->lists();
    if (index < 0 || index >= lists.size())
        return menu;
    const AppList list = lists[index];
    const QColor iconColour = palette().color(QPalette::WindowText);
    menu->addAction(Symbols::icon(QStringLiteral("pencil"), iconColour), L::renameEllipsis(), this,
                    [this, index] { openRename(index); });
    menu->addAction(Symbols::icon(QStringLiteral("paintpalette"), iconColour), L::colorEllipsis(), this,
                    [this, id = list.id] { openColour(id); });
    if (lists.size() >= 2) {
        menu->addSeparator();
        const bool empty = list.items.isEmpty();
        QAction *remove = menu->addAction(Symbols::icon(QStringLiteral("trash"), iconColour),
                                          empty ? L::deleteList() : L::deleteListEmptyFirst());
        remove->setEnabled(empty);
        connect(remove, &QAction::triggered, this, [this, id = list.id] {
            const QList<AppList> &now = m_state->lists();
            for (int i = 0; i < now.size(); ++i) {
                if (now[i].id == id && now[i].items.isEmpty())
                    m_state->removeList(i);
            }
        });
    }
    return menu;
}

void CenterContentView::openRename(int index) {
    const QList<AppList> &lists = m_state->lists();
    if (index < 0 || index >= lists.size())
        return;
    const QUuid id = lists[index].id;
    NamePrompt::open(
        L::renameList(), lists[index].name,
        [this, id](const QString &text) {
            const QString name = trimSpacesAndTabs(text);
            const QList<AppList> &now = m_state->lists();
            for (int i = 0; i < now.size(); ++i) {
                if (now[i].id == id && !name.isEmpty())
                    m_state->renameList(i, name);
            }
        },
        window(), colors(lists[index].theme).primary, m_host);
}

void CenterContentView::openColour(const QUuid &listID) {
    const QList<AppList> &lists = m_state->lists();
    const auto found =
        std::find_if(lists.begin(), lists.end(), [&](const AppList &l) { return l.id == listID; });
    if (found == lists.end())
        return;
    closeColour();
    m_colorListID = listID;
    m_colorGuard.setActive(true);
    auto *popover = new ListColourPopover(found->theme, [this, listID](ListTheme theme) {
        const QList<AppList> &now = m_state->lists();
        for (int i = 0; i < now.size(); ++i) {
            if (now[i].id == listID)
                m_state->setTheme(theme, i);
        }
    });
    connect(popover, &ListColourPopover::closed, this, &CenterContentView::closeColour);
    m_colourPopup = popover;
    const int index = int(found - lists.begin());
    const QRectF row = layer() == Layer::switcher ? rowRect(index) : QRectF(rect());
    popover->popup(QRect(mapToGlobal(row.topLeft().toPoint()), row.size().toSize()));
}

void CenterContentView::closeColour() {
    m_colorListID.reset();
    m_colorGuard.setActive(false);
    if (m_colourPopup) {
        QWidget *popup = m_colourPopup.data();
        m_colourPopup.clear();
        popup->deleteLater();
    }
}
