// The rows of one list box: its tagged lines as exact bytes, one string per
// row, with no item object per row and nothing else.
#pragma once

#include <string>
#include <vector>

#include <QAbstractListModel>

namespace linelist {

// The role that gives a row's line, as bytes.
constexpr int LineRole = Qt::UserRole;

class LineModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    bool Has(int row) const { return row >= 0 && static_cast<std::size_t>(row) < lines_.size(); }
    const std::vector<std::string>& Lines() const { return lines_; }
    const std::string& Line(int row) const { return lines_[static_cast<std::size_t>(row)]; }

    // The lines replaced whole: one reset. The old lines come back to be freed
    // by the caller.
    std::vector<std::string> Reset(std::vector<std::string> lines);
    // The lines replaced in place: the rows past the shorter list inserted or
    // removed at the end, and the rows first..last of the common part
    // repainted (none when first > last).
    std::vector<std::string> Replace(std::vector<std::string> lines, int first, int last);
    void Append(const std::string& line);
    void Set(int row, const std::string& line);
    void RemoveLast();
    // Keeps the rows whose flag is down, in one pass and one reset.
    void RemoveMarked(const std::vector<char>& marks);

private:
    std::vector<std::string> lines_;
};

}  // namespace linelist
