#include "views/AppIconPainter.h"

#include "views/FileIcons.h"
#include "views/PaintHelpers.h"
#include "views/Symbols.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QtMath>

#include <array>
#include <cmath>

namespace {
using PaintHelpers::withAlpha;

constexpr qreal degreesToRadians = 0.017453292519943295;

QImage blankImage(qreal side, qreal dpr) {
    const int pixels = qMax(1, qCeil(side * dpr));
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    return image;
}

// Scales an image to fit a square, keeping its aspect ratio.
void drawAspectFit(QPainter &painter, const QRectF &square, const QImage &image) {
    if (image.isNull())
        return;
    const QSizeF size = image.deviceIndependentSize().scaled(square.size(), Qt::KeepAspectRatio);
    const QRectF target(square.center().x() - size.width() / 2, square.center().y() - size.height() / 2,
                        size.width(), size.height());
    painter.drawImage(target, image);
}

QImage symbolImage(const QString &name, qreal side, qreal dpr) {
    return Symbols::image(name, side, withAlpha(Qt::white, 0.92), dpr);
}

QPixmap shadowPixmap(const QPixmap &image, qreal radius, const QColor &color) {
    const qreal dpr = image.devicePixelRatio();
    const QString key = QStringLiteral("ilvex-shadow|%1|%2|%3")
                            .arg(image.cacheKey())
                            .arg(qRound(radius * 2))
                            .arg(color.rgba());
    QPixmap cached;
    if (QPixmapCache::find(key, &cached))
        return cached;
    QImage source = image.toImage();
    source.setDevicePixelRatio(dpr);
    QImage coloured = PaintHelpers::blurredShadow(source, radius, color);
    cached = QPixmap::fromImage(coloured);
    QPixmapCache::insert(key, cached);
    return cached;
}

qreal lerp(qreal a, qreal b, qreal t) {
    return a + (b - a) * t;
}

QColor lerp(const QColor &a, const QColor &b, qreal t) {
    return QColor::fromRgbF(lerp(a.redF(), b.redF(), t), lerp(a.greenF(), b.greenF(), t),
                            lerp(a.blueF(), b.blueF(), t), lerp(a.alphaF(), b.alphaF(), t));
}

AppIconEffect lerp(const AppIconEffect &a, const AppIconEffect &b, qreal t) {
    return {lerp(a.scale, b.scale, t), lerp(a.shadowColor, b.shadowColor, t),
            lerp(a.shadowRadius, b.shadowRadius, t), lerp(a.shadowYOffset, b.shadowYOffset, t)};
}

// Stand-in for a translucent blurred material: a light, faint fill.
QColor material(qreal opacity = 1.0) {
    return withAlpha(Qt::white, 0.16 * opacity);
}
} // namespace

QColor AppIconPainter::defaultTint() {
    return QColor::fromRgbF(0.38f, 0.62f, 1.0f);
}

QColor AppIconPainter::groupTint(const AppItem &item, const QColor &subListTint) {
    const FolderTintPreset *preset = folderTintPreset(item.folderTint);
    return preset ? hex(preset->hex) : subListTint;
}

QColor AppIconPainter::capsuleColor(const AppItem &item, const QColor &subListTint) {
    if (item.isFolder) {
        const FolderTintPreset *preset = folderTintPreset(item.folderTint);
        return withAlpha(preset ? hex(preset->hex) : defaultTint(), 0.45);
    }
    if (item.isSubList)
        return withAlpha(groupTint(item, subListTint), 0.45);
    return withAlpha(Qt::white, 0.18);
}

bool AppIconPainter::isApplication(const AppItem &item) {
    // An application is a desktop entry; the suffix test is case-sensitive.
    return item.appPath.endsWith(QStringLiteral(".desktop"));
}

bool AppIconPainter::showsCapsule(const AppItem &item) {
    return item.isFolder || item.isSubList || (!item.isURL && !isApplication(item));
}

QSizeF AppIconPainter::frameSize(const AppItem &item, qreal iconSize) {
    return {iconSize + frameExtraWidth,
            iconSize + (showsCapsule(item) ? capsuleFrameExtraHeight : frameExtraWidth)};
}

QFont AppIconPainter::capsuleFont() {
    QFont font;
    font.setPixelSize(12);
    font.setWeight(QFont::DemiBold);
    return font;
}

