#pragma once

#include "store/Types.h"

#include <QList>
#include <QWidget>

#include <functional>

class SwatchDot;

// One dot per list theme, in theme order; the current theme shows the white ring (never a check mark).
class ListThemeSwatchRow : public QWidget {
    Q_OBJECT

  public:
    ListThemeSwatchRow(ListTheme current, qreal diameter, qreal spacing,
                       std::function<void(ListTheme)> onPick = {}, QWidget *parent = nullptr);

    ListTheme current() const { return m_current; }
    void setCurrent(ListTheme theme);
    const QList<SwatchDot *> &dots() const { return m_dots; }

    // "Blue", "Purple", …: the English name that L::colorName translates.
    static QString englishName(ListTheme theme);

  Q_SIGNALS:
    void picked(ListTheme theme);

  private:
    ListTheme m_current;
    QList<SwatchDot *> m_dots;
};
