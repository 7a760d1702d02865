#pragma once

#include "views/PaintedAccessible.h"

#include <QElapsedTimer>
#include <QFont>
#include <QImage>
#include <QTimer>
#include <QWidget>

class AppState;
class ListSwitcher;
class ViewHost;

// What the ring's hole shows: nothing while an entry is dragged, the open group's header (its name, a
// pill back to the list, a hint when it is empty), the only list's name, or, with two lists or more, the
// list switcher; and over all of these the text typed to find entries. A layer fades in over the one
// before it, which fades out as the image it last was.
//
// The widget is a child of the ring view masked to the hole, so its fades and the switcher's springs
// repaint the hole only. A press that meets nothing of it goes on to the ring (an empty-space click
// there steps back).
class HoleOverlay : public QWidget, public PaintedItemsSource {
    Q_OBJECT

  public:
    enum class Layer { none, groupHeader, listName, switcher, search };

    HoleOverlay(AppState *state, ViewHost *host, QWidget *parent = nullptr);
    ~HoleOverlay() override;

    // Sizes the view to the hole (a square of this side, masked to the circle).
    void setHoleDiameter(double diameter);
    double holeDiameter() const { return m_holeDiameter; }
    void setDragging(bool dragging);
    // The text typed to find entries: while it is not empty it replaces everything else of the hole, and
    // it is drawn dimmer when nothing matches.
    void setSearchText(const QString &text, bool matches);
    QString searchText() const { return m_searchText; }

    Layer layer() const;
    ListSwitcher &switcher() const { return *m_switcher; }
    // A switcher row's clickable rectangle while the switcher shows, or an empty one.
    QRectF rowRect(int index) const;
    // The group header's back pill, or an empty one.
    QRectF backPillRect() const;
    // The hole's fonts: sizes in ring points (logical pixels).
    static QFont uiFont(double pixels, QFont::Weight weight);
    void finishAnimations();
    // Draws the content now (also what the ring's screenshots and benchmark use).
    void paintContent(QPainter &painter);

    // For screen readers: the switcher's rows, or the group header's back pill.
    QList<PaintedItem> accessibleItems() const override;
    void pressAccessibleItem(const QString &key) override;

  Q_SIGNALS:
    // A switcher row was chosen.
    void switchRequested(int index);
    // The back pill was pressed: out of the open group.
    void backRequested();

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

  private:
    double scale() const;
    QString layerKey() const;
    QString backText() const;
    void sync();
    void startFrames();
    void tick();
    bool stepAll(double dt);
    QImage renderLayer(qreal dpr);
    void paintLayer(QPainter &painter);
    void paintGroupHeader(QPainter &painter, double s);

    AppState *m_state;
    ListSwitcher *m_switcher;
    double m_holeDiameter = 0;
    bool m_dragging = false;
    QString m_searchText;
    bool m_searchMatches = true;
    bool m_pressPill = false;

    QString m_layerKey;
    // Fades of 0.15 s, eased in and out: the shown layer in, the previous one (as an image) out, and the
    // switcher in or out.
    double m_layerIn = 1;
    double m_layerOut = 0;
    QImage m_layerOutImage;
    QImage m_layerImage; // the shown layer, drawn once per change
    double m_switcherShown = 0;
    QTimer m_frames;
    QElapsedTimer m_frameClock;
};
