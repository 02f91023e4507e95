#include "window/dialogs/ConversionProgress.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {

constexpr int kAnimationHeight = 60;
constexpr int kLabelHeight = 70;
constexpr int kBarHeight = 16;
constexpr int kBarMargin = 24;

}  // namespace

ProgressAnimation::ProgressAnimation(QWidget* parent) : QWidget(parent), bar_(new QProgressBar(this))
{
    bar_->setTextVisible(false);
    bar_->setFixedHeight(kBarHeight);
    bar_->setRange(0, 1);
    bar_->setValue(0);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(kBarMargin, 0, kBarMargin, 0);
    layout->addWidget(bar_);
}

void ProgressAnimation::SetActive(bool active)
{
    active_ = active;
    // An empty range makes the bar run back and forth without an end.
    if (active)
        bar_->setRange(0, 0);
    else
        bar_->setRange(0, 1);
}

TForm10::TForm10(const QWidget* placeOver) : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
{
    setWindowTitle(QStringLiteral("Konwersja archiwum"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(ClientWidth, ClientHeight);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    setFont(font);
    CreateComponents();
    if (placeOver) {
        QRect place(QPoint(0, 0), size());
        place.moveCenter(placeOver->geometry().center());
        move(place.topLeft());
    }
}

void TForm10::CreateComponents()
{
    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(1);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(Panel1);

    Label1 = new QLabel(QStringLiteral("Konwersja archiwum"), Panel1);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setMinimumHeight(kLabelHeight);
    QFont labelFont(QStringLiteral("Arial"));
    labelFont.setPixelSize(29);
    labelFont.setBold(true);
    Label1->setFont(labelFont);

    Animate1 = new ProgressAnimation(Panel1);
    Animate1->setFixedHeight(kAnimationHeight);

    auto* inner = new QVBoxLayout(Panel1);  // inside the bevel
    inner->setContentsMargins(0, 0, 0, 0);
    inner->setSpacing(0);
    inner->addWidget(Label1, 1);
    inner->addWidget(Animate1);
}
