#include "views/CenterContentView.h"

#include "l10n/L.h"
#include "ring/HoverModel.h"
#include "ring/RingGeometry.h"
#include "settings/Preferences.h"
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

QFont CenterContentView::uiFont(double pixels, QFont::Weight weight) {
    QFont font;
    font.setPixelSize(std::max(1, int(std::lround(pixels))));
    font.setWeight(weight);
    return font;
}

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

void CenterContentView::setSearchText(const QString &text, bool matches) {
    if (text != m_searchText || matches != m_searchMatches) {
        m_searchText = text;
        m_searchMatches = matches;
        sync();
    }
}

double CenterContentView::scale() const {
    return RingGeometry::effectiveScale(m_state->preferences().launcherScale());
}

CenterContentView::Layer CenterContentView::layer() const {
    if (m_dragging)
        return Layer::none;
    if (!m_searchText.isEmpty())
        return Layer::search;
    if (m_hoverAtCenter && m_hover && m_hover->name())
        return Layer::hoverName;
    if (m_state->openSubList()) // an id that names no group of the shown list is no group
        return Layer::groupHeader;
    return m_state->lists().size() >= 2 ? Layer::switcher : Layer::listName;
}

CenterContentView::Metrics CenterContentView::metrics() const {
    Metrics m;
    m.s = scale();
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
    const double s = scale();
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
                  QString::number(scale());
    switch (layer()) {
    case Layer::hoverName:
        return key + *m_hover->name();
    case Layer::search:
        return key + QString::number(m_searchMatches) + m_searchText;
    case Layer::groupHeader: {
        const auto group = m_state->openSubList();
        const int index = m_state->safeIndex();
        return key + (group ? group->name : QString()) + u'|' +
               (m_state->lists().isEmpty() ? L::back() : m_state->lists()[index].name) + u'|' +
               QString::number(m_state->currentItems().isEmpty());
    }
    case Layer::listName:
        return key + QString::number(m_state->currentItems().isEmpty()) +
               (m_state->lists().isEmpty() ? QString() : m_state->lists()[m_state->safeIndex()].name);
    case Layer::switcher:
        return key + QString::number(m_state->currentItems().isEmpty());
    case Layer::none:
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

// Input.

void CenterContentView::endRowDrag() {
    m_pressRow.reset();
    m_pressPill = false;
    m_dragEnd.stop();
    m_settling = false;
    m_dotDragOffset = 0;
    if (m_draggingListID) {
        m_draggingListID.reset();
        sync();
    }
}

void CenterContentView::mousePressEvent(QMouseEvent *event) {
    // A new press: the last drag is over, settled or not, and one whose release was lost is let go, so
    // this press clicks or drags like any other.
    endRowDrag();
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
        sync();
    }
    m_dotDragOffset = travel.y();
    startFrames();
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
