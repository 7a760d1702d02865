#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QString>

class QPainter;
class QRectF;

// The named symbols the interface uses ("pencil", "globe", "folder.fill", …), drawn from the Material
// Icons font. An unknown name, or a missing font, gives an empty image: the caller's layout stays intact.
namespace Symbols {
// The font's code point for a symbol name, or a null character when the name is not in the table.
QChar glyph(const QString &name);
// True when the symbol can be drawn: a glyph of the loaded font, or one drawn in code.
bool exists(const QString &name);
// True when the icon font is installed and loaded.
bool fontAvailable();
// The icon font at a pixel size.
QFont font(qreal pixelSize);
// The pixel size that makes a glyph as large as a system symbol at a given font size.
qreal pixelSizeForFontSize(qreal fontSize);

// The symbol drawn centred in a square of `pixelSize` at a device pixel ratio; null image when unknown.
QImage image(const QString &name, qreal pixelSize, const QColor &color, qreal devicePixelRatio = 1.0);
// A menu icon: the symbol in one colour at the usual small sizes.
QIcon icon(const QString &name, const QColor &color);
// Draws the symbol centred in rect; does nothing for an unknown name.
void paint(QPainter &painter, const QRectF &rect, const QString &name, qreal pixelSize, const QColor &color);
} // namespace Symbols
