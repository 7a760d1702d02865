#pragma once

#include "views/AppIconPainter.h"
#include "views/Spring.h"

#include <QObject>
#include <QVariantAnimation>

// The moving parts of one entry: the hover spring, the drop-target spring and the breathing glow of a
// drop target. The ring keeps one per visible entry and repaints on changed().
class AppIconAnimator : public QObject {
    Q_OBJECT

  public:
    explicit AppIconAnimator(QObject *parent = nullptr);

    AppIconMotion motion() const;
    bool isHovered() const { return m_hovered; }
    bool isDropTarget() const { return m_dropTarget; }
    // True while the glow is breathing (drop target), false once it has been told to calm down.
    bool dropPulse() const { return m_dropPulse; }

    void setHovered(bool hovered);
    void setDropTarget(bool dropTarget);
    // Jumps to the resting values of the current state (no animation), for still pictures.
    void settle();

  Q_SIGNALS:
    void changed();

  private:
    bool m_hovered = false;
    bool m_dropTarget = false;
    bool m_dropPulse = false;
    SpringAnimator m_hover;
    SpringAnimator m_drop;
    QVariantAnimation m_pulse;
    qreal m_pulseValue = 0;
};
