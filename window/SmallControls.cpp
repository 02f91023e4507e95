#include "SmallControls.h"

#include <algorithm>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

UpDown::UpDown(int min, int max, int position, QWidget* parent)
    : QWidget(parent), min_(min), max_(max), position_(std::clamp(position, min, max))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    up_ = new QToolButton(this);
    up_->setArrowType(Qt::UpArrow);
    down_ = new QToolButton(this);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* button : {up_, down_}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(button);
    }
    connect(up_, &QToolButton::clicked, this, [this] { Step(1); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void UpDown::SetPosition(int position)
{
    position_ = std::clamp(position, min_, max_);
}

void UpDown::Step(int by)
{
    SetPosition(position_ + by);
    emit Click();
}

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
