#pragma once
// The batch list's grid: the cell operations of GridCells and the
// notifications the program needs, over a Qt table view of our own model.
// Row 0 is the header row; rows and columns count from 0.
//
// Row 0 lives in the table's horizontal header, so it stays in view while the
// document rows scroll; grid row r >= 1 is table row r - 1.

#include <QString>
#include <QStringList>
#include <QTableView>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/batchlist/gridcells.h"

class QMimeData;

namespace pelmora {

class DiDaGrid : public QTableView, public GridCells {
    Q_OBJECT
  public:
    explicit DiDaGrid(QWidget* parent = nullptr);

    void SetColCount(int count);
    void SetColWidth(int col, int width);  // a width below zero hides the column
    // Keeps the current cell on its row when that row stays.
    int DeleteRows(const std::vector<int>& rows) override;
    void RefreshGrid() override;
    int ControlWidth() const;  // the control's width in pixels

    // The width last given to a column with SetColWidth (0 when never set).
    int ColWidth(int col) const;
    // True while the user types in a cell.
    bool IsEditing() const { return state() == EditingState; }

    // The local files and folders that a drag from the file manager carries,
    // in its order; other URLs are left out.
    static QStringList LocalPaths(const QMimeData* mime);
    // Decides whether a drag's local paths may be dropped; by default any.
    void setDropFilter(std::function<bool(const QStringList&)> filter);
    // Whether a drag may be dropped. A drag's pointer moves ask again and
    // again: with fresh false, the answer for the same drag is reused.
    bool acceptsDrop(const QMimeData* mime, bool fresh = true) const;
    // The handling of a drag from the file manager, for the grid and for any
    // widget that takes drops for it (the main window): accept or ignore the
    // drag by the filter; on a drop, emit FilesDropped.
    void takeDragEnter(QDragEnterEvent* event) const;
    void takeDragMove(QDragMoveEvent* event) const;
    void takeDrop(QDropEvent* event);

  signals:
    // Before the user edits a cell; set allow to 0 to refuse.
    void CellEditBegin(int row, int col, int unused, int16_t& allow);
    // After the user (never the program) has finished editing a cell.
    void CellEditEnd(int row, int col, int unused);
    // Right-click anywhere on the list, also when it is empty. x and y are
    // screen coordinates of the pointer; row and col the cell under it, or -1.
    void MenuRequest(int x, int y, int row, int col, int unused);
    // Double-click on a document row: the fifth value is that row's number.
    void OpenRequest(int x, int y, int row, int col, int docRow);
    // Files or folders dropped onto the list: their local paths, in order.
    void FilesDropped(const QStringList& paths);

  protected:
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    friend class DiDaGridDelegate;
    bool askEditBegin(const QModelIndex& index);
    void noteCommitted(const QModelIndex& index);
    void requestMenu(const QPoint& globalPos, const QModelIndex& index);

    std::vector<int> colWidths_;
    QPersistentModelIndex committed_;
    std::function<bool(const QStringList&)> dropFilter_;
    mutable const QMimeData* lastDrag_ = nullptr;
    mutable bool lastDragAccepted_ = false;
};

}  // namespace pelmora
