#include "core/batchlist/gridmodel.h"

#include <algorithm>

namespace pelmora {

namespace {

// Past this many separate stretches of rows, removing them one stretch at a
// time costs the view more than laying out all rows anew.
constexpr size_t kFewStretches = 64;

}  // namespace

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

QVariant GridModel::background(uint32_t) const { return {}; }

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(cols_.size());
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_ || index.column() >= columnCount()) return {};
    const int row = index.row(), col = index.column();
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return text(row, col);
        case Qt::BackgroundRole: {
            const uint32_t c = color(row, col);
            return c == kNoColor ? QVariant() : background(c);
        }
        case Qt::CheckStateRole: {
            const Check c = check(row, col);
            return c == NoCheck ? QVariant() : QVariant::fromValue(Qt::CheckState(c - 1));
        }
        case ChoicesRole:
            return choices(row, col);
        default:
            return {};
    }
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= rows_ || index.column() >= columnCount()) return false;
    const int row = index.row(), col = index.column();
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        store(cols_[size_t(col)].texts, row, value.toString(), QString());
    } else if (role == Qt::CheckStateRole) {
        const int state = std::clamp(value.toInt(), int(Qt::Unchecked), int(Qt::Checked));
        store(cols_[size_t(col)].checks, row, uint8_t(state + 1), uint8_t(NoCheck));
    } else {
        return false;
    }
    // The user's edits show at once, as one cell.
    emit dataChanged(index, index, {role});
    return true;
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::ItemIsDropEnabled;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable |
                      Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    if (index.row() < rows_ && index.column() < columnCount() &&
        check(index.row(), index.column()) != NoCheck)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section >= 0 && size_t(section) < header_.size()) {
        const HeaderCell& h = header_[size_t(section)];
        if (h.exists && (role == Qt::DisplayRole || role == Qt::EditRole)) return h.text;
        if (role == Qt::BackgroundRole && h.color != kNoColor) return background(h.color);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool GridModel::removeRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || row < 0 || count <= 0 || row > rows_ - count) return false;
    flush();
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    eraseRows(row, count);
    rows_ -= count;
    endRemoveRows();
    return true;
}

void GridModel::eraseRows(int first, int count) {
    for (Column& c : cols_) {
        if (!c.texts.empty()) c.texts.erase(size_t(first), size_t(count));
        if (!c.colors.empty()) c.colors.erase(size_t(first), size_t(count));
        if (!c.checks.empty()) c.checks.erase(size_t(first), size_t(count));
        if (!c.choices.empty()) c.choices.erase(size_t(first), size_t(count));
    }
}

int GridModel::removeRowSet(std::vector<int> rows) {
    rows.erase(std::remove_if(rows.begin(), rows.end(), [&](int r) { return r < 0 || r >= rows_; }),
               rows.end());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.empty()) return 0;

    struct Stretch {
        int first, count;
    };
    std::vector<Stretch> stretches;
    for (int r : rows) {
        if (!stretches.empty() && stretches.back().first + stretches.back().count == r)
            ++stretches.back().count;
        else
            stretches.push_back({r, 1});
    }
    if (stretches.size() <= kFewStretches) {
        // From the last up, so the rows still to go keep their numbers.
        for (auto s = stretches.rbegin(); s != stretches.rend(); ++s)
            removeRows(s->first, s->count);
        return int(rows.size());
    }

    flush();
    std::vector<bool> keep(size_t(rows_), true);
    for (int r : rows) keep[size_t(r)] = false;
    const int kept = rows_ - int(rows.size());
    beginRemoveRows(QModelIndex(), 0, rows_ - 1);
    rows_ = 0;
    endRemoveRows();
    // No row is shown now: the columns may shrink before the rows come back.
    for (Column& c : cols_) {
        if (!c.texts.empty()) c.texts.keepOnly(keep);
        if (!c.colors.empty()) c.colors.keepOnly(keep);
        if (!c.checks.empty()) c.checks.keepOnly(keep);
        if (!c.choices.empty()) c.choices.keepOnly(keep);
    }
    if (kept > 0) {
        beginInsertRows(QModelIndex(), 0, kept - 1);
        rows_ = kept;
        endInsertRows();
    }
    return int(rows.size());
}

void GridModel::setColumnCount(int count) {
    count = std::max(0, count);
    const int old = columnCount();
    if (count == old) return;
    flush();
    if (count > old) {
        beginInsertColumns(QModelIndex(), old, count - 1);
        cols_.resize(size_t(count));
        header_.resize(size_t(count));
        endInsertColumns();
    } else {
        beginRemoveColumns(QModelIndex(), count, old - 1);
        cols_.resize(size_t(count));
        header_.resize(size_t(count));
        endRemoveColumns();
    }
}

