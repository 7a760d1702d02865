#pragma once

#include <QRectF>
#include <QString>

class QWidget;

// ILVEX_TRACE_LAYOUT (or the ilvex.layout.debug logging rule): the launcher reports where its clickable parts
// are on the screen, one line each
// ("[Ilvex] layout NAME x y w h") whenever one moves, so the end-to-end tests click what a person sees.
namespace LayoutTrace {
bool enabled();
// Reports a rectangle given in the widget's coordinates; a repeat of the last report is dropped.
void report(const QString &name, const QWidget *widget, const QRectF &rect);
// Reports the widget's own rectangle under its object name.
void report(const QWidget *widget);
} // namespace LayoutTrace
