#include "launcher/ListSwitcher.h"

#include "l10n/L.h"
#include "launcher/HoleOverlay.h"
#include "launcher/ListColourPopover.h"
#include "ring/RingGeometry.h"
#include "settings/Preferences.h"
#include "store/AppState.h"
#include "views/NamePrompt.h"
#include "views/PaintHelpers.h"
#include "views/Symbols.h"

#include <QFontMetricsF>
#include <QMenu>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cmath>

using PaintHelpers::withAlpha;

namespace {
constexpr int dragEndMs = 320;
constexpr double dragMinimum = 6;

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

QColor white(double alpha) {
    return withAlpha(Qt::white, alpha);
}

// The index of the list with this id now, or -1: the lists may have changed since a menu opened.
int indexOf(const QList<AppList> &lists, const QUuid &id) {
    for (int i = 0; i < lists.size(); ++i) {
        if (lists[i].id == id)
            return i;
    }
    return -1;
}
} // namespace

ListSwitcher::ListSwitcher(AppState *state, ViewHost *host, QWidget *owner)
    : QObject(owner), m_state(state), m_host(host), m_owner(owner), m_colourGuard(host) {
    m_dragEnd.setSingleShot(true);
    m_dragEnd.setInterval(dragEndMs);
    connect(&m_dragEnd, &QTimer::timeout, this, [this] {
        m_draggedListID.reset();
        sync();
        Q_EMIT changed();
    });
}

ListSwitcher::~ListSwitcher() {
    if (m_colourPopup) {
        m_colourPopup->disconnect(this);
        delete m_colourPopup.data();
    }
}

double ListSwitcher::scale() const {
    return RingGeometry::effectiveScale(m_state->preferences().launcherScale());
}

ListSwitcher::Metrics ListSwitcher::metrics() const {
    Metrics m;
    m.s = scale();
    const QFontMetricsF font(HoleOverlay::uiFont(12 * m.s, QFont::DemiBold));
    m.rowHeight = font.height() + 8 * m.s;
    m.pitch = rowPitch();
    const QList<AppList> &lists = m_state->lists();
    double widest = 0;
    for (const AppList &list : lists)
        widest = std::max(widest, font.horizontalAdvance(list.name));
    const double width = std::min(widest + 20 * m.s + 24 * m.s, m_holeDiameter * 0.62);
    const qsizetype n = lists.size();
    const double height = n * m.rowHeight + std::max<qsizetype>(n - 1, 0) * 7 * m.s + 16 * m.s;
    m.container = QRectF(-width / 2, -height / 2, width, height)
                      .translated(m_owner->rect().center() + QPointF(0.5, 0.5));
    return m;
}

QRectF ListSwitcher::frame() const {
    return metrics().container;
}

double ListSwitcher::rowPitch() const {
    const double s = scale();
    const double rowHeight = QFontMetricsF(HoleOverlay::uiFont(12 * s, QFont::DemiBold)).height() + 8 * s;
    return rowHeight > 0 ? rowHeight + 7 * s : 33 * s;
}

int ListSwitcher::reorderTarget(double offset, double pitch, int startIndex, int count) {
    const int steps = pitch > 0 ? int(std::round(offset / pitch)) : 0;
    return std::clamp(startIndex + steps, 0, std::max(count - 1, 0));
}

QRectF ListSwitcher::rowRect(int index) const {
    if (index < 0 || index >= m_state->lists().size())
        return {};
    const Metrics m = metrics();
    const double y = m.restY(index);
    return QRectF(m.container.left() + 12 * m.s, y - m.rowHeight / 2, m.container.width() - 24 * m.s,
                  m.rowHeight);
}

int ListSwitcher::rowAt(QPointF point) const {
    const double gap = 3.5 * scale(); // rows are 7 s apart: no click falls between two
    for (int i = 0; i < m_state->lists().size(); ++i) {
        if (rowRect(i).adjusted(0, -gap, 0, gap).contains(point))
            return i;
    }
    return -1;
}

