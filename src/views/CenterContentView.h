#pragma once

#include "views/AutoDismissGuard.h"
#include "views/PaintedAccessible.h"
#include "views/Spring.h"

#include <QElapsedTimer>
#include <QHash>
#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QUuid>
#include <QWidget>

#include <functional>
#include <optional>

class AppState;
class HoverModel;
class ViewHost;
class QMenu;

// What the ring's hole shows: nothing while an entry is dragged, the hovered name when the ring asks
// for it there, the open group's header (its name, a pill back to the list, a hint when it is empty),
// the only list's name, or, with two lists or more, the list switcher; and over all of these the text
// typed to find entries. In the switcher a click switches
// lists, a vertical drag reorders them (whole pitches, rounded), and a row's menu renames, recolours or
// deletes its list.
//
// The widget is a child of the ring view masked to the hole, so its fades and row springs repaint the
// hole only. A press that meets nothing of it goes on to the ring (an empty-space click there steps back).
class CenterContentView : public QWidget, public PaintedItemsSource {
    Q_OBJECT

  public:
    enum class Layer { none, hoverName, groupHeader, listName, switcher, search };

    CenterContentView(AppState *state, HoverModel *hover, ViewHost *host, QWidget *parent = nullptr);
    ~CenterContentView() override;

    // The ring's callbacks: switch to a list, close the open group.
    std::function<void(int)> onSwitchList;
    std::function<void()> onCloseSubList;

    // Sizes the view to the hole (a square of this side, masked to the circle).
    void setHoleDiameter(double diameter);
    double holeDiameter() const { return m_holeDiameter; }
    void setDragging(bool dragging);
    void setHoverAtCenter(bool atCenter);
    // The text typed to find entries: while it is not empty it replaces everything else of the hole, and
    // it is drawn dimmer when nothing matches.
    void setSearchText(const QString &text, bool matches);
    QString searchText() const { return m_searchText; }

    Layer layer() const;
    // Distance between the centres of two neighbouring switcher rows.
    double rowPitch() const;
    // A switcher row's clickable rectangle (widget coordinates), or an empty one.
    QRectF rowRect(int index) const;
    // The group header's back pill (widget coordinates), or an empty one.
    QRectF backPillRect() const;
    std::optional<QUuid> draggingListID() const { return m_draggingListID; }
    // Forgets a row's press and drag (a drag whose release never came, as when the launcher was hidden
    // under it, is dropped unstored; one settling takes its slot at once). Every showing starts so.
    void endRowDrag();
    // Where a row dragged by offset from startIndex lands: whole pitches, halves away from zero, kept
    // within the lists.
    static int reorderTarget(double offset, double pitch, int startIndex, int count);
    // The centre's fonts: sizes in ring points (logical pixels).
    static QFont uiFont(double pixels, QFont::Weight weight);
    // The row's menu, as a right click opens it (the caller owns it).
    QMenu *buildRowMenu(int index);
    void openRename(int index);
    void openColour(const QUuid &listID);
    void finishAnimations();
    // Draws the content now (also what the ring's screenshots and benchmark use).
    void paintContent(QPainter &painter);

    // For screen readers: the switcher's rows, or the group header's back pill.
    QList<PaintedItem> accessibleItems() const override;
    void pressAccessibleItem(const QString &key) override;

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

  private:
    struct Row {
        Spring y{0.26, 0.85};
        Spring active{0.22, 0.825};
        Spring lift{0.18, 0.825};
    };
    // The switcher's sizes at the current scale; widget coordinates.
    struct Metrics {
        double s = 1;
        double rowHeight = 0;
        double pitch = 0;
        QRectF container;
        double restY(int index) const { return container.top() + 8 * s + index * pitch + rowHeight / 2; }
    };
    double scale() const;
    Metrics metrics() const;
    QString layerKey() const;
    void sync();
    void startFrames();
    void tick();
    bool stepAll(double dt);
    int rowAt(QPointF point) const;
    void finishRowDrag();
    void closeColour();
    QImage renderLayerA(qreal dpr);
    void paintLayerA(QPainter &painter);
    void paintSwitcher(QPainter &painter);

    AppState *m_state;
    HoverModel *m_hover;
    ViewHost *m_host;
    double m_holeDiameter = 0;
    bool m_dragging = false;
    bool m_hoverAtCenter = false;
    QString m_searchText;
    bool m_searchMatches = true;

    // Row drag.
    std::optional<QUuid> m_draggingListID;
    double m_dotDragOffset = 0;
    Spring m_settle{0.3, 0.85};
    bool m_settling = false;
    int m_dragStartListIndex = 0;
    std::optional<int> m_pressRow;
    bool m_pressPill = false;
    QPointF m_pressPoint;
    QTimer m_dragEnd;

    std::optional<QUuid> m_colorListID;
    AutoDismissGuard m_colorGuard;
    QPointer<QWidget> m_colourPopup;

    QHash<QUuid, Row> m_rows;
    QString m_layerKey;
    // Fades of 0.15 s, eased in and out: the shown layer in, the previous one (as an image) out, and the
    // switcher in or out.
    double m_layerIn = 1;
    double m_layerOut = 0;
    QImage m_layerOutImage;
    QImage m_layerAImage; // the shown layer, drawn once per change
    double m_switcherShown = 0;
    QTimer m_frames;
    QElapsedTimer m_frameClock;
    QHash<QString, QImage> m_glows;
};
