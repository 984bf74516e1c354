#pragma once
// The batch list's grid: the operations and notifications the program needs,
// over a Qt table view of our own model. Row 0 is the header row; rows and
// columns count from 0.
//
// Row 0 lives in the table's horizontal header, so it stays in view while the
// document rows scroll; grid row r >= 1 is table row r - 1.

#include <QString>
#include <QStringList>
#include <QTableView>
#include <cstdint>
#include <functional>
#include <vector>

class QMimeData;

namespace pelmora {

class GridModel;

class DiDaGrid : public QTableView {
    Q_OBJECT
  public:
    explicit DiDaGrid(QWidget* parent = nullptr);

    void SetColCount(int count);
    void SetColWidth(int col, int width);  // a width below zero hides the column
    void ClearRows();                      // all rows but row 0 go
    void SetRowCount(int n);               // rows 1 .. n-1 exist, empty
    void SetCellText(int row, int col, const QString& text);
    QString GetCellText(int row, int col) const;
    void SetCellColor(int row, int col, uint32_t color);  // 0x00BBGGRR
    void SetRowColor(int row, uint32_t color);
    uint32_t GetCellColor(int row, int col) const;
    void SetCellStyle(int row, int col, int style);  // 2: unchecked check box
    void SetCellProperty(int row, int col, const QString& name, const QString& value);
    QString GetCellProperty(int row, int col, const QString& name) const;
    void DeleteRow(int row, int count);
    // Deletes the rows listed, in any order, at once; rows that do not exist
    // are left out. Returns how many went.
    int DeleteRows(const std::vector<int>& rows);
    void RefreshGrid();
    int ControlWidth() const;  // the control's width in pixels

    // The width last given to a column with SetColWidth (0 when never set).
    int ColWidth(int col) const;
    // Rows including the header row: document rows + 1.
    int RowCount() const;
    int columnCount() const;
    // True while the user types in a cell.
    bool IsEditing() const { return state() == EditingState; }

    static constexpr int kStyleCheckBox = 2;

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
    bool inRange(int row, int col) const;
    bool askEditBegin(const QModelIndex& index);
    void noteCommitted(const QModelIndex& index);
    void requestMenu(const QPoint& globalPos, const QModelIndex& index);

    GridModel* cells_;
    std::vector<int> colWidths_;
    QPersistentModelIndex committed_;
    std::function<bool(const QStringList&)> dropFilter_;
    mutable const QMimeData* lastDrag_ = nullptr;
    mutable bool lastDragAccepted_ = false;
};

}  // namespace pelmora
