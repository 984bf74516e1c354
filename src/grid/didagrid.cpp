#include "grid/didagrid.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QUrl>
#include <algorithm>

namespace pelmora {

namespace {

const QString kSetCheck = QStringLiteral("setcheck");
const QString kGetCheck = QStringLiteral("getcheck");
constexpr uint32_t kWhite = 0xFFFFFF;

// Colours come as 0x00BBGGRR: red in the lowest byte.
QColor ToQColor(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
uint32_t FromQColor(const QColor& c) {
    return uint32_t(c.red()) | (uint32_t(c.green()) << 8) | (uint32_t(c.blue()) << 16);
}

}  // namespace

// Editing goes through the delegate, so only the user's edits pass here: the
// program's own writes set items directly and raise no notification.
class DiDaGridDelegate : public QStyledItemDelegate {
  public:
    explicit DiDaGridDelegate(DiDaGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        if (!grid_->askEditBegin(index)) return nullptr;
        return QStyledItemDelegate::createEditor(parent, option, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        QStyledItemDelegate::setModelData(editor, model, index);
        grid_->noteCommitted(index);
    }

  private:
    DiDaGrid* grid_;
};

DiDaGrid::DiDaGrid(QWidget* parent) : QTableWidget(parent) {
    setItemDelegate(new DiDaGridDelegate(this));
    // A double-click opens the row's document, so it does not start editing.
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(22);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
    // Files from the file manager only; rows are never dragged about.
    setDragDropMode(QAbstractItemView::DropOnly);
    setAcceptDrops(true);
    connect(
        horizontalHeader(), &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
            const QPoint global = horizontalHeader()->mapToGlobal(pos);
            emit MenuRequest(global.x(), global.y(), 0, horizontalHeader()->logicalIndexAt(pos), 0);
        });
}

QTableWidgetItem* DiDaGrid::cellItem(int row, int col, bool create) {
    if (row < 0 || col < 0 || col >= columnCount() || row > rowCount()) return nullptr;
    if (row == 0) {
        QTableWidgetItem* it = horizontalHeaderItem(col);
        if (!it && create) {
            it = new QTableWidgetItem;
            setHorizontalHeaderItem(col, it);
        }
        return it;
    }
    QTableWidgetItem* it = item(row - 1, col);
    if (!it && create) {
        it = new QTableWidgetItem;
        setItem(row - 1, col, it);
    }
    return it;
}

const QTableWidgetItem* DiDaGrid::cellItem(int row, int col) const {
    return const_cast<DiDaGrid*>(this)->cellItem(row, col, false);
}

void DiDaGrid::SetColCount(int count) {
    count = std::max(0, count);
    setColumnCount(count);
    colWidths_.resize(size_t(count), 0);
}

void DiDaGrid::SetColWidth(int col, int width) {
    if (col < 0 || col >= columnCount()) return;
    colWidths_[size_t(col)] = width;
    if (width < 0) {
        setColumnHidden(col, true);
        return;
    }
    setColumnHidden(col, false);
    setColumnWidth(col, width);
}

int DiDaGrid::ColWidth(int col) const {
    if (col < 0 || size_t(col) >= colWidths_.size()) return 0;
    return colWidths_[size_t(col)];
}

void DiDaGrid::ClearRows() { setRowCount(0); }

void DiDaGrid::SetRowCount(int n) {
    setRowCount(0);
    setRowCount(std::max(0, n - 1));
}

void DiDaGrid::SetCellText(int row, int col, const QString& text) {
    if (QTableWidgetItem* it = cellItem(row, col, true)) it->setText(text);
}

QString DiDaGrid::GetCellText(int row, int col) const {
    const QTableWidgetItem* it = cellItem(row, col);
    return it ? it->text() : QString();
}

void DiDaGrid::SetCellColor(int row, int col, uint32_t color) {
    if (QTableWidgetItem* it = cellItem(row, col, true)) it->setBackground(ToQColor(color));
}

void DiDaGrid::SetRowColor(int row, uint32_t color) {
    for (int c = 0; c < columnCount(); ++c) SetCellColor(row, c, color);
}

uint32_t DiDaGrid::GetCellColor(int row, int col) const {
    const QTableWidgetItem* it = cellItem(row, col);
    if (!it || it->background().style() == Qt::NoBrush) return kWhite;
    return FromQColor(it->background().color());
}

void DiDaGrid::SetCellStyle(int row, int col, int style) {
    QTableWidgetItem* it = cellItem(row, col, true);
    if (!it || row == 0) return;
    if (style == kStyleCheckBox) {
        it->setFlags(it->flags() | Qt::ItemIsUserCheckable);
        it->setCheckState(Qt::Unchecked);
    } else {
        it->setFlags(it->flags() & ~Qt::ItemIsUserCheckable);
        it->setData(Qt::CheckStateRole, QVariant());
    }
}

void DiDaGrid::SetCellProperty(int row, int col, const QString& name, const QString& value) {
    if (name != kSetCheck || row == 0) return;
    QTableWidgetItem* it = cellItem(row, col, true);
    if (!it) return;
    it->setFlags(it->flags() | Qt::ItemIsUserCheckable);
    it->setCheckState(value == QLatin1String("1") ? Qt::Checked : Qt::Unchecked);
}

QString DiDaGrid::GetCellProperty(int row, int col, const QString& name) const {
    if (name != kGetCheck) return QString();
    const QTableWidgetItem* it = row == 0 ? nullptr : cellItem(row, col);
    const bool checked =
        it && it->data(Qt::CheckStateRole).isValid() && it->checkState() == Qt::Checked;
    return checked ? QStringLiteral("1") : QStringLiteral("0");
}

void DiDaGrid::DeleteRow(int row, int count) {
    if (row < 1) return;
    for (int i = 0; i < count && row - 1 < rowCount(); ++i) removeRow(row - 1);
}

void DiDaGrid::RefreshGrid() { viewport()->update(); }

int DiDaGrid::ControlWidth() const { return width(); }

bool DiDaGrid::askEditBegin(const QModelIndex& index) {
    int16_t allow = -1;
    emit CellEditBegin(index.row() + 1, index.column(), 0, allow);
    return allow != 0;
}

void DiDaGrid::noteCommitted(const QModelIndex& index) { committed_ = index; }

void DiDaGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    const QPersistentModelIndex done = committed_;
    committed_ = QPersistentModelIndex();
    QTableWidget::closeEditor(editor, hint);
    // An edit left with Escape commits nothing and is no finished edit.
    if (done.isValid()) emit CellEditEnd(done.row() + 1, done.column(), 0);
}

void DiDaGrid::requestMenu(const QPoint& globalPos, const QModelIndex& index) {
    const int row = index.isValid() ? index.row() + 1 : -1;
    const int col = index.isValid() ? index.column() : -1;
    emit MenuRequest(globalPos.x(), globalPos.y(), row, col, 0);
}

void DiDaGrid::contextMenuEvent(QContextMenuEvent* event) {
    // Mouse events arrive through the viewport, in its coordinates.
    const QModelIndex index =
        event->reason() == QContextMenuEvent::Mouse ? indexAt(event->pos()) : currentIndex();
    event->accept();
    requestMenu(event->globalPos(), index);
}

void DiDaGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    const QPoint global = event->globalPosition().toPoint();
    QTableWidget::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton || !index.isValid()) return;
    emit OpenRequest(global.x(), global.y(), index.row() + 1, index.column(), index.row() + 1);
}