void ListSwitcher::sync() {
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
        if (isNew || m_draggedListID == id)
            row.y.reset(y);
        else
            row.y.setTarget(y);
        const double active = i == m_state->activeListIndex() ? 1 : 0;
        if (isNew)
            row.active.reset(active);
        row.active.setTarget(active);
        row.lift.setTarget(m_draggedListID == id && !m_settling ? 1 : 0);
    }
    for (auto it = m_rows.begin(); it != m_rows.end();)
        it = present.contains(it.key()) ? std::next(it) : m_rows.erase(it);
}

bool ListSwitcher::step(double dt) {
    bool moving = false;
    for (Row &row : m_rows) {
        for (Spring *spring : {&row.y, &row.active, &row.lift}) {
            spring->step(dt);
            moving = moving || !spring->isSettled();
        }
    }
    if (m_settling) {
        m_settle.step(dt);
        m_dragOffset = m_settle.value();
        if (m_settle.isSettled()) {
            m_settling = false;
            m_dragOffset = 0;
        } else {
            moving = true;
        }
    }
    return moving;
}

void ListSwitcher::endDrag() {
    m_pressRow.reset();
    m_dragEnd.stop();
    m_settling = false;
    m_dragOffset = 0;
    if (m_draggedListID) {
        m_draggedListID.reset();
        sync();
        Q_EMIT changed();
    }
}

bool ListSwitcher::press(QPointF point) {
    const int row = rowAt(point);
    if (row < 0)
        return false;
    m_pressRow = row;
    m_pressPoint = point;
    return true;
}

void ListSwitcher::move(QPointF point) {
    const QList<AppList> &lists = m_state->lists();
    if (!m_pressRow || *m_pressRow >= lists.size())
        return;
    const QPointF travel = point - m_pressPoint;
    if (!m_draggedListID) {
        if (QLineF(QPointF(), travel).length() < dragMinimum)
            return;
        m_draggedListID = lists[*m_pressRow].id;
        m_dragStartIndex = *m_pressRow;
        sync();
    }
    m_dragOffset = travel.y();
    Q_EMIT changed();
}

void ListSwitcher::release(QPointF point) {
    const std::optional<int> row = std::exchange(m_pressRow, std::nullopt);
    if (!row)
        return;
    const QList<AppList> &lists = m_state->lists();
    if (m_draggedListID && !m_settling && *row < lists.size() && lists[*row].id == *m_draggedListID)
        finishDrag();
    else if (!m_draggedListID && rowAt(point) == *row)
        Q_EMIT switchRequested(*row);
}

void ListSwitcher::finishDrag() {
    const QList<AppList> &lists = m_state->lists();
    const double pitch = rowPitch();
    const int found = indexOf(lists, *m_draggedListID);
    const int from = found >= 0 ? found : m_dragStartIndex;
    const int to = reorderTarget(m_dragOffset, pitch, m_dragStartIndex, int(lists.size()));
    if (to != from) {
        // The row stays where the pointer left it, then settles into its new slot.
        m_dragOffset -= pitch * (to - from);
        m_state->reorderList(from, to);
    }
    m_settling = true;
    m_settle.reset(m_dragOffset);
    m_settle.setTarget(0);
    m_dragEnd.start();
    sync();
    Q_EMIT changed();
}

QMenu *ListSwitcher::buildRowMenu(int index) {
    auto *menu = new QMenu(m_owner);
    const QList<AppList> &lists = m_state->lists();
    if (index < 0 || index >= lists.size())
        return menu;
    const AppList list = lists[index];
    const QColor iconColour = m_owner->palette().color(QPalette::WindowText);
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
            const int now = indexOf(m_state->lists(), id);
            if (now >= 0 && m_state->lists()[now].items.isEmpty())
                m_state->removeList(now);
        });
    }
    return menu;
}

