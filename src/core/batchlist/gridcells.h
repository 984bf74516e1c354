#pragma once
// The grid operations the batch list needs, over the cells of a GridModel.
// Row 0 is the header row; rows and columns count from 0, and grid row
// r >= 1 is model row r - 1. The grid view offers these same operations;
// without a view (tests, benchmarks) a GridCells over a bare model does.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace pelmora {

class GridModel;

class GridCells {
  public:
    explicit GridCells(GridModel& model) : cells_(&model) {}
    virtual ~GridCells() = default;
    GridCells(const GridCells&) = delete;
    GridCells& operator=(const GridCells&) = delete;

    void ClearRows();         // all rows but row 0 go
    void SetRowCount(int n);  // rows 1 .. n-1 exist, empty
    void SetCellText(int row, int col, const QString& text);
    QString GetCellText(int row, int col) const;
    void SetCellColor(int row, int col, uint32_t color);  // 0x00BBGGRR
    void SetRowColor(int row, uint32_t color);
    uint32_t GetCellColor(int row, int col) const;
    void SetCellStyle(int row, int col, int style);  // 2: unchecked check box
    void SetCellProperty(int row, int col, const QString& name, const QString& value);
    QString GetCellProperty(int row, int col, const QString& name) const;
    // The texts an editor of the cell offers besides its own; none in row 0.
    void SetCellChoices(int row, int col, const QStringList& choices);
    QStringList GetCellChoices(int row, int col) const;
    void DeleteRow(int row, int count);
    // Deletes the rows listed, in any order, at once; rows that do not exist
    // are left out. Returns how many went.
    virtual int DeleteRows(const std::vector<int>& rows);
    // Shows the program's pending writes now.
    virtual void RefreshGrid();

    // Rows including the header row: document rows + 1.
    int RowCount() const;
    int columnCount() const;

    static constexpr int kStyleCheckBox = 2;

    GridModel& gridModel() const { return *cells_; }

  protected:
    bool inRange(int row, int col) const;

  private:
    GridModel* cells_;
};

}  // namespace pelmora