QStringList DiDaGrid::LocalPaths(const QMimeData* mime) {
    QStringList paths;
    if (!mime || !mime->hasUrls()) return paths;
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile()) continue;
        QString path = url.toLocalFile();
        // A folder URL may end in a slash; the root folder keeps its own.
        while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
        if (!path.isEmpty()) paths.push_back(path);
    }
    return paths;
}

void DiDaGrid::setDropFilter(std::function<bool(const QStringList&)> filter) {
    dropFilter_ = std::move(filter);
}

bool DiDaGrid::acceptsDrop(const QMimeData* mime, bool fresh) const {
    if (!fresh && mime && mime == lastDrag_) return lastDragAccepted_;
    const QStringList paths = LocalPaths(mime);
    lastDrag_ = mime;
    lastDragAccepted_ = !paths.isEmpty() && (!dropFilter_ || dropFilter_(paths));
    return lastDragAccepted_;
}

void DiDaGrid::takeDragEnter(QDragEnterEvent* event) const {
    if (acceptsDrop(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void DiDaGrid::takeDragMove(QDragMoveEvent* event) const {
    if (acceptsDrop(event->mimeData(), false))
        event->acceptProposedAction();
    else
        event->ignore();
}

void DiDaGrid::takeDrop(QDropEvent* event) {
    if (!acceptsDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    // The file manager keeps its files: the list only records where they are.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit FilesDropped(LocalPaths(event->mimeData()));
}

void DiDaGrid::dragEnterEvent(QDragEnterEvent* event) { takeDragEnter(event); }
void DiDaGrid::dragMoveEvent(QDragMoveEvent* event) { takeDragMove(event); }
void DiDaGrid::dropEvent(QDropEvent* event) { takeDrop(event); }

}  // namespace pelmora
