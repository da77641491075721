#pragma once
#include <QObject>
#include <QPoint>
#include <functional>

class QAbstractItemView;
class QEvent;

// Drag a row of a list onto another to swap them: the pointer shows the north-south arrow
// while dragging, the list scrolls by one row when the pointer leaves it below (while rows
// remain below) or above (while it is scrolled), the row under the pointer carries the
// focus mark, and the release swaps the dragged row with it and selects it.
class CRowDragSwapper : public QObject {
    Q_OBJECT
public:
    using SwapRows = std::function<void(int from, int to)>;
    CRowDragSwapper(QAbstractItemView* view, SwapRows swap);
    ~CRowDragSwapper() override;

    bool IsDragging() const { return m_bDragging; }
    int DraggedRow() const { return m_nDragRow; }
    int DropRow() const { return m_nDropRow; }

    // The steps of a drag, also for callers that drive it without a mouse.
    void BeginDrag(int row);
    void DragTo(QPoint viewportPos);
    void EndDrag();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetFocusRow(int row);
    void Restore();

    QAbstractItemView* m_view;
    QObject* m_viewport;
    SwapRows m_swap;
    bool m_bDragging = false;
    bool m_bCursorSet = false;
    int m_nDragRow = -1;
    int m_nDropRow = -1;
    int m_nPressRow = -1;
    QPoint m_pressPos;
};
