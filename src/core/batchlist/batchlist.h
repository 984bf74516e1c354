#pragma once
// The batch list as the commands see it: document rows 1 .. count() of the
// grid, each with a file name, a title, a check flag, a folder and a result.
// The only code that knows the grid's cell layout, its flag texts and the
// colours.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "core/files/foundfile.h"

namespace pelmora {

class GridCells;

// Batch list columns.
enum BatchColumn { ColFileName = 1, ColTitle = 2, ColFlag = 3, ColPath = 4, ColResult = 5 };

// Background colours, 0x00BBGGRR.
inline constexpr uint32_t kColorWhite = 0xFFFFFF;
inline constexpr uint32_t kColorRed = 0x0000FF;
inline constexpr uint32_t kColorYellow = 0x00FFFF;

// The captions of columns 1 to 5, as the header row and the export show them.
const QStringList& ColumnHeaders();

class BatchList {
  public:
    // Over the grid and the count of document rows it holds (globalFilecount).
    BatchList(GridCells& grid, int32_t& filecount) : grid_(grid), filecount_(filecount) {}

    // The document rows: the count, but never past the grid's last row.
    int count() const;
    // Replaces the document rows by these files, unchecked, and counts them.
    void replace(const std::vector<FoundFile>& files);
    // Removes one document row; the rows below move up.
    void removeRow(int row);
    // Removes the document rows listed, at once; returns how many went.
    int removeRows(const std::vector<int>& rows);

    QString fileName(int row) const;
    QString folder(int row) const;
    QString path(int row) const;  // folder + "/" + file name
    QString title(int row) const;
    QString result(int row) const;
    bool checked(int row) const;
    QString flag(int row) const;  // "1" checked, "0" not

    void setTitle(int row, const QString& title);
    void setResult(int row, const QString& result);
    void setChecked(int row, bool checked);
    void setTitleColor(int row, uint32_t color);
    void setRowColor(int row, uint32_t color);
    // Where the row's file is now, after it was moved.
    void setLocation(int row, const QString& folder, const QString& fileName);
    void refresh();

    GridCells& grid() const { return grid_; }

  private:
    GridCells& grid_;
    int32_t& filecount_;
};

}  // namespace pelmora
