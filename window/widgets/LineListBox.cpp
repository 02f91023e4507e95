#include "window/widgets/LineListBox.h"

#include <algorithm>

#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>

#include "window/widgets/LineListDelegate.h"
#include "window/widgets/LineSelectionModel.h"

LineListBox::LineListBox(QWidget* parent) : QListView(parent), model_(new linelist::LineModel(this))
{
    setModel(model_);
    QItemSelectionModel* generic = QListView::selectionModel();
    auto* selection = new linelist::LineSelectionModel(model_, this);
    setSelectionModel(selection);
    delete generic;
    connect(selection, &QItemSelectionModel::selectionChanged, this, &LineListBox::FollowSelection);

    setItemDelegate(new linelist::RowDelegate(this));
    setUniformItemSizes(true);
    setEditTriggers(NoEditTriggers);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setDragEnabled(false);
    setAutoScroll(true);
    SetColor(color_);
}

LineListBox::~LineListBox() = default;

void LineListBox::SetItemHeight(int height)
{
    itemHeight_ = height;
    doItemsLayout();
}

void LineListBox::SetColor(const QColor& color)
{
    color_ = color;
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, color);
    setPalette(palette);
}

void LineListBox::SetMultiSelect(bool multiSelect)
{
    setSelectionMode(multiSelect ? ExtendedSelection : SingleSelection);
}

int LineListBox::Count() const
{
    return model_->rowCount();
}

std::string LineListBox::Item(int index) const
{
    return model_->Has(index) ? model_->Line(index) : std::string();
}

void LineListBox::Append(const std::string& line)
{
    ++revision_;
    marks_.PushBack();
    model_->Append(line);
}

void LineListBox::Replace(int index, const std::string& line)
{
    if (model_->Has(index)) {
        ++revision_;
        model_->Set(index, line);
    }
}

void LineListBox::DeleteLast()
{
    if (Count() == 0)
        return;
    ++revision_;
    model_->RemoveLast();
    // The selection model may have dropped the row's flag already.
    marks_.PopBack();
}

int LineListBox::CurrentRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

int LineListBox::ItemIndex() const
{
    return CurrentRow();
}

void LineListBox::SetItemIndex(int index)
{
    // Through the view rather than its selection model: the view then also
    // starts the next Shift range (keys or Shift+click) from this row.
    const QModelIndex row = model_->Has(index) ? model_->index(index) : QModelIndex();
    focusingFromCode_ = true;
    setCurrentIndex(row);
    focusingFromCode_ = false;
}

QItemSelectionModel::SelectionFlags LineListBox::selectionCommand(const QModelIndex& index, const QEvent* event) const
{
    if (focusingFromCode_)
        return QItemSelectionModel::NoUpdate;
    return QListView::selectionCommand(index, event);
}

bool LineListBox::Selected(int index) const
{
    return model_->Has(index) && marks_.Get(index);
}

void LineListBox::SetSelected(int index, bool selected)
{
    if (!model_->Has(index))
        return;
    if (marks_.Get(index) == selected)
        return;
    // A single-select list holds one selected row: selecting a row
    // deselects the one selected before.
    if (selected && selectionMode() == SingleSelection && marks_.Count() > 0)
        marks_.ClearAll();
    marks_.Set(index, selected);
    SchedulePendingFlush();
}

void LineListBox::Clear()
{
    ++revision_;
    UnmarkAll();
    marks_.Assign(0);
    model_->Reset({});
}

const std::vector<std::string>& LineListBox::Lines() const
{
    return model_->Lines();
}

std::vector<std::string> LineListBox::SetLines(std::vector<std::string> lines)
{
    std::vector<std::string> before = ReplaceLines(std::move(lines));
    if (Count() > 0)
        SetItemIndex(0);
    return before;
}

std::vector<std::string> LineListBox::ReplaceLines(std::vector<std::string> lines)
{
    ++revision_;
    UnmarkAll();
    const std::vector<std::string>& old = model_->Lines();
    if (old.empty() || lines.empty()) {
        marks_.Assign(lines.size());
        return model_->Reset(std::move(lines));
    }
    const std::size_t common = std::min(old.size(), lines.size());
    int first = static_cast<int>(common);
    int last = -1;
    for (std::size_t i = 0; i < common; ++i)
        if (old[i] != lines[i]) {
            first = std::min(first, static_cast<int>(i));
            last = static_cast<int>(i);
        }
    marks_.Assign(std::max(old.size(), lines.size()));
    std::vector<std::string> before = model_->Replace(std::move(lines), first, last);
    marks_.Resize(static_cast<std::size_t>(Count()));
    return before;
}

std::vector<std::string> LineListBox::SyncLines(std::vector<std::string> lines, int selectId)
{
    const int sel = SyncSelectionRow(lines, selectId);
    std::vector<std::string> before = ReplaceLines(std::move(lines));
    if (Count() > 0) {
        SetItemIndex(sel);
        SetSelected(sel, true);
    }
    return before;
}

