#include "window/widgets/RadioGroup.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 2, 8, 4);
    layout->setSpacing(2);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        group_->addButton(button, i);
        layout->addWidget(button);
    }
}

int RadioGroup::ItemIndex() const
{
    return group_->checkedId();
}

void RadioGroup::SetItemIndex(int index)
{
    if (QAbstractButton* button = group_->button(index)) {
        button->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked; let go of it to clear.
    group_->setExclusive(false);
    for (QAbstractButton* button : group_->buttons())
        button->setChecked(false);
    group_->setExclusive(true);
}

int RadioGroup::Count() const
{
    return static_cast<int>(group_->buttons().size());
}

QString RadioGroup::Item(int index) const
{
    QAbstractButton* button = group_->button(index);
    return button ? button->text() : QString();
}
