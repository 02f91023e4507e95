#include "window/widgets/ColumnHeader.h"

#include <QHeaderView>
#include <QStandardItemModel>

QHeaderView* NewColumnHeader(QWidget* parent, QStandardItemModel* model, const QStringList& titles, int height)
{
    model->setColumnCount(static_cast<int>(titles.size()));
    model->setHorizontalHeaderLabels(titles);
    auto* header = new QHeaderView(Qt::Horizontal, parent);
    header->setModel(model);
    header->setFixedHeight(height);
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setMinimumSectionSize(0);
    return header;
}