std::vector<int> LineListBox::SelectedRows() const
{
    return marks_.Rows();
}

void LineListBox::SetSelectedRows(const std::vector<int>& rows)
{
    marks_.ClearAll();
    for (int row : rows)
        if (model_->Has(row))
            marks_.Set(row, true);
    pending_ = true;
    FlushSelection();
}

void LineListBox::DeleteSelected()
{
    if (marks_.Count() == 0) {
        clearSelection();
        return;
    }
    // The focus stays on its row; when that row goes, on the nearest
    // remaining row above it, else on the first remaining row.
    int focus = CurrentRow();
    if (focus >= 0)
        focus = marks_.RowAfterRemoval(focus);
    ++revision_;
    const std::vector<char> marks = marks_.TakeForRemoval();
    pending_ = false;
    model_->RemoveMarked(marks);
    SetItemIndex(focus);
}

void LineListBox::DrawRow(QPainter& painter, const QRect& rect, int index, bool selected) const
{
    if (drawItem_)
        drawItem_(painter, rect, index, selected);
}

QRect LineListBox::RowRect(int index) const
{
    return model_->Has(index) ? visualRect(model_->index(index)) : QRect();
}

QItemSelectionModel* LineListBox::selectionModel() const
{
    FlushSelection();
    return QListView::selectionModel();
}

void LineListBox::clearSelection()
{
    UnmarkAll();
}

void LineListBox::FlushSelection() const
{
    if (pending_)
        const_cast<LineListBox*>(this)->ApplyFlags();
}

void LineListBox::SchedulePendingFlush()
{
    pending_ = true;
    if (flushQueued_)
        return;
    flushQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            flushQueued_ = false;
            FlushSelection();
        },
        Qt::QueuedConnection);
}

void LineListBox::ApplyFlags()
{
    pending_ = false;
    const QItemSelection selection = marks_.Ranges(*model_);
    // Cleared first, then selected: each step compares against an empty set,
    // which the selection model does without matching range against range.
    QItemSelectionModel* model = QListView::selectionModel();
    applying_ = true;
    model->QItemSelectionModel::select(QItemSelection(), QItemSelectionModel::Clear);
    if (!selection.isEmpty())
        model->QItemSelectionModel::select(selection, QItemSelectionModel::Select);
    applying_ = false;
}

void LineListBox::UnmarkAll()
{
    marks_.ClearAll();
    pending_ = false;
    applying_ = true;
    QListView::selectionModel()->QItemSelectionModel::select(QItemSelection(), QItemSelectionModel::Clear);
    applying_ = false;
}

void LineListBox::FollowSelection(const QItemSelection& selected, const QItemSelection& deselected)
{
    if (applying_)
        return;
    marks_.Mark(deselected, false);
    marks_.Mark(selected, true);
}

bool LineListBox::viewportEvent(QEvent* event)
{
    FlushSelection();  // paint and mouse input see the selection as it is
    return QListView::viewportEvent(event);
}

void LineListBox::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();  // the context menu opens; the selection stays
        return;
    }
    extendFrom_ = QPersistentModelIndex();
    pressing_ = event->button() == Qt::LeftButton;
    QListView::mousePressEvent(event);
    pressing_ = false;
    if (event->button() != Qt::LeftButton)
        return;
    rowAfterPress_ = CurrentRow();
    if (indexAt(event->position().toPoint()).isValid())
        emit UserClicked();
}

void LineListBox::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command)
{
    // The view selects a Shift+click's range from its range start to the
    // click, but once the mouse moves, from the point of the last press
    // without Shift. The row the press extended from (the rectangle's first
    // corner) holds until the button is released.
    if (pressing_ && (command & QItemSelectionModel::Current)) {
        extendFrom_ = indexAt(rect.topLeft());
    } else if (state() == DragSelectingState && extendFrom_.isValid()) {
        QListView::setSelection(QRect(visualRect(extendFrom_).center(), rect.bottomRight()), command);
        return;
    }
    QListView::setSelection(rect, command);
}

void LineListBox::mouseReleaseEvent(QMouseEvent* event)
{
    QListView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    extendFrom_ = QPersistentModelIndex();
    if (CurrentRow() != rowAfterPress_) {
        rowAfterPress_ = CurrentRow();
        emit UserClicked();
    }
}

void LineListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit DblClick();
}

void LineListBox::keyPressEvent(QKeyEvent* event)
{
    emit KeyDown(event->key(), event->modifiers());
    if (event->matches(QKeySequence::SelectAll) || event->matches(QKeySequence::Copy)) {
        event->ignore();
        return;
    }
    FlushSelection();
    const int before = CurrentRow();
    QListView::keyPressEvent(event);
    if (CurrentRow() != before)
        emit UserClicked();
}
