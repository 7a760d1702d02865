#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// Where the launcher was summoned from: centred on the pointer's screen, or at the hot corner.
enum class LaunchSource { centered, hotCorner };

// Where the launcher's window goes. Pure geometry: the shell reads the screens and the pointer, these
// functions say where the square panel (a ring centred in a transparent margin) stands.
namespace Placement {

// One screen: all of it, and the part that panels and docks leave free.
struct Screen {
    QRect frame;
    QRect workArea;
};

// The screen the pointer is on, of frames (the primary first): the primary when it is on none (between
// screens of different sizes), -1 without screens.
int screenAt(QPoint pointer, const QList<QRect> &frames);

// The window of a panel of side panelSide summoned from source: centred on the whole screen, or at the
// hot corner with the ring (of outerRadius) touching the screen's right edge and the top of the work
// area. The margin may reach past the screen; on a screen smaller than the ring the ring does too.
QRect launcherRect(LaunchSource source, const Screen &screen, int panelSide, double outerRadius);

// The origin that keeps a ring of outerRadius, centred in a panel of panelSize, inside workArea; on an
// axis where the ring does not fit it is centred on the work area.
QPoint clampedOrigin(QPoint origin, const QRect &workArea, QSize panelSize, double outerRadius);

// The ceiling of the ring radius for a work area availableHeight high, at the effective scale.
double maxRadiusFor(double availableHeight, double scale);

} // namespace Placement
