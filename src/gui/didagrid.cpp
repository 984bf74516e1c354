#include "gui/didagrid.h"

#include <QAbstractItemView>
#include <QBrush>
#include <QColor>
#include <QCompleter>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QUrl>
#include <algorithm>

#include "core/batchlist/gridmodel.h"

namespace pelmora {

namespace {

// The model as the view paints it: colours come as 0x00BBGGRR, red in the
// lowest byte.
class GridViewModel : public GridModel {
  public:
    using GridModel::GridModel;

  protected:
    QVariant background(uint32_t c) const override {
        return QBrush(QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
    }
};

}  // namespace

// Keys that end an edit, pressed while a cell's choices are shown: they reach
// the editor as they do without the list, so the delegate ends the edit as
// ever (Return and Tab commit the text shown, Escape reverts).
class ChoiceKeys : public QObject {
  public:
    ChoiceKeys(QLineEdit* editor, QAbstractItemView* popup)
        : QObject(popup), editor_(editor), popup_(popup) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Escape:
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
                break;
            default:
                return false;
        }
        // No shortcut of the window (Esc stops a run) takes the key first.
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
        popup_->hide();
        if (editor_) QCoreApplication::sendEvent(editor_, event);
        return true;
    }

  private:
    QPointer<QLineEdit> editor_;
    QAbstractItemView* popup_;
};

// Editing goes through the delegate, so only the user's edits pass here: the
// program's own writes go to the model directly and raise no notification.
class DiDaGridDelegate : public QStyledItemDelegate {
  public:
    explicit DiDaGridDelegate(DiDaGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        if (!grid_->askEditBegin(index)) return nullptr;
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) offerChoices(line, index);
        return editor;
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        QStyledItemDelegate::setModelData(editor, model, index);
        grid_->noteCommitted(index);
    }

  private:
    // The cell's choices other than its text, listed under the editor as it
    // opens. A completer's list leaves typing to the editor; it lists every
    // choice whatever is typed, and a click on one commits it as Return would.
    void offerChoices(QLineEdit* editor, const QModelIndex& index) const {
        QStringList choices = index.data(GridModel::ChoicesRole).toStringList();
        choices.removeAll(index.data(Qt::EditRole).toString());
        if (choices.isEmpty()) return;
        auto* completer = new QCompleter(choices, editor);
        completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
        completer->setMaxVisibleItems(int(choices.size()));
        editor->setCompleter(completer);
        QAbstractItemView* popup = completer->popup();
        // Installed after the completer's own filter, so it sees keys first.
        popup->installEventFilter(new ChoiceKeys(editor, popup));
        const QPointer<QLineEdit> guard(editor);
        auto* self = const_cast<DiDaGridDelegate*>(this);
        QObject::connect(completer, qOverload<const QString&>(&QCompleter::activated), self,
                         [self, guard](const QString& text) {
                             if (!guard) return;
                             guard->setText(text);
                             // Later: the click that chose is still being handled.
                             QMetaObject::invokeMethod(
                                 self,
                                 [self, guard] {
                                     if (!guard) return;
                                     emit self->commitData(guard);
                                     emit self->closeEditor(guard);
                                 },
                                 Qt::QueuedConnection);
                         });
        // Once the view has placed and shown the editor.
        QMetaObject::invokeMethod(
            completer,
            [completer, guard, popup] {
                if (!guard || !guard->isVisible()) return;
                // As wide as the longest choice needs, at least the cell.
                const int frame = 2 * popup->frameWidth();
                const int width = std::max(
                    guard->width(), popup->sizeHintForColumn(0) + frame +
                                        popup->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
                completer->complete(QRect(0, 0, width, guard->height()));
                // Nothing marked: Return takes the text in the editor.
                popup->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
            },
            Qt::QueuedConnection);
    }

    DiDaGrid* grid_;
};

DiDaGrid::DiDaGrid(QWidget* parent) : QTableView(parent), GridCells(*new GridViewModel(this)) {
    setModel(&gridModel());
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

void DiDaGrid::SetColCount(int count) {
    count = std::max(0, count);
    gridModel().setColumnCount(count);
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

int DiDaGrid::DeleteRows(const std::vector<int>& rows) {
    GridModel& cells = gridModel();
    std::vector<int> modelRows;
    modelRows.reserve(rows.size());
    for (int r : rows)
        if (r >= 1 && r - 1 < cells.rowCount()) modelRows.push_back(r - 1);
    std::sort(modelRows.begin(), modelRows.end());
    modelRows.erase(std::unique(modelRows.begin(), modelRows.end()), modelRows.end());
    const QModelIndex current = currentIndex();
    const int currentRow = current.row();
    const auto above = std::lower_bound(modelRows.begin(), modelRows.end(), currentRow);
    const bool currentGoes = above != modelRows.end() && *above == currentRow;
    const int shift = int(above - modelRows.begin());
    const int removed = cells.removeRowSet(modelRows);
    // Many rows at once lay the view out anew and lose the current cell:
    // it stays on its row when that row stays.
    if (current.isValid() && !currentIndex().isValid() && !currentGoes)
        setCurrentIndex(cells.index(currentRow - shift, current.column()));
    return removed;
}

void DiDaGrid::RefreshGrid() {
    GridCells::RefreshGrid();
    viewport()->update();
}

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
    QTableView::closeEditor(editor, hint);
    // An edit left with Escape commits nothing and is no finished edit.
    if (done.isValid()) emit CellEditEnd(done.row() + 1, done.column(), 0);
}

void DiDaGrid::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                           const QList<int>& roles) {
    // The program's writes arrive later as one range, which would also put the
    // model's text back into an open editor: what the user typed stays.
    if (topLeft != bottomRight && state() == EditingState) {
        viewport()->update();
        return;
    }
    QTableView::dataChanged(topLeft, bottomRight, roles);
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
    QTableView::mouseDoubleClickEvent(event);
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
