#include "views/Symbols.h"

#include <QFontDatabase>
#include <QHash>
#include <QPainter>
#include <QPixmap>

#include <optional>

namespace {
// Names as the interface spells them, mapped to Material Icons code points.
const QHash<QString, char16_t> &table() {
    static const QHash<QString, char16_t> symbols = {
        {QStringLiteral("app"), 0xe3c6},                      // crop_square
        {QStringLiteral("app.fill"), 0xeb36},                 // square
        {QStringLiteral("arrow.up.forward.app"), 0xe89e},     // open_in_new
        {QStringLiteral("arrow.uturn.backward"), 0xe166},     // undo
        {QStringLiteral("checkmark"), 0xe5ca},                // check
        {QStringLiteral("checkmark.circle.fill"), 0xe86c},    // check_circle
        {QStringLiteral("chevron.left"), 0xe5cb},             // chevron_left
        {QStringLiteral("circle"), 0xe836},                   // radio_button_unchecked
        {QStringLiteral("circle.dashed"), 0xe1af},            // data_usage
        {QStringLiteral("clock.arrow.2.circlepath"), 0xe889}, // history
        {QStringLiteral("doc"), 0xe873},                      // description
        {QStringLiteral("doc.badge.plus"), 0xe89c},           // note_add
        {QStringLiteral("folder"), 0xe2c7},                   // folder
        {QStringLiteral("folder.badge.plus"), 0xe2cc},        // create_new_folder
        {QStringLiteral("folder.fill"), 0xe2c7},              // folder
        {QStringLiteral("globe"), 0xe894},                    // language
        {QStringLiteral("link.badge.plus"), 0xe178},          // add_link
        {QStringLiteral("paintpalette"), 0xe40a},             // palette
        {QStringLiteral("pencil"), 0xe3c9},                   // edit
        {QStringLiteral("plus"), 0xe145},                     // add
        {QStringLiteral("plus.circle"), 0xe148},              // add_circle_outline
        {QStringLiteral("plus.square"), 0xe146},              // add_box
        {QStringLiteral("square.and.arrow.down"), 0xe171},    // save_alt
        {QStringLiteral("square.and.arrow.up"), 0xe6b8},      // ios_share
        {QStringLiteral("trash"), 0xe872},                    // delete
        {QStringLiteral("xmark"), 0xe5cd},                    // close
    };
    return symbols;
}

// The 2×2 grids have no glyph of their own in the font (its nearest ones are three dots and outlined
// squares): they are drawn.
enum class Grid { circles, filledCircles, filledSquares };

std::optional<Grid> drawnGrid(const QString &name) {
    if (name == u"circle.grid.2x2")
        return Grid::circles;
    if (name == u"circle.grid.2x2.fill")
        return Grid::filledCircles;
    if (name == u"square.grid.2x2.fill")
        return Grid::filledSquares;
    return std::nullopt;
}

void paintGrid(QPainter &painter, const QRectF &rect, Grid grid, qreal pixelSize, const QColor &color) {
    // Within the glyph square of pixelSize centred in rect, like the font's 24-unit square with its margin.
    const qreal margin = pixelSize * 0.13;
    const qreal gap = pixelSize * 0.1;
    const qreal cell = (pixelSize - 2 * margin - gap) / 2;
    const QPointF origin = rect.center() - QPointF(pixelSize / 2, pixelSize / 2) + QPointF(margin, margin);
    const qreal stroke = grid == Grid::circles ? pixelSize * 0.07 : 0;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (stroke > 0) {
        painter.setPen(QPen(color, stroke));
        painter.setBrush(Qt::NoBrush);
    } else {
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
    }
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 2; ++column) {
            const QRectF box(origin + QPointF(column * (cell + gap), row * (cell + gap)), QSizeF(cell, cell));
            const QRectF shape = box.adjusted(stroke / 2, stroke / 2, -stroke / 2, -stroke / 2);
            if (grid == Grid::filledSquares)
                painter.drawRoundedRect(shape, cell * 0.22, cell * 0.22);
            else
                painter.drawEllipse(shape);
        }
    }
    painter.restore();
}

const QString &family() {
    static const QString name = [] {
        const QString wanted = QStringLiteral("Material Icons");
        if (QFontDatabase::families().contains(wanted))
            return wanted;
        // Not registered with fontconfig (a bare container): load the file Debian installs.
        const int id = QFontDatabase::addApplicationFont(QStringLiteral(
            "/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf"));
        const QStringList loaded = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
        return loaded.isEmpty() ? QString() : loaded.first();
    }();
    return name;
}
} // namespace

QChar Symbols::glyph(const QString &name) {
    return QChar(table().value(name, 0));
}

bool Symbols::fontAvailable() {
    return !family().isEmpty();
}

QFont Symbols::font(qreal pixelSize) {
    QFont font(family());
    font.setPixelSize(qMax(1, qRound(pixelSize)));
    font.setStyleStrategy(QFont::NoFontMerging); // never draw a code point from some other font
    return font;
}

bool Symbols::exists(const QString &name) {
    return drawnGrid(name) || (!glyph(name).isNull() && fontAvailable());
}

void Symbols::paint(QPainter &painter, const QRectF &rect, const QString &name, qreal pixelSize,
                    const QColor &color) {
    if (const auto grid = drawnGrid(name)) {
        paintGrid(painter, rect, *grid, pixelSize, color);
        return;
    }
    const QChar code = glyph(name);
    if (code.isNull() || !fontAvailable())
        return;
    painter.save();
    painter.setFont(font(pixelSize));
    painter.setPen(color);
    painter.drawText(rect, Qt::AlignCenter, QString(code));
    painter.restore();
}

QImage Symbols::image(const QString &name, qreal pixelSize, const QColor &color, qreal devicePixelRatio) {
    if (!exists(name))
        return {};
    const int side = qCeil(pixelSize * devicePixelRatio);
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paint(painter, QRectF(0, 0, pixelSize, pixelSize), name, pixelSize, color);
    return image;
}

qreal Symbols::pixelSizeForFontSize(qreal fontSize) {
    // Material glyphs sit in a 24-unit square with a 2-unit margin; text symbols fill about their cap height.
    return fontSize * 1.2;
}

QIcon Symbols::icon(const QString &name, const QColor &color) {
    QIcon icon;
    for (int side : {16, 24, 32}) {
        const QImage image = Symbols::image(name, side, color);
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}