void ListSwitcher::openRename(int index) {
    const QList<AppList> &lists = m_state->lists();
    if (index < 0 || index >= lists.size())
        return;
    NamePrompt::open(
        L::renameList(), lists[index].name,
        [this, id = lists[index].id](const QString &text) {
            const QString name = trimSpacesAndTabs(text);
            const int now = indexOf(m_state->lists(), id);
            if (now >= 0 && !name.isEmpty())
                m_state->renameList(now, name);
        },
        m_owner->window(), colors(lists[index].theme).primary, m_host);
}

void ListSwitcher::openColour(const QUuid &listID) {
    const int index = indexOf(m_state->lists(), listID);
    if (index < 0)
        return;
    closeColour();
    m_colourGuard.setActive(true);
    auto *popover = new ListColourPopover(m_state->lists()[index].theme, [this, listID](ListTheme theme) {
        const int now = indexOf(m_state->lists(), listID);
        if (now >= 0)
            m_state->setTheme(theme, now);
    });
    connect(popover, &ListColourPopover::closed, this, &ListSwitcher::closeColour);
    m_colourPopup = popover;
    const QRectF row = rowRect(index);
    const QRectF anchor = row.isEmpty() ? QRectF(m_owner->rect()) : row;
    popover->popup(QRect(m_owner->mapToGlobal(anchor.topLeft().toPoint()), anchor.size().toSize()));
}

void ListSwitcher::closeColour() {
    m_colourGuard.setActive(false);
    if (m_colourPopup) {
        QWidget *popup = m_colourPopup.data();
        m_colourPopup.clear();
        popup->deleteLater();
    }
}

void ListSwitcher::paint(QPainter &painter) {
    const QList<AppList> &lists = m_state->lists();
    if (lists.size() < 2)
        return;
    const Metrics m = metrics();
    const double radius = std::min(m.container.width(), m.container.height()) / 2;
    painter.setPen(QPen(white(0.14), 1.2));
    painter.setBrush(withAlpha(Qt::black, 0.3));
    painter.drawRoundedRect(m.container, radius, radius);
    painter.setPen(Qt::NoPen);
    painter.setBrush(white(0.05)); // the translucent material at half strength
    painter.drawRoundedRect(m.container, radius, radius);
    const int dragged = m_draggedListID ? indexOf(lists, *m_draggedListID) : -1;
    for (int i = 0; i < lists.size(); ++i) {
        if (i != dragged)
            paintRow(painter, m, i);
    }
    if (dragged >= 0)
        paintRow(painter, m, dragged); // above its siblings
    if (m_glows.size() > 64)
        m_glows.clear();
}

void ListSwitcher::paintRow(QPainter &painter, const Metrics &m, int index) {
    const AppList &list = m_state->lists()[index];
    const double s = m.s;
    const double textWidth = m.container.width() - 24 * s - 20 * s;
    const qreal dpr = painter.device()->devicePixelRatioF();
    const Row &row = m_rows.value(list.id);
    const bool isActive = index == m_state->activeListIndex();
    const QColor primary = colors(list.theme).primary;
    const double active = std::clamp(row.active.value(), 0.0, 1.0);
    const QColor rest = white(0.45);
    const QColor colour = QColor::fromRgbF(rest.redF() + (primary.redF() - rest.redF()) * active,
                                           rest.greenF() + (primary.greenF() - rest.greenF()) * active,
                                           rest.blueF() + (primary.blueF() - rest.blueF()) * active,
                                           rest.alphaF() + (1 - rest.alphaF()) * active);
    const QFont font = HoleOverlay::uiFont(12 * s, isActive ? QFont::DemiBold : QFont::Normal);
    const QString text = QFontMetricsF(font).elidedText(list.name, Qt::ElideRight, textWidth);
    const double y = row.y.value() + (m_draggedListID == list.id ? m_dragOffset : 0);
    painter.save();
    painter.translate(m.container.center().x(), y);
    const double lift = 1 + 0.18 * std::clamp(row.lift.value(), 0.0, 1.5);
    painter.scale(lift, lift);
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
    painter.drawText(QRectF(-textWidth / 2, -m.rowHeight / 2, textWidth, m.rowHeight), Qt::AlignCenter, text);
    painter.restore();
}
