#include "window/widgets/LineListModel.h"

namespace linelist {

int LineModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QVariant LineModel::data(const QModelIndex& index, int role) const
{
    if (role != LineRole || !Has(index.row()))
        return QVariant();
    return QByteArray::fromStdString(lines_[static_cast<std::size_t>(index.row())]);
}

Qt::ItemFlags LineModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

std::vector<std::string> LineModel::Reset(std::vector<std::string> lines)
{
    beginResetModel();
    lines_.swap(lines);
    endResetModel();
    return lines;
}

std::vector<std::string> LineModel::Replace(std::vector<std::string> lines, int first, int last)
{
    const int oldCount = rowCount();
    const int newCount = static_cast<int>(lines.size());
    if (newCount > oldCount) {
        beginInsertRows(QModelIndex(), oldCount, newCount - 1);
        lines_.swap(lines);
        endInsertRows();
    } else if (newCount < oldCount) {
        beginRemoveRows(QModelIndex(), newCount, oldCount - 1);
        lines_.swap(lines);
        endRemoveRows();
    } else {
        lines_.swap(lines);
    }
    if (first <= last)
        emit dataChanged(index(first), index(last));
    return lines;
}

void LineModel::Append(const std::string& line)
{
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    lines_.push_back(line);
    endInsertRows();
}

void LineModel::Set(int row, const std::string& line)
{
    lines_[static_cast<std::size_t>(row)] = line;
    emit dataChanged(index(row), index(row));
}

void LineModel::RemoveLast()
{
    const int row = rowCount() - 1;
    beginRemoveRows(QModelIndex(), row, row);
    lines_.pop_back();
    endRemoveRows();
}

void LineModel::RemoveMarked(const std::vector<char>& marks)
{
    beginResetModel();
    std::size_t kept = 0;
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (!marks[i]) {
            if (kept != i)
                lines_[kept] = std::move(lines_[i]);
            ++kept;
        }
    lines_.resize(kept);
    endResetModel();
}

}  // namespace linelist
