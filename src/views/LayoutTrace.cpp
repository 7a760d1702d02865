#include "views/LayoutTrace.h"

#include <QHash>
#include <QWidget>

#include <cstdio>

bool LayoutTrace::enabled() {
    static const bool on = qEnvironmentVariableIsSet("ILVEX_TRACE_LAYOUT");
    return on;
}

void LayoutTrace::report(const QString &name, const QWidget *widget, const QRectF &rect) {
    if (!enabled() || !widget || !widget->isVisible() || rect.isEmpty())
        return;
    static QHash<QString, QRect> last;
    const QRect global(widget->mapToGlobal(rect.topLeft().toPoint()), rect.size().toSize());
    if (last.value(name) == global)
        return;
    last.insert(name, global);
    std::printf("[Ilvex] layout %s %d %d %d %d\n", qPrintable(name), global.x(), global.y(), global.width(),
                global.height());
    std::fflush(stdout);
}

void LayoutTrace::report(const QWidget *widget) {
    if (widget)
        report(widget->objectName(), widget, QRectF(widget->rect()));
}
