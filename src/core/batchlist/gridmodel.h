#pragma once
// The grid's cells, column by column: per cell a text, a background colour,
// a check state and the texts an editor may offer, each column's values in one vector that exists
// only once a value was set in that column. The header row is kept apart and shown as the
// horizontal header. Rows count from 0 here (the first document row).
//
// The program's writes do not each tell the view: they mark a dirty range
// that is announced once, on the next pass of the event loop or at flush().
// The user's edits through the view are announced at once.

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "core/batchlist/gapvector.h"

namespace pelmora {

class GridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    static constexpr uint32_t kNoColor = 0xFFFFFFFF;  // no colours have the top byte
    enum Check : uint8_t { NoCheck = 0, Unchecked, PartlyChecked, Checked };
    // The data role of a cell's choices (a QStringList).
    static constexpr int ChoicesRole = Qt::UserRole + 1;

    explicit GridModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;

    void setColumnCount(int count);
    // All rows go; n empty rows take their place.
    void resetRows(int n);
    // Removes the rows listed (any order, repeats and rows out of range
    // ignored); returns how many went.
    int removeRowSet(std::vector<int> rows);

    // Cells; the caller keeps row and col in range.
    QString text(int row, int col) const;
    void setText(int row, int col, const QString& text);
    uint32_t color(int row, int col) const;  // kNoColor when none was set
    void setColor(int row, int col, uint32_t color);
    void setRowColor(int row, uint32_t color);
    Check check(int row, int col) const;
    void setCheck(int row, int col, Check check);
    // Texts offered to whoever edits the cell; they move with the row and
    // change nothing shown.
    QStringList choices(int row, int col) const;
    void setChoices(int row, int col, const QStringList& choices);

    // The header row. A header cell never written shows its column number.
    QString headerText(int col) const;
    void setHeaderText(int col, const QString& text);
    uint32_t headerColor(int col) const;
    void setHeaderColor(int col, uint32_t color);
    void touchHeader(int col);  // the cell exists from now on, text or not

    // Announces the program's pending writes now.
    void flush();

  protected:
    // What the background role shows for a colour (0x00BBGGRR); without a
    // view's painting types, nothing.
    virtual QVariant background(uint32_t color) const;

  private:
    struct Column {
        GapVector<QString> texts;
        GapVector<uint32_t> colors;
        GapVector<uint8_t> checks;
        GapVector<QStringList> choices;
    };
    struct HeaderCell {
        QString text;
        uint32_t color = kNoColor;
        bool exists = false;
    };

    template <class T>
    void store(GapVector<T>& values, int row, T value, T unset);
    void markDirty(int row, int firstCol, int lastCol);
    void eraseRows(int first, int count);

    std::vector<Column> cols_;
    std::vector<HeaderCell> header_;
    int rows_ = 0;

    // The dirty range, empty while dirtyTop_ > dirtyBottom_.
    int dirtyTop_ = 1, dirtyBottom_ = 0, dirtyLeft_ = 0, dirtyRight_ = 0;
    bool flushQueued_ = false;
};

}  // namespace pelmora
