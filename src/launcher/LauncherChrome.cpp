#include "launcher/LauncherChrome.h"

#include "l10n/L.h"
#include "launcher/HoleOverlay.h"
#include "launcher/LauncherHost.h"
#include "ring/RingGeometry.h"
#include "store/AppState.h"
#include "views/LayoutTrace.h"
#include "views/PaintHelpers.h"
#include "views/Symbols.h"

#include <QAbstractButton>
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QPainter>

#include <algorithm>

using PaintHelpers::withAlpha;

namespace {
constexpr int frameMs = 16;
constexpr double buttonFadeSeconds = 0.2;
constexpr double shadowMargin = 8;

// Gives the focus to the first control of a panel that Tab would reach.
void focusFirstIn(QWidget *panel) {
    for (QWidget *w = panel->nextInFocusChain(); w != panel && panel->isAncestorOf(w);
         w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(panel)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}
} // namespace

// The pencil: a frosted circle in the theme's colour, fading with the drag and the panel.
class ManageButton : public QAbstractButton {
  public:
    ManageButton(AppState *state, QWidget *parent) : QAbstractButton(parent), m_state(state) {
        setCursor(Qt::PointingHandCursor);
        setToolTip(L::addAndManage());
        setAccessibleName(L::addAndManage());
        setFocusPolicy(Qt::NoFocus);
        setObjectName(QStringLiteral("manageButton"));
    }
    void setScale(double s) {
        m_scale = s;
        const int side = int(std::ceil(26 * s + 2 * shadowMargin));
        setFixedSize(side, side);
    }
    void setOpacity(double opacity) {
        if (opacity != m_opacity) {
            m_opacity = opacity;
            update();
        }
    }

  protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(m_opacity);
        const double d = 26 * m_scale;
        const QRectF circle(QRectF(rect()).center() - QPointF(d / 2, d / 2), QSizeF(d, d));
        // Shadow: black 0.22, blur 4, offset (0, 2), in a few soft rings.
        painter.setPen(Qt::NoPen);
        for (int i = 4; i >= 1; --i) {
            painter.setBrush(withAlpha(Qt::black, 0.055));
            painter.drawEllipse(circle.translated(0, 2).adjusted(-i, -i, i, i));
        }
        const QColor primary = colors(m_state->currentTheme()).primary;
        painter.setBrush(QColor(40, 44, 60, 150)); // the frosted fill
        painter.drawEllipse(circle);
        painter.setBrush(withAlpha(primary, 0.16));
        painter.setPen(QPen(withAlpha(Qt::white, 0.18), 0.8));
        painter.drawEllipse(circle);
        Symbols::paint(painter, circle, QStringLiteral("pencil"), Symbols::pixelSizeForFontSize(12 * m_scale),
                       withAlpha(Qt::white, 0.7));
        if (hasFocus()) { // reached by Tab
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(withAlpha(Qt::white, 0.85), 1.5));
            painter.drawEllipse(circle.adjusted(-2.5, -2.5, 2.5, 2.5));
        }
        LayoutTrace::report(this);
    }

  private:
    AppState *m_state;
    double m_scale = 1;
    double m_opacity = 1;
};

LauncherChrome::LauncherChrome(QWidget *ring, AppState *state, LauncherHost *host)
    : QObject(ring), m_ring(ring), m_host(host), m_hole(new HoleOverlay(state, host, ring)),
      m_button(new ManageButton(state, ring)) {
    m_button->raise();
    QObject::connect(m_button, &QAbstractButton::clicked, this, [this] { setManage(true); });
    m_frames.setInterval(frameMs);
    m_frames.setTimerType(Qt::PreciseTimer);
    connect(&m_frames, &QTimer::timeout, this, &LauncherChrome::tick);
}

LauncherChrome::~LauncherChrome() = default;

QWidget *LauncherChrome::manageButton() const {
    return m_button;
}

void LauncherChrome::layout(const RingGeometry &geometry, bool dragging) {
    m_dragging = dragging;
    m_hole->setHoleDiameter(geometry.holeDiameter());
    m_hole->setDragging(dragging);
    m_button->setScale(geometry.scale());
    m_manageOffsetX = geometry.manageOffsetX();
    m_buttonOffsetX = geometry.holeDiameter() * 0.31 + 20 * geometry.scale();
    place();
    startFrames();
}

