#include "window/widgets/UpDown.h"

#include <algorithm>

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