namespace {
qreal capsuleHeight() {
    return std::ceil(QFontMetricsF(AppIconPainter::capsuleFont()).height()) + 6;
}
} // namespace

QRectF AppIconPainter::imageRect(const AppItem &item, qreal iconSize) {
    const QSizeF frame = frameSize(item, iconSize);
    const qreal side = iconSize - imageInset;
    const qreal stack = side + (showsCapsule(item) ? stackSpacing + capsuleHeight() : 0);
    return {(frame.width() - side) / 2, (frame.height() - stack) / 2, side, side};
}

QRectF AppIconPainter::capsuleRect(const AppItem &item, qreal iconSize) {
    if (!showsCapsule(item))
        return {};
    const QSizeF frame = frameSize(item, iconSize);
    const qreal width =
        std::min(frame.width(), std::ceil(QFontMetricsF(capsuleFont()).horizontalAdvance(item.name)) + 18);
    const QRectF image = imageRect(item, iconSize);
    return {(frame.width() - width) / 2, image.bottom() + stackSpacing, width, capsuleHeight()};
}

QImage AppIconPainter::baseIcon(const AppItem &item, const std::optional<QImage> &favicon, qreal side,
                                qreal dpr, bool mini) {
    if (item.isURL) {
        if (favicon && !mini)
            return *favicon;
        return symbolImage(QStringLiteral("globe"), side, dpr);
    }
    if (item.appPath.isEmpty()) {
        const QString name = item.isFolder ? QStringLiteral("folder") : QStringLiteral("app");
        return symbolImage(mini ? name + QStringLiteral(".fill") : name, side, dpr);
    }
    const QIcon icon = FileIcons::iconForPath(item.appPath);
    if (icon.isNull())
        return {};
    // Icons are picked at the pixel size they will show at; large sizes keep them crisp when scaled up.
    const int pixels = qMax(16, qCeil(side * dpr * 1.5));
    QImage image = icon.pixmap(QSize(pixels, pixels)).toImage();
    image.setDevicePixelRatio(1.0);
    return image;
}

QImage AppIconPainter::recoloured(const QImage &source, qreal hueDegrees, qreal saturation) {
    if (hueDegrees == 0 && saturation == 1)
        return source;
    const qreal angle = hueDegrees * degreesToRadians;
    const qreal c = std::cos(angle);
    const qreal s = std::sin(angle);
    const std::array<qreal, 9> hue = {
        0.213 + c * 0.787 - s * 0.213, 0.715 - c * 0.715 - s * 0.715, 0.072 - c * 0.072 + s * 0.928,
        0.213 - c * 0.213 + s * 0.143, 0.715 + c * 0.285 + s * 0.140, 0.072 - c * 0.072 - s * 0.283,
        0.213 - c * 0.213 - s * 0.787, 0.715 - c * 0.715 + s * 0.715, 0.072 + c * 0.928 + s * 0.072};
    const qreal v = saturation;
    const std::array<qreal, 9> sat = {0.213 + 0.787 * v, 0.715 - 0.715 * v, 0.072 - 0.072 * v,
                                      0.213 - 0.213 * v, 0.715 + 0.285 * v, 0.072 - 0.072 * v,
                                      0.213 - 0.213 * v, 0.715 - 0.715 * v, 0.072 + 0.928 * v};
    std::array<qreal, 9> m{}; // saturation applied after the hue rotation
    for (int r = 0; r < 3; ++r)
        for (int col = 0; col < 3; ++col)
            for (int k = 0; k < 3; ++k)
                m[r * 3 + col] += sat[r * 3 + k] * hue[k * 3 + col];

    QImage image = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        auto *pixel = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int a = qAlpha(pixel[x]);
            if (a == 0)
                continue;
            const qreal r = qRed(pixel[x]), g = qGreen(pixel[x]), b = qBlue(pixel[x]);
            auto channel = [&](int row) {
                return std::clamp(qRound(m[row * 3] * r + m[row * 3 + 1] * g + m[row * 3 + 2] * b), 0, a);
            };
            pixel[x] = qRgba(channel(0), channel(1), channel(2), a);
        }
    }
    return image;
}

