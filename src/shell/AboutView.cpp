#include "shell/AboutView.h"

#include "BuildConfig.h"
#include "favicons/FaviconCache.h"
#include "l10n/L.h"
#include "shell/SettingsWindow.h"
#include "store/AppState.h"
#include "views/PaintHelpers.h"

#include <QPainter>
#include <QPainterPath>

using PaintHelpers::withAlpha;

namespace {
constexpr double badgeSide = 84;
constexpr double iconSide = 64;

QFont sized(QFont font, int pixelSize, QFont::Weight weight) {
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

// A shape's soft shadow, drawn centred on centre.
void paintShadow(QPainter &painter, const QImage &shape, const QPointF &centre, qreal radius,
                 const QColor &color) {
    const QImage shadow = PaintHelpers::blurredShadow(shape, radius, color);
    const QSizeF size = QSizeF(shadow.size()) / shadow.devicePixelRatio();
    painter.drawImage(QRectF(centre - QPointF(size.width() / 2, size.height() / 2), size), shadow);
}
} // namespace

AboutView::AboutView(AppState *state, const QString &version, const QString &build, bool showsInTaskbar,
                     QWidget *parent)
    : QWidget(parent), m_version(version.isEmpty() ? QStringLiteral("1.0") : version),
      m_build(build.isEmpty() ? QStringLiteral("1") : build) {
    setObjectName(QStringLiteral("IlvexAbout"));
    setWindowIcon(OwnWindows::applicationIcon());
    setWindowFlags(Qt::Window);
    OwnWindows::setShowsInTaskbar(this, showsInTaskbar);
    setFixedSize(viewWidth, viewHeight);
    setWindowTitle(L::aboutIlvex());
    if (state) {
        connect(state, &AppState::languageChanged, this, [this] {
            setWindowTitle(L::aboutIlvex());
            update();
        });
    }
}

QString AboutView::versionLine() const {
    return L::version(m_version, m_build);
}

QString AboutView::footer() {
    return QStringLiteral("© 2026 Marrowby Labs");
}

void AboutView::present() {
    setWindowTitle(L::aboutIlvex());
    OwnWindows::bringToFront(this);
}

void AboutView::paintBadge(QPainter &painter, const QPointF &centre) {
    const qreal ratio = devicePixelRatioF();
    const QRectF disc(centre.x() - badgeSide / 2, centre.y() - badgeSide / 2, badgeSide, badgeSide);
    const int pixels = qRound(badgeSide * ratio);
    QImage circle(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    circle.setDevicePixelRatio(ratio);
    circle.fill(Qt::transparent);
    {
        QPainter shape(&circle);
        shape.setRenderHint(QPainter::Antialiasing);
        shape.setPen(Qt::NoPen);
        shape.setBrush(Qt::black);
        shape.drawEllipse(QRectF(0, 0, badgeSide, badgeSide));
    }
    paintShadow(painter, circle, centre, 20, withAlpha(QColor::fromRgbF(0.18f, 0.40f, 0.85f), 0.55));

    painter.setPen(Qt::NoPen);
    painter.setBrush(withAlpha(Qt::white, 0.10)); // the translucent material
    painter.drawEllipse(disc);
    QRadialGradient glow(centre, badgeSide / 2);
    glow.setColorAt(0, withAlpha(QColor::fromRgbF(0.38f, 0.62f, 1.0f), 0.35));
    glow.setColorAt(1, withAlpha(QColor::fromRgbF(0.18f, 0.40f, 0.85f), 0.55));
    painter.setBrush(glow);
    painter.drawEllipse(disc);
    QLinearGradient rim(disc.topLeft(), disc.bottomRight());
    rim.setColorAt(0, withAlpha(Qt::white, 0.5));
    rim.setColorAt(1, withAlpha(Qt::white, 0.08));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QBrush(rim), 1.2));
    painter.drawEllipse(disc.adjusted(0.6, 0.6, -0.6, -0.6));

    const QImage icon =
        OwnWindows::applicationIcon().pixmap(QSize(int(iconSide), int(iconSide)), ratio).toImage();
    const QPointF iconCentre = centre + QPointF(0, 0);
    paintShadow(painter, icon, iconCentre + QPointF(0, 4), 8, withAlpha(Qt::black, 0.4));
    painter.drawImage(
        QRectF(iconCentre.x() - iconSide / 2, iconCentre.y() - iconSide / 2, iconSide, iconSide), icon);
}

void AboutView::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(rect().topLeft(), rect().bottomRight());
    background.setColorAt(0, QColor::fromRgbF(0.16f, 0.26f, 0.54f));
    background.setColorAt(1, QColor::fromRgbF(0.10f, 0.18f, 0.40f));
    painter.fillRect(rect(), background);

    struct Line {
        QString text;
        QFont font;
        double opacity;
    };
    const Line lines[] = {
        {QStringLiteral("Ilvex"), sized(font(), 22, QFont::Bold), 1.0},
        {L::byMarrowby(), sized(font(), 12, QFont::Medium), 0.55},
        {versionLine(), sized(font(), 13, QFont::Normal), 0.6},
    };
    const Line footerLine{footer(), sized(font(), 11, QFont::Normal), 0.45};
    // The stack: badge, 14, three lines 5 apart, 14, divider, 14, footer; centred as a whole.
    qreal textHeight = 2 * 5;
    for (const Line &line : lines)
        textHeight += QFontMetricsF(line.font).height();
    const qreal footerHeight = QFontMetricsF(footerLine.font).height();
    // Under the footer: where a link's host name goes (nothing in a build without site icons).
    const QString privacy = privacyNote();
    const QFont privacyFont = sized(font(), 10, QFont::Normal);
    const QRectF privacyBox(24, 0, viewWidth - 48, viewHeight);
    const int privacyFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;
    const qreal privacyHeight =
        privacy.isEmpty()
            ? 0
            : 8 + QFontMetricsF(privacyFont).boundingRect(privacyBox, privacyFlags, privacy).height();
    const qreal total = badgeSide + 14 + textHeight + 14 + 1 + 14 + footerHeight + privacyHeight;
    qreal y = std::max<qreal>(6, (viewHeight - total) / 2);
    paintBadge(painter, QPointF(viewWidth / 2.0, y + badgeSide / 2));
    y += badgeSide + 14;
    auto drawLine = [&](const Line &line) {
        const qreal lineHeight = QFontMetricsF(line.font).height();
        painter.setFont(line.font);
        painter.setPen(withAlpha(Qt::white, line.opacity));
        painter.drawText(QRectF(24, y, viewWidth - 48, lineHeight), Qt::AlignCenter | Qt::TextSingleLine,
                         line.text);
        y += lineHeight;
    };
    for (const Line &line : lines) {
        drawLine(line);
        y += 5;
    }
    y += 14 - 5;
    painter.fillRect(QRectF(40, y, viewWidth - 80, 1), withAlpha(Qt::white, 0.25 * 0.3));
    y += 1 + 14;
    drawLine(footerLine);
    if (!privacy.isEmpty()) {
        painter.setFont(privacyFont);
        painter.setPen(withAlpha(Qt::white, 0.45));
        painter.drawText(privacyBox.translated(0, y + 8), privacyFlags, privacy);
    }
}

QString AboutView::privacyNote() {
    if (!BuildConfig::faviconsEnabled)
        return {};
    return L::siteIconsPrivacy(FaviconEndpoints::standard().serviceBase.host());
}
