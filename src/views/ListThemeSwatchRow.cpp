#include "views/ListThemeSwatchRow.h"

#include "l10n/L.h"
#include "views/SwatchDot.h"

#include <QHBoxLayout>

ListThemeSwatchRow::ListThemeSwatchRow(ListTheme current, qreal diameter, qreal spacing,
                                       std::function<void(ListTheme)> onPick, QWidget *parent)
    : QWidget(parent), m_current(current) {
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(qRound(spacing));
    for (ListTheme theme : allListThemes()) {
        auto *dot = new SwatchDot(colors(theme).primary, theme == current, diameter, false, {}, this);
        dot->setToolTip(L::colorName(englishName(theme)));
        dot->setAccessibleName(dot->toolTip());
        connect(dot, &QAbstractButton::clicked, this, [this, theme, onPick] {
            if (onPick)
                onPick(theme);
            Q_EMIT picked(theme);
        });
        layout->addWidget(dot, 0, Qt::AlignVCenter);
        m_dots.append(dot);
    }
}

void ListThemeSwatchRow::setCurrent(ListTheme theme) {
    m_current = theme;
    for (int i = 0; i < m_dots.size(); ++i)
        m_dots[i]->setSelected(allListThemes().value(i) == theme);
}

QString ListThemeSwatchRow::englishName(ListTheme theme) {
    QString name = rawValue(theme);
    if (!name.isEmpty())
        name[0] = name[0].toUpper();
    return name;
}