QImage AppIconPainter::groupGlyph(const AppItem &group, qreal inner, const QColor &tint, qreal dpr) {
    QImage image = blankImage(inner, dpr);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const QRectF square(0, 0, inner, inner);
    QPainterPath shape;
    shape.addRoundedRect(square, inner * 0.26, inner * 0.26);

    painter.fillPath(shape, material());
    QLinearGradient body(square.topLeft(), square.bottomRight());
    body.setColorAt(0, withAlpha(tint, 0.92));
    body.setColorAt(1, withAlpha(tint, 0.55));
    painter.fillPath(shape, body);
    QLinearGradient sheen(square.topLeft(), QPointF(0, inner / 2));
    sheen.setColorAt(0, withAlpha(Qt::white, 0.28));
    sheen.setColorAt(1, Qt::transparent);
    painter.fillPath(shape, sheen);

    const QList<AppItem> members = group.subItems.value_or(QList<AppItem>()).mid(0, 4);
    if (members.isEmpty()) {
        const qreal glyph = Symbols::pixelSizeForFontSize(inner * 0.34);
        const QRectF box(square.center().x() - glyph / 2, square.center().y() - glyph / 2, glyph, glyph);
        Symbols::paint(painter, box.translated(0, 1), QStringLiteral("square.grid.2x2.fill"), glyph,
                       withAlpha(Qt::black, 0.2));
        Symbols::paint(painter, box, QStringLiteral("square.grid.2x2.fill"), glyph,
                       withAlpha(Qt::white, 0.92));
    } else {
        const qreal cell = inner * 0.3;
        const qreal d = inner * 0.055 + cell * 0.5;
        const std::array<QPointF, 4> offsets = {QPointF(-d, -d), QPointF(d, -d), QPointF(-d, d),
                                                QPointF(d, d)};
        for (int i = 0; i < members.size(); ++i) {
            QImage mini = blankImage(cell, dpr);
            {
                QPainter miniPainter(&mini);
                miniPainter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
                QPainterPath clip;
                clip.addRoundedRect(QRectF(0, 0, cell, cell), cell * 0.26, cell * 0.26);
                miniPainter.setClipPath(clip);
                drawAspectFit(miniPainter, QRectF(0, 0, cell, cell),
                              baseIcon(members[i], std::nullopt, cell, dpr, true));
            }
            const QPointF centre = square.center() + offsets[i];
            const QRectF slot(centre.x() - cell / 2, centre.y() - cell / 2, cell, cell);
            const QPixmap miniPixmap = QPixmap::fromImage(mini);
            const QPixmap shadow = shadowPixmap(miniPixmap, 1.5, withAlpha(Qt::black, 0.25));
            const QSizeF shadowSize = shadow.deviceIndependentSize();
            painter.drawPixmap(
                QPointF(centre.x() - shadowSize.width() / 2, centre.y() + 1 - shadowSize.height() / 2),
                shadow);
            painter.drawImage(slot, mini);
        }
    }
    painter.setPen(QPen(withAlpha(Qt::white, 0.4), 1.2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(square.adjusted(0.6, 0.6, -0.6, -0.6), inner * 0.26, inner * 0.26);
    return image;
}

QImage AppIconPainter::renderItemImage(const AppItem &item, const std::optional<QImage> &favicon, qreal side,
                                       const QColor &subListTint, qreal dpr) {
    if (item.isSubList)
        return groupGlyph(item, side, groupTint(item, subListTint), dpr);
    QImage image = blankImage(side, dpr);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const QRectF square(0, 0, side, side);
    if (item.isURL && favicon) {
        QPainterPath clip;
        clip.addRoundedRect(square, faviconCornerRadius, faviconCornerRadius);
        painter.setClipPath(clip);
    }
    drawAspectFit(painter, square, baseIcon(item, favicon, side, dpr));
    painter.end();
    // Folders take their tint by recolouring; groups take it through their glyph.
    const FolderTintPreset *preset = item.isFolder ? folderTintPreset(item.folderTint) : nullptr;
    return preset ? recoloured(image, preset->hueRotation, preset->saturation) : image;
}

QPixmap AppIconPainter::itemPixmap(const AppItem &item, const std::optional<QImage> &favicon, qreal iconSize,
                                   const QColor &subListTint, qreal dpr) {
    const qreal side = iconSize - imageInset;
    QString key = QStringLiteral("ilvex-item|%1|%2|%3%4%5|%6|%7|%8|%9")
                      .arg(item.appPath, item.folderTint.value_or(QString()))
                      .arg(int(item.isFolder))
                      .arg(int(item.isURL))
                      .arg(int(item.isSubList))
                      .arg(favicon ? favicon->cacheKey() : 0)
                      .arg(side)
                      .arg(dpr)
                      .arg(item.isSubList ? groupTint(item, subListTint).rgba() : 0);
    if (item.isSubList) {
        for (const AppItem &member : item.subItems.value_or(QList<AppItem>()).mid(0, 4))
            key += QStringLiteral("|%1:%2%3")
                       .arg(member.appPath)
                       .arg(int(member.isFolder))
                       .arg(int(member.isURL));
    }
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = QPixmap::fromImage(renderItemImage(item, favicon, side, subListTint, dpr));
        QPixmapCache::insert(key, pixmap);
    }
    return pixmap;
}

AppIconEffect AppIconPainter::effect(const AppIconMotion &motion, const QColor &subListTint) {
    const AppIconEffect normal{1.0, withAlpha(Qt::black, 0.2), 8, 3};
    const AppIconEffect hovered{1.18, withAlpha(Qt::black, 0.45), 18, 6};
    const AppIconEffect dropLow{1.26, withAlpha(subListTint, 0.6), 20, 6};
    const AppIconEffect dropHigh{1.42, withAlpha(subListTint, 0.9), 32, 6};
    // While the entry is a drop target, hovering has no effect.
    return lerp(lerp(normal, hovered, motion.hover), lerp(dropLow, dropHigh, motion.pulse), motion.drop);
}

void AppIconPainter::paintImage(QPainter &painter, const QRectF &rect, const QPixmap &image,
                                const AppIconEffect &effect) {
    if (image.isNull())
        return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QPointF centre = rect.center();
    // Radius and colour are quantised so that an animation reuses a handful of cached shadows.
    QColor shadowColor = effect.shadowColor;
    const qreal alpha = shadowColor.alphaF();
    shadowColor.setAlphaF(1.0);
    shadowColor = QColor(shadowColor.red() & 0xF8, shadowColor.green() & 0xF8, shadowColor.blue() & 0xF8);
    const QPixmap shadow = shadowPixmap(image, std::round(effect.shadowRadius), shadowColor);
    const QSizeF shadowSize = shadow.deviceIndependentSize() * effect.scale;
    painter.save();
    painter.setOpacity(painter.opacity() * alpha);
    painter.drawPixmap(QRectF(centre.x() - shadowSize.width() / 2,
                              centre.y() + effect.shadowYOffset - shadowSize.height() / 2, shadowSize.width(),
                              shadowSize.height()),
                       shadow, QRectF(shadow.rect()));
    painter.restore();
    const QSizeF size = rect.size() * effect.scale;
    painter.drawPixmap(
        QRectF(centre.x() - size.width() / 2, centre.y() - size.height() / 2, size.width(), size.height()),
        image, QRectF(image.rect()));
    painter.restore();
}

void AppIconPainter::paintCapsule(QPainter &painter, const QRectF &rect, const AppItem &item,
                                  const QColor &subListTint) {
    if (rect.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath capsule;
    capsule.addRoundedRect(rect, rect.height() / 2, rect.height() / 2);
    painter.fillPath(capsule, capsuleColor(item, subListTint));
    painter.fillPath(capsule, material(0.5));
    painter.setPen(QPen(withAlpha(Qt::white, 0.2), 0.8));
    painter.drawPath(capsule);
    const QFont font = capsuleFont();
    painter.setFont(font);
    painter.setPen(Qt::white);
    const QRectF text = rect.adjusted(9, 3, -9, -3);
    painter.drawText(text, Qt::AlignCenter | Qt::TextSingleLine,
                     QFontMetricsF(font).elidedText(item.name, Qt::ElideRight, text.width()));
    painter.restore();
}

void AppIconPainter::paintEntry(QPainter &painter, const QRectF &frame, const AppItem &item, qreal iconSize,
                                const QColor &subListTint, const std::optional<QImage> &favicon,
                                const AppIconMotion &motion, qreal dpr) {
    const QPointF origin = frame.topLeft();
    paintImage(painter, imageRect(item, iconSize).translated(origin),
               itemPixmap(item, favicon, iconSize, subListTint, dpr), effect(motion, subListTint));
    paintCapsule(painter, capsuleRect(item, iconSize).translated(origin), item, subListTint);
}