void GridModel::resetRows(int n) {
    flush();
    if (rows_ > 0) {
        beginRemoveRows(QModelIndex(), 0, rows_ - 1);
        for (Column& c : cols_) {
            c.texts.clear();
            c.colors.clear();
            c.checks.clear();
            c.choices.clear();
        }
        rows_ = 0;
        endRemoveRows();
    }
    if (n > 0) {
        beginInsertRows(QModelIndex(), 0, n - 1);
        rows_ = n;
        endInsertRows();
    }
}

template <class T>
void GridModel::store(GapVector<T>& values, int row, T value, T unset) {
    // A column without the vector has the unset value in every row.
    if (values.empty()) {
        if (value == unset) return;
        values.assign(size_t(rows_), unset);
    }
    values[size_t(row)] = std::move(value);
}

QString GridModel::text(int row, int col) const {
    const auto& texts = cols_[size_t(col)].texts;
    return texts.empty() ? QString() : texts[size_t(row)];
}

void GridModel::setText(int row, int col, const QString& text) {
    store(cols_[size_t(col)].texts, row, text, QString());
    markDirty(row, col, col);
}

uint32_t GridModel::color(int row, int col) const {
    const auto& colors = cols_[size_t(col)].colors;
    return colors.empty() ? kNoColor : colors[size_t(row)];
}

void GridModel::setColor(int row, int col, uint32_t color) {
    store(cols_[size_t(col)].colors, row, color & 0xFFFFFF, kNoColor);
    markDirty(row, col, col);
}

void GridModel::setRowColor(int row, uint32_t color) {
    if (cols_.empty()) return;
    for (Column& c : cols_) store(c.colors, row, color & 0xFFFFFF, kNoColor);
    markDirty(row, 0, columnCount() - 1);
}

GridModel::Check GridModel::check(int row, int col) const {
    const auto& checks = cols_[size_t(col)].checks;
    return checks.empty() ? NoCheck : Check(checks[size_t(row)]);
}

void GridModel::setCheck(int row, int col, Check check) {
    store(cols_[size_t(col)].checks, row, uint8_t(check), uint8_t(NoCheck));
    markDirty(row, col, col);
}

QStringList GridModel::choices(int row, int col) const {
    const auto& choices = cols_[size_t(col)].choices;
    return choices.empty() ? QStringList() : choices[size_t(row)];
}

void GridModel::setChoices(int row, int col, const QStringList& choices) {
    store(cols_[size_t(col)].choices, row, choices, QStringList());
}

QString GridModel::headerText(int col) const { return header_[size_t(col)].text; }

void GridModel::setHeaderText(int col, const QString& text) {
    header_[size_t(col)].text = text;
    touchHeader(col);
}

uint32_t GridModel::headerColor(int col) const { return header_[size_t(col)].color; }

void GridModel::setHeaderColor(int col, uint32_t color) {
    header_[size_t(col)].color = color & 0xFFFFFF;
    touchHeader(col);
}

void GridModel::touchHeader(int col) {
    header_[size_t(col)].exists = true;
    emit headerDataChanged(Qt::Horizontal, col, col);
}

void GridModel::markDirty(int row, int firstCol, int lastCol) {
    if (dirtyTop_ > dirtyBottom_) {
        dirtyTop_ = dirtyBottom_ = row;
        dirtyLeft_ = firstCol;
        dirtyRight_ = lastCol;
    } else {
        dirtyTop_ = std::min(dirtyTop_, row);
        dirtyBottom_ = std::max(dirtyBottom_, row);
        dirtyLeft_ = std::min(dirtyLeft_, firstCol);
        dirtyRight_ = std::max(dirtyRight_, lastCol);
    }
    if (flushQueued_) return;
    flushQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            flushQueued_ = false;
            flush();
        },
        Qt::QueuedConnection);
}

void GridModel::flush() {
    if (dirtyTop_ > dirtyBottom_) return;
    const int top = dirtyTop_, bottom = std::min(dirtyBottom_, rows_ - 1);
    const int left = dirtyLeft_, right = std::min(dirtyRight_, columnCount() - 1);
    dirtyTop_ = 1;
    dirtyBottom_ = 0;
    if (top <= bottom && left <= right) emit dataChanged(index(top, left), index(bottom, right));
}

}  // namespace pelmora
