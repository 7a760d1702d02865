// The centre view's drawing: the group header, the list name, the hover capsule and the switcher.
#include "views/CenterContentView.h"

#include "l10n/L.h"
#include "ring/HoverModel.h"
#include "store/AppState.h"
#include "views/LayoutTrace.h"
#include "views/PaintHelpers.h"
#include "views/Symbols.h"

#include <QEasingCurve>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

using PaintHelpers::withAlpha;

namespace {
QColor white(double alpha) {
    return withAlpha(Qt::white, alpha);
}

double eased(double t) {
    return QEasingCurve(QEasingCurve::InOutQuad).valueForProgress(std::clamp(t, 0.0, 1.0));
}
struct HeaderLayout {
    QRectF name, pill, hint;
};

constexpr int hintFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;

// The hint's text, wrapped to the width: its height counts the lines as drawn, in the fonts that draw
// them (a Chinese or Japanese line is taller than a Latin one of the same size).
QRectF hintTextBounds(const QString &text, double width, double s) {
    return QFontMetricsF(CenterContentView::uiFont(11 * s, QFont::Normal))
        .boundingRect(QRectF(0, 0, width, 1e4), hintFlags, text);
}

HeaderLayout headerLayout(QPointF centre, double hole, double s, bool showsHint) {
    const double nameH = QFontMetricsF(CenterContentView::uiFont(22 * s, QFont::DemiBold)).height();
    const double pillH = QFontMetricsF(CenterContentView::uiFont(12 * s, QFont::Medium)).height() + 8 * s;
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

double pillWidth(const QString &text, double s) {
    return 10 * s + 4 * s +
           QFontMetricsF(CenterContentView::uiFont(12 * s, QFont::Medium)).horizontalAdvance(text) + 20 * s;
}
} // namespace

QRectF CenterContentView::backPillRect() const {
    if (layer() != Layer::groupHeader)
        return {};
    const double s = scale();
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
    const double s = scale();
    const QPointF centre = QRectF(rect()).center();
    const double maxWidth = std::max(0.0, m_holeDiameter - 36);
    const QList<AppList> &lists = m_state->lists();
    const QString listName = lists.isEmpty() ? QString() : lists[m_state->safeIndex()].name;
    // An empty ring says where its entries come from, under the list's name or the switcher.
    const bool emptyRing = !lists.isEmpty() && m_state->currentItems().isEmpty();
    const auto paintEmptyRingHint = [&](double top) {
        painter.setFont(CenterContentView::uiFont(11 * s, QFont::Normal));
        painter.setPen(white(0.5));
        const double width = maxWidth * 0.85;
        painter.drawText(
            QRectF(centre.x() - width / 2, top, width, hintTextBounds(L::emptyRing(), width, s).height()),
            hintFlags, L::emptyRing());
    };
    switch (layer()) {
    case Layer::switcher:
        if (emptyRing)
            paintEmptyRingHint(metrics().container.bottom() + 10 * s);
        return;
    case Layer::none:
        return;
    case Layer::hoverName: {
        const QFont font = CenterContentView::uiFont(24 * s, QFont::DemiBold);
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
    case Layer::search: {
        // The typed text, its end in view when it is longer than the hole, and a caret after it.
        const QFont font = CenterContentView::uiFont(22 * s, QFont::DemiBold);
        painter.setFont(font);
        const QFontMetricsF metrics(font);
        const double room = std::max(0.0, maxWidth - 48 * s);
        const QString shown = metrics.elidedText(m_searchText, Qt::ElideLeft, room);
        const double textWidth = metrics.horizontalAdvance(shown);
        QRectF capsule(0, 0, textWidth + 48 * s + 4 * s, metrics.height() + 20 * s);
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
        const QFont font = CenterContentView::uiFont(22 * s, QFont::DemiBold);
        painter.setFont(font);
        painter.setPen(white(0.85));
        const QRectF box(centre.x() - maxWidth / 2, centre.y() - 50 * s, maxWidth, 100 * s);
        painter.drawText(box, Qt::AlignCenter,
                         QFontMetricsF(font).elidedText(listName, Qt::ElideRight, maxWidth));
        if (emptyRing)
            paintEmptyRingHint(centre.y() + QFontMetricsF(font).height() / 2 + 8 * s);
        return;
    }
    case Layer::groupHeader: {
        const auto group = m_state->openSubList();
        const bool empty = m_state->currentItems().isEmpty();
        const HeaderLayout layout = headerLayout(centre, m_holeDiameter, s, empty);
        const QFont nameFont = CenterContentView::uiFont(22 * s, QFont::DemiBold);
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
        const QFont pillFont = CenterContentView::uiFont(12 * s, QFont::Medium);
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
            painter.setFont(CenterContentView::uiFont(11 * s, QFont::Normal));
            painter.setPen(white(0.5));
            const double inset = layout.hint.width() * 0.15;
            painter.drawText(layout.hint.adjusted(inset, 29 * s, -inset, 0), hintFlags, L::emptyGroup());
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
        const QFont font = CenterContentView::uiFont(12 * s, isActive ? QFont::DemiBold : QFont::Normal);
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
