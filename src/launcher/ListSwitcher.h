#pragma once

#include "views/AutoDismissGuard.h"
#include "views/Spring.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QTimer>
#include <QUuid>

#include <optional>

class AppState;
class QMenu;
class QPainter;
class QWidget;
class ViewHost;

// The list switcher in the ring's hole: one row per list, the active one in its theme's colour with a
// glow. A click on a row switches lists (switchRequested), a vertical drag reorders them (whole
// pitches, rounded), and a row's menu renames, recolours or deletes its list.
//
// It draws into and takes the input of the hole overlay that owns it (rows in its coordinates), and
// moves its rows by springs that the overlay steps on its frames.
class ListSwitcher : public QObject {
    Q_OBJECT

  public:
    ListSwitcher(AppState *state, ViewHost *host, QWidget *owner);
    ~ListSwitcher() override;

    void setHoleDiameter(double diameter) { m_holeDiameter = diameter; }
    // Distance between the centres of two neighbouring rows.
    double rowPitch() const;
    // A row's clickable rectangle, or an empty one.
    QRectF rowRect(int index) const;
    // The row under a point (the gaps count for the nearer row), or -1.
    int rowAt(QPointF point) const;
    // The switcher's frame around its rows.
    QRectF frame() const;
    // Where a row dragged by offset from startIndex lands: whole pitches, halves away from zero, kept
    // within the lists.
    static int reorderTarget(double offset, double pitch, int startIndex, int count);
    std::optional<QUuid> draggedListID() const { return m_draggedListID; }

    // The input the overlay hands on. press is true when a row took the press.
    bool press(QPointF point);
    void move(QPointF point);
    void release(QPointF point);
    // Forgets a row's press and drag (a drag whose release never came, as when the launcher was hidden
    // under it, is dropped unstored; one settling takes its slot at once).
    void endDrag();

    // The row's menu, as a right click opens it (the caller owns it).
    QMenu *buildRowMenu(int index);
    void openRename(int index);
    void openColour(const QUuid &listID);

    // Takes the rows' targets from the store.
    void sync();
    // Moves the springs on by dt seconds; true while anything still moves.
    bool step(double dt);
    void paint(QPainter &painter);

  Q_SIGNALS:
    void switchRequested(int index);
    // Something drawn changed outside a step: the overlay repaints and runs its frames.
    void changed();

  private:
    struct Row {
        Spring y{0.26, 0.85};
        Spring active{0.22, 0.825};
        Spring lift{0.18, 0.825};
    };
    // The sizes at the current scale, in the owner's coordinates.
    struct Metrics {
        double s = 1;
        double rowHeight = 0;
        double pitch = 0;
        QRectF container;
        double restY(int index) const { return container.top() + 8 * s + index * pitch + rowHeight / 2; }
    };
    double scale() const;
    Metrics metrics() const;
    void finishDrag();
    void closeColour();
    void paintRow(QPainter &painter, const Metrics &m, int index);

    AppState *m_state;
    ViewHost *m_host;
    QWidget *m_owner;
    double m_holeDiameter = 0;

    std::optional<int> m_pressRow;
    QPointF m_pressPoint;
    std::optional<QUuid> m_draggedListID;
    int m_dragStartIndex = 0;
    double m_dragOffset = 0;
    Spring m_settle{0.3, 0.85};
    bool m_settling = false;
    QTimer m_dragEnd;

    AutoDismissGuard m_colourGuard;
    QPointer<QWidget> m_colourPopup;

    QHash<QUuid, Row> m_rows;
    QHash<QString, QImage> m_glows;
};