void LauncherChrome::place() {
    const QPointF centre(m_ring->width() / 2.0, m_ring->height() / 2.0);
    QRect hole(QPoint(), m_hole->size());
    hole.moveCenter(centre.toPoint());
    m_hole->move(hole.topLeft());
    QRect button(QPoint(), m_button->size());
    button.moveCenter((centre + QPointF(m_buttonOffsetX, 0)).toPoint());
    m_button->move(button.topLeft());
    m_button->setOpacity(m_buttonShown);
    m_button->setVisible(m_buttonShown > 0.01);
    if (m_panel) {
        // Slides in from the view's leading edge: from just off its left side to the panel's place.
        const double width = m_panel->width();
        const double restX = centre.x() + m_manageOffsetX - width / 2;
        const double p = m_slide.value();
        const double x = -width + (restX + width) * p;
        m_panel->move(int(std::lround(x)), int(std::lround(centre.y() - m_panel->height() / 2.0)));
        if (m_panelFade)
            m_panelFade->setOpacity(std::clamp(p, 0.0, 1.0));
    }
}

void LauncherChrome::setManage(bool show) {
    if (show == m_showManage)
        return;
    m_showManage = show;
    if (show) {
        m_hold = m_host ? m_host->holdOpen() : nullptr;
        // Built afresh at every opening: no form is left half filled from last time.
        if (m_panel)
            delete m_panel.data();
        m_panel = m_host ? m_host->createManagePanel(m_ring, managePanelWidth) : nullptr;
        if (m_panel) {
            m_panel->installEventFilter(this);
            m_panelFade = new QGraphicsOpacityEffect(m_panel);
            m_panel->setGraphicsEffect(m_panelFade);
            m_panel->adjustSize();
            m_panel->show();
            m_panel->raise();
            if (m_button->hasFocus()) // opened by keyboard: the keyboard goes on into the panel
                focusFirstIn(m_panel);
        }
        m_slide.reset(0);
        m_slide.setTarget(1);
    } else {
        m_hold.reset();
        m_slide.setTarget(0);
        m_ring->setFocus();
    }
    place();
    startFrames();
}

void LauncherChrome::closeManageAtOnce() {
    m_ring->setProperty(manageDraftProperty, QVariant());
    if (!m_showManage && !m_panel)
        return;
    m_showManage = false;
    m_hold.reset();
    m_slide.reset(0);
    if (m_panel)
        delete m_panel.data();
    m_panelFade = nullptr;
    finishAnimations();
}

void LauncherChrome::startFrames() {
    if (!m_frames.isActive()) {
        m_frameClock.start();
        m_frames.start();
    }
}

void LauncherChrome::advance(double seconds) {
    m_slide.step(seconds);
    const double buttonTarget = !m_dragging && !m_showManage ? 1 : 0;
    const double delta = seconds / buttonFadeSeconds;
    m_buttonShown = m_buttonShown < buttonTarget ? std::min(buttonTarget, m_buttonShown + delta)
                                                 : std::max(buttonTarget, m_buttonShown - delta);
    if (m_panel && !m_showManage && m_slide.value() < 0.01) {
        delete m_panel.data();
        m_panelFade = nullptr;
    }
    if (m_panel && m_showManage && m_slide.isSettled() && m_panelFade) {
        // At rest the panel draws directly: crisp text and no offscreen pass per repaint.
        m_panel->setGraphicsEffect(nullptr);
        m_panelFade = nullptr;
    }
    place();
}

void LauncherChrome::tick() {
    advance(std::min(m_frameClock.restart() / 1000.0, 0.05));
    const double buttonTarget = !m_dragging && !m_showManage ? 1 : 0;
    if (m_slide.isSettled() && m_buttonShown == buttonTarget && !(m_panel && !m_showManage))
        m_frames.stop();
}

void LauncherChrome::finishAnimations() {
    m_slide.reset(m_slide.target());
    advance(10);
    m_hole->finishAnimations();
    m_frames.stop();
}

bool LauncherChrome::eventFilter(QObject *watched, QEvent *event) {
    if (watched != m_panel)
        return QObject::eventFilter(watched, event);
    // The panel grows and shrinks with its form: it stays centred beside the ring.
    if (event->type() == QEvent::Resize)
        place();
    // The panel closing itself (its close button) slides out rather than vanishing.
    if (event->type() == QEvent::Close) {
        event->ignore();
        setManage(false);
        return true;
    }
    return QObject::eventFilter(watched, event);
}
