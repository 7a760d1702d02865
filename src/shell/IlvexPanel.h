#pragma once

#include <QPointF>
#include <QWidget>

#include <functional>
#include <optional>

// The launcher window: frameless, translucent, above other windows, on every desktop, hosting the ring.
// Where the window system asks for it, the window bypasses the window manager, which would otherwise
// place, frame and stack it by rules of its own.
// Its transparent margin beyond the ring is a handle that drags the whole window; Escape typed into it
// goes to the shell (escapePressed) before any view sees it.
class IlvexPanel : public QWidget {
    Q_OBJECT

  public:
    static constexpr int releaseAfterMs = 10000;

    // ringOuterRadius: the ring's outer radius now, for telling a press on the ring from one on the margin.
    explicit IlvexPanel(std::function<double()> ringOuterRadius, bool bypassWindowManager = false,
                        QWidget *parent = nullptr);

    void setContent(QWidget *content);
    QWidget *content() const { return m_content; }

  Q_SIGNALS:
    // Escape was typed; sent after the key event, which no view sees.
    void escapePressed();
    // The window lost activation to another application.
    void deactivated();

  protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    std::function<double()> m_ringOuterRadius;
    QWidget *m_content = nullptr;
    std::optional<QPointF> m_dragStart; // global pointer position while the margin is dragged
    int m_hides = 0;                    // tells the latest hiding from earlier ones
};
