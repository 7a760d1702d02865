#pragma once

#include "views/AutoDismissGuard.h"

#include <QColor>
#include <QList>
#include <QWidget>

#include <functional>
#include <optional>

class QAbstractButton;
class SwatchDot;

// The tint picker of a folder or group: a "default" row (the theme colour for a group), then the nine
// preset dots. Choosing either hands the choice over and closes. A tint that is no preset shows no
// selection at all. While shown it holds its host's launcher open.
class TintPopover : public QWidget {
    Q_OBJECT

  public:
    using Pick = std::function<void(const std::optional<QString> &)>;

    TintPopover(const std::optional<QString> &folderTint, bool isGroup, const QColor &subListTint,
                Pick onPick, ViewHost *host = nullptr, QWidget *parent = nullptr);

    // Shows the popover beside anchorRect (global coordinates), its arrow on the rect's trailing edge.
    void popup(const QRect &anchorRect);

    QAbstractButton *defaultRow() const { return m_defaultRow; }
    bool defaultRowChecked() const { return m_defaultChecked; }
    const QList<SwatchDot *> &swatches() const { return m_swatches; }

  Q_SIGNALS:
    void closed();

  protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

  private:
    void choose(const std::optional<QString> &tint);

    Pick m_onPick;
    QAbstractButton *m_defaultRow = nullptr;
    bool m_defaultChecked = false;
    QList<SwatchDot *> m_swatches;
    AutoDismissGuard m_guard;
    bool m_arrowOnLeft = true;
};
