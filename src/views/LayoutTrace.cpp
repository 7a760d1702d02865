#include "views/LayoutTrace.h"

#include "platform/Log.h"

#include <QHash>
#include <QWidget>

bool LayoutTrace::enabled() {
    return lcLayout().isDebugEnabled();
}

void LayoutTrace::report(const QString &name, const QWidget *widget, const QRectF &rect) {
    if (!enabled() || !widget || !widget->isVisible() || rect.isEmpty())
        return;
    static QHash<QString, QRect> last;
    const QRect global(widget->mapToGlobal(rect.topLeft().toPoint()), rect.size().toSize());
    if (last.value(name) == global)
        return;
    last.insert(name, global);
    qCDebug(lcLayout, "layout %s %d %d %d %d", qUtf8Printable(name), global.x(), global.y(), global.width(),
            global.height());
}

void LayoutTrace::report(const QWidget *widget) {
    if (widget)
        report(widget->objectName(), widget, QRectF(widget->rect()));
}
