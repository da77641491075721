#include "transfer/CRowDragSwapper.h"
#include <QAbstractItemView>
#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>

CRowDragSwapper::CRowDragSwapper(QAbstractItemView* view, SwapRows swap)
    : QObject(view), m_view(view), m_viewport(view->viewport()), m_swap(std::move(swap)) {
    // One scroll step is one row.
    m_view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_view->setDragEnabled(false);
    m_viewport->installEventFilter(this);
}

CRowDragSwapper::~CRowDragSwapper() {
    Restore();
}

void CRowDragSwapper::Restore() {
    if (m_bCursorSet) {
        QApplication::restoreOverrideCursor();
        m_bCursorSet = false;
    }
}

void CRowDragSwapper::BeginDrag(int row) {
    if (row < 0)
        return;
    m_view->setFocus();
    m_nDragRow = row;
    m_nDropRow = row;
    m_bDragging = true;
    if (!m_bCursorSet) {
        QApplication::setOverrideCursor(Qt::SizeVerCursor);
        m_bCursorSet = true;
    }
}

void CRowDragSwapper::SetFocusRow(int row) {
    const QModelIndex index = m_view->model()->index(row, 0);
    m_view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    m_view->scrollTo(index);
}

void CRowDragSwapper::DragTo(QPoint pos) {
    if (!m_bDragging)
        return;
    int row = m_view->indexAt(pos).row();
    QScrollBar* bar = m_view->verticalScrollBar();
    const int height = m_view->viewport()->height();
    if (pos.y() >= 0 && pos.y() >= height && bar->value() < bar->maximum()) {
        bar->setValue(bar->value() + 1);
        // The last row that shows whole: a row cut off at the bottom would scroll the
        // list once more when it is brought into view.
        row = m_view->indexAt(QPoint(1, height - 1)).row();
        if (row > 0 && m_view->visualRect(m_view->model()->index(row, 0)).bottom() >= height)
            --row;
    } else if (pos.y() < 0 && bar->value() > 0) {
        bar->setValue(bar->value() - 1);
        row = m_view->indexAt(QPoint(1, 1)).row();
    }
    if (row >= 0 && row != m_nDropRow) {
        m_nDropRow = row;
        SetFocusRow(row);
    }
}

void CRowDragSwapper::EndDrag() {
    Restore();
    if (!m_bDragging)
        return;
    m_bDragging = false;
    if (m_nDropRow != m_nDragRow)
        m_swap(m_nDragRow, m_nDropRow);
    const QModelIndex index = m_view->model()->index(m_nDropRow, 0);
    m_view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                         QItemSelectionModel::Rows);
    m_view->scrollTo(index);
}

bool CRowDragSwapper::eventFilter(QObject* watched, QEvent* event) {
    // Compare with the pointer kept at construction: while the list is being destroyed its
    // viewport still sends events, and the half-destroyed list must not be called.
    if (watched != m_viewport)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() == Qt::LeftButton) {
            m_pressPos = e->position().toPoint();
            m_nPressRow = m_view->indexAt(m_pressPos).row();
        }
        return false;
    }
    case QEvent::MouseMove: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (!(e->buttons() & Qt::LeftButton) || m_nPressRow < 0)
            return false;
        const QPoint pos = e->position().toPoint();
        if (!m_bDragging &&
            (pos - m_pressPos).manhattanLength() >= QApplication::startDragDistance())
            BeginDrag(m_nPressRow);
        if (m_bDragging)
            DragTo(pos);
        // Pressed on a row, the list never sees the moves, not even the small ones before
        // the drag begins: it would start a selection of its own that outlives the drag.
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* e = static_cast<QMouseEvent*>(event);
        m_nPressRow = -1;
        if (e->button() == Qt::LeftButton && m_bDragging)
            EndDrag();
        // The list sees every release: without it, it would still think the button down
        // and take the next click for the end of this one.
        return false;
    }
    default:
        return false;
    }
}
