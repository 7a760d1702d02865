#pragma once

#include "store/Types.h"

#include <QWidget>

#include <functional>

// The colour popover of a list: one dot per list theme beside the list's row. Picking a theme hands it
// over and closes; so does a click elsewhere.
class ListColourPopover : public QWidget {
    Q_OBJECT

  public:
    ListColourPopover(ListTheme current, std::function<void(ListTheme)> onPick, QWidget *parent = nullptr);
    // Shows the popover beside anchorRect (global coordinates), on its trailing side when there is room.
    void popup(const QRect &anchorRect);

  Q_SIGNALS:
    void closed();

  protected:
    void paintEvent(QPaintEvent *event) override;
    void hideEvent(QHideEvent *event) override;

  private:
    bool m_arrowOnLeft =
        true; // the arrow points at the row on the left, or on the right when it opens before it
};
