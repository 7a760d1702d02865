#include "launcher/HoleOverlay.h"

#include "l10n/L.h"
#include "launcher/ListSwitcher.h"
#include "ring/RingGeometry.h"
#include "settings/Preferences.h"
#include "store/AppState.h"
#include "views/LayoutTrace.h"
#include "views/PaintHelpers.h"
#include "views/Symbols.h"

#include <QContextMenuEvent>
#include <QEasingCurve>
#include <QFontMetricsF>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

using PaintHelpers::withAlpha;

namespace {
constexpr double fadeSeconds = 0.15;
constexpr int frameMs = 16;
constexpr int hintFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;

double eased(double t) {
    return QEasingCurve(QEasingCurve::InOutQuad).valueForProgress(std::clamp(t, 0.0, 1.0));
}

double step(double value, double target, double dt) {
    const double delta = dt / fadeSeconds;
    return value < target ? std::min(target, value + delta) : std::max(target, value - delta);
}

QColor white(double alpha) {
    return withAlpha(Qt::white, alpha);
}

struct HeaderLayout {
    QRectF name, pill, hint;
};

// The hint's text, wrapped to the width: its height counts the lines as drawn, in the fonts that draw
// them (a Chinese or Japanese line is taller than a Latin one of the same size).
QRectF hintTextBounds(const QString &text, double width, double s) {
    return QFontMetricsF(HoleOverlay::uiFont(11 * s, QFont::Normal))
        .boundingRect(QRectF(0, 0, width, 1e4), hintFlags, text);
}

HeaderLayout headerLayout(QPointF centre, double hole, double s, bool showsHint) {
    const double nameH = QFontMetricsF(HoleOverlay::uiFont(22 * s, QFont::DemiBold)).height();
    const double pillH = QFontMetricsF(HoleOverlay::uiFont(12 * s, QFont::Medium)).height() + 8 * s;
    const double width = std::max(0.0, hole - 36);
    // The hint sits low in the round hole, where it is narrower: its text wraps to 70 % of the width.
    const double hintH = 24 * s + 5 * s + hintTextBounds(L::emptyGroup(), width * 0.7, s).height();
    const double total = nameH + 8 * s + pillH + (showsHint ? 8 * s + 12 * s + hintH : 0);
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
} // namespace

QFont HoleOverlay::uiFont(double pixels, QFont::Weight weight) {
    QFont font;
    font.setPixelSize(std::max(1, int(std::lround(pixels))));
    font.setWeight(weight);
    return font;
}

HoleOverlay::HoleOverlay(AppState *state, ViewHost *host, QWidget *parent)
    : QWidget(parent), m_state(state), m_switcher(new ListSwitcher(state, host, this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    m_frames.setInterval(frameMs);
    m_frames.setTimerType(Qt::PreciseTimer);
    connect(&m_frames, &QTimer::timeout, this, &HoleOverlay::tick);
    connect(m_switcher, &ListSwitcher::switchRequested, this, &HoleOverlay::switchRequested);
    connect(m_switcher, &ListSwitcher::changed, this, &HoleOverlay::startFrames);
    for (auto signal :
         {&AppState::listsChanged, &AppState::activeListIndexChanged, &AppState::openSubListIDChanged})
        connect(m_state, signal, this, &HoleOverlay::sync);
}

HoleOverlay::~HoleOverlay() = default;

void HoleOverlay::setHoleDiameter(double diameter) {
    if (diameter == m_holeDiameter)
        return;
    m_holeDiameter = diameter;
    m_switcher->setHoleDiameter(diameter);
    const int side = std::max(1, int(std::ceil(diameter)));
    resize(side, side);
    setMask(QRegion(rect(), QRegion::Ellipse));
    sync();
}

void HoleOverlay::setDragging(bool dragging) {
    if (dragging != m_dragging) {
        m_dragging = dragging;
        sync();
    }
}

void HoleOverlay::setSearchText(const QString &text, bool matches) {
    if (text != m_searchText || matches != m_searchMatches) {
        m_searchText = text;
        m_searchMatches = matches;
        sync();
    }
}

double HoleOverlay::scale() const {
    return RingGeometry::effectiveScale(m_state->preferences().launcherScale());
}

HoleOverlay::Layer HoleOverlay::layer() const {
    if (m_dragging)
        return Layer::none;
    if (!m_searchText.isEmpty())
        return Layer::search;
    if (m_state->openSubList()) // an id that names no group of the shown list is no group
        return Layer::groupHeader;
    return m_state->lists().size() >= 2 ? Layer::switcher : Layer::listName;
}

QRectF HoleOverlay::rowRect(int index) const {
    return layer() == Layer::switcher ? m_switcher->rowRect(index) : QRectF();
}

QString HoleOverlay::backText() const {
    return m_state->lists().isEmpty() ? L::back() : m_state->lists()[m_state->safeIndex()].name;
}

QRectF HoleOverlay::backPillRect() const {
    if (layer() != Layer::groupHeader)
        return {};
    const double s = scale();
    const HeaderLayout layout =
        headerLayout(QRectF(rect()).center(), m_holeDiameter, s, m_state->currentItems().isEmpty());
    const double text = QFontMetricsF(uiFont(12 * s, QFont::Medium)).horizontalAdvance(backText());
    const double width = std::min(10 * s + 4 * s + text + 20 * s, std::max(0.0, m_holeDiameter - 36));
    return QRectF(layout.pill.x() - width / 2, layout.pill.y(), width, layout.pill.height());
}

QString HoleOverlay::layerKey() const {
    const QString key = QString::number(int(layer())) + u'|' + QString::number(m_holeDiameter) + u'|' +
                        QString::number(scale()) + u'|' + QString::number(m_state->currentItems().isEmpty());
    const QString listName =
        m_state->lists().isEmpty() ? QString() : m_state->lists()[m_state->safeIndex()].name;
    switch (layer()) {
    case Layer::search:
        return key + QString::number(m_searchMatches) + m_searchText;
    case Layer::groupHeader: {
        const auto group = m_state->openSubList();
        return key + (group ? group->name : QString()) + u'|' + backText();
    }
    case Layer::listName:
        return key + listName;
    case Layer::switcher:
    case Layer::none:
        break;
    }
    return key;
}

void HoleOverlay::sync() {
    const QString key = layerKey();
    if (key != m_layerKey) {
        // The previous layer fades out as an image: its texts may already be gone from the store.
        if (!m_layerKey.isEmpty() && m_layerIn > 0) {
            m_layerOutImage = m_layerImage;
            m_layerOut = eased(m_layerIn);
        }
        m_layerKey = key;
        m_layerImage = renderLayer(devicePixelRatioF());
        m_layerIn = 0;
    }
    m_switcher->sync();
    startFrames();
}

void HoleOverlay::startFrames() {
    if (!m_frames.isActive()) {
        m_frameClock.start();
        m_frames.start();
    }
    update();
}

bool HoleOverlay::stepAll(double dt) {
    m_layerIn = step(m_layerIn, 1, dt);
    m_layerOut = step(m_layerOut, 0, dt);
    if (m_layerOut == 0)
        m_layerOutImage = QImage();
    const double switcherTarget = layer() == Layer::switcher ? 1 : 0;
    m_switcherShown = step(m_switcherShown, switcherTarget, dt);
    const bool rowsMove = m_switcher->step(dt);
    return rowsMove || m_layerIn < 1 || m_layerOut > 0 || m_switcherShown != switcherTarget;
}

void HoleOverlay::tick() {
    const double dt = std::min(m_frameClock.restart() / 1000.0, 0.05);
    if (!stepAll(dt))
        m_frames.stop();
    update();
}

void HoleOverlay::finishAnimations() {
    stepAll(10);
    m_frames.stop();
    update();
}

void HoleOverlay::mousePressEvent(QMouseEvent *event) {
    // A new press: the last row drag is over, settled or not, and one whose release was lost is let go,
    // so this press clicks or drags like any other.
    m_switcher->endDrag();
    m_pressPill = false;
    if (event->button() == Qt::LeftButton) {
        if (layer() == Layer::switcher && m_switcher->press(event->position()))
            return;
        if (backPillRect().contains(event->position())) {
            m_pressPill = true;
            return;
        }
    }
    event->ignore(); // empty space: the ring's
}

void HoleOverlay::mouseMoveEvent(QMouseEvent *event) {
    if (event->buttons() & Qt::LeftButton)
        m_switcher->move(event->position());
}

void HoleOverlay::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_switcher->release(event->position());
    if (std::exchange(m_pressPill, false) && backPillRect().contains(event->position()))
        Q_EMIT backRequested();
}

void HoleOverlay::contextMenuEvent(QContextMenuEvent *event) {
    const int row = layer() == Layer::switcher ? m_switcher->rowAt(event->pos()) : -1;
    if (row < 0) {
        event->ignore();
        return;
    }
    QMenu *menu = m_switcher->buildRowMenu(row);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

// Drawing.

QImage HoleOverlay::renderLayer(qreal dpr) {
    QImage image(size() * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintLayer(painter);
    return image;
}

void HoleOverlay::paintLayer(QPainter &painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = scale();
    const QPointF centre = QRectF(rect()).center();
    const double maxWidth = std::max(0.0, m_holeDiameter - 36);
    const QList<AppList> &lists = m_state->lists();
    // An empty ring says where its entries come from, under the list's name or the switcher.
    const bool emptyRing = !lists.isEmpty() && m_state->currentItems().isEmpty();
    const auto paintEmptyRingHint = [&](double top) {
        painter.setFont(uiFont(11 * s, QFont::Normal));
        painter.setPen(white(0.5));
        const double width = maxWidth * 0.85;
        painter.drawText(
            QRectF(centre.x() - width / 2, top, width, hintTextBounds(L::emptyRing(), width, s).height()),
            hintFlags, L::emptyRing());
    };
    switch (layer()) {
    case Layer::switcher:
        if (emptyRing)
            paintEmptyRingHint(m_switcher->frame().bottom() + 10 * s);
        return;
    case Layer::none:
        return;
    case Layer::search: {
        // The typed text, its end in view when it is longer than the hole, and a caret after it.
        const QFont font = uiFont(22 * s, QFont::DemiBold);
        painter.setFont(font);
        const QFontMetricsF metrics(font);
        const QString shown =
            metrics.elidedText(m_searchText, Qt::ElideLeft, std::max(0.0, maxWidth - 48 * s));
        QRectF capsule(0, 0, metrics.horizontalAdvance(shown) + 48 * s + 4 * s, metrics.height() + 20 * s);
        capsule.moveCenter(centre);
        const double radius = capsule.height() / 2;
        painter.setPen(QPen(white(0.22), 1));
        painter.setBrush(withAlpha(Qt::black, 0.28));
        painter.drawRoundedRect(capsule, radius, radius);
        const QRectF text = capsule.adjusted(24 * s, 10 * s, -24 * s - 4 * s, -10 * s);
        painter.setPen(white(m_searchMatches ? 0.95 : 0.5));
        painter.drawText(text, Qt::AlignCenter, shown);
        painter.fillRect(QRectF(text.right() + 2 * s, text.top() + 2 * s, 1.5 * s, text.height() - 4 * s),
                         white(0.7));
        return;
    }
    case Layer::listName: {
        const QFont font = uiFont(22 * s, QFont::DemiBold);
        painter.setFont(font);
        painter.setPen(white(0.85));
        const QString name = lists.isEmpty() ? QString() : lists[m_state->safeIndex()].name;
        const QRectF box(centre.x() - maxWidth / 2, centre.y() - 50 * s, maxWidth, 100 * s);
        painter.drawText(box, Qt::AlignCenter,
                         QFontMetricsF(font).elidedText(name, Qt::ElideRight, maxWidth));
        if (emptyRing)
            paintEmptyRingHint(centre.y() + QFontMetricsF(font).height() / 2 + 8 * s);
        return;
    }
    case Layer::groupHeader:
        paintGroupHeader(painter, s);
        return;
    }
}

void HoleOverlay::paintGroupHeader(QPainter &painter, double s) {
    const auto group = m_state->openSubList();
    const bool empty = m_state->currentItems().isEmpty();
    const HeaderLayout layout = headerLayout(QRectF(rect()).center(), m_holeDiameter, s, empty);
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
    const QRectF inner = pill.adjusted(10 * s, 4 * s, -10 * s, -4 * s);
    Symbols::paint(painter, QRectF(inner.left(), inner.top(), 10 * s, inner.height()),
                   QStringLiteral("chevron.left"), Symbols::pixelSizeForFontSize(10 * s), white(0.55));
    const QFont pillFont = uiFont(12 * s, QFont::Medium);
    painter.setFont(pillFont);
    painter.setPen(white(0.55));
    const QRectF textRect = inner.adjusted(14 * s, 0, 0, 0);
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
                     QFontMetricsF(pillFont).elidedText(backText(), Qt::ElideRight, textRect.width()));
    if (!empty)
        return;
    Symbols::paint(painter, QRectF(layout.hint.left(), layout.hint.top(), layout.hint.width(), 24 * s),
                   QStringLiteral("plus.circle"), Symbols::pixelSizeForFontSize(24 * s), white(0.45));
    painter.setFont(uiFont(11 * s, QFont::Normal));
    painter.setPen(white(0.5));
    const double inset = layout.hint.width() * 0.15;
    painter.drawText(layout.hint.adjusted(inset, 29 * s, -inset, 0), hintFlags, L::emptyGroup());
}

void HoleOverlay::paintContent(QPainter &painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    const double base = painter.opacity();
    if (m_switcherShown > 0) {
        painter.setOpacity(base * eased(m_switcherShown));
        m_switcher->paint(painter);
    }
    if (m_layerOut > 0 && !m_layerOutImage.isNull()) {
        painter.setOpacity(base * eased(m_layerOut));
        painter.drawImage(QPointF(0, 0), m_layerOutImage);
    }
    if (!m_layerImage.isNull()) {
        painter.setOpacity(base * eased(m_layerIn));
        painter.drawImage(QPointF(0, 0), m_layerImage);
    }
    painter.setOpacity(base);
}

void HoleOverlay::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    if (m_layerImage.devicePixelRatio() != devicePixelRatioF())
        m_layerImage = renderLayer(devicePixelRatioF());
    paintContent(painter);
    if (LayoutTrace::enabled()) {
        const QList<AppList> &lists = m_state->lists();
        for (int i = 0; i < lists.size(); ++i)
            LayoutTrace::report(QStringLiteral("row:") + lists[i].name, this, rowRect(i));
        LayoutTrace::report(QStringLiteral("backPill"), this, backPillRect());
    }
}

// Screen readers.

QList<PaintedItem> HoleOverlay::accessibleItems() const {
    QList<PaintedItem> items;
    if (layer() == Layer::groupHeader) {
        PaintedItem back;
        back.key = QStringLiteral("back");
        back.name = backText();
        back.description = L::back();
        back.rect = backPillRect().toAlignedRect();
        items.append(back);
    }
    const QList<AppList> &lists = m_state->lists();
    for (int i = 0; layer() == Layer::switcher && i < lists.size(); ++i) {
        PaintedItem row;
        row.key = uuidString(lists[i].id);
        row.name = lists[i].name;
        row.description = L::positionOf(i + 1, int(lists.size()));
        row.role = QAccessible::RadioButton;
        row.rect = rowRect(i).toAlignedRect();
        row.checkable = true;
        row.checked = row.selected = i == m_state->activeListIndex();
        items.append(row);
    }
    return items;
}

void HoleOverlay::pressAccessibleItem(const QString &key) {
    if (key == QLatin1String("back")) {
        Q_EMIT backRequested();
        return;
    }
    const QList<AppList> &lists = m_state->lists();
    for (int i = 0; i < lists.size(); ++i) {
        if (uuidString(lists[i].id) == key)
            Q_EMIT switchRequested(i);
    }
}
