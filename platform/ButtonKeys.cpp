#include "platform/ButtonKeys.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>

namespace platform {
namespace {

class EnterClicks final : public QObject {
public:
    explicit EnterClicks(QPushButton* button) : QObject(button), button_(button) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != button_ || event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!IsEnter(key->key()))
            return false;
        if (button_->isEnabled())
            button_->click();
        return true;  // the dialog's own Enter does not run as well
    }

private:
    QPushButton* button_;
};

}  // namespace

void NeverDefault(QPushButton* button)
{
    button->setAutoDefault(false);
    button->setDefault(false);
}

void EnterClicksWhenFocused(QPushButton* button)
{
    NeverDefault(button);
    button->installEventFilter(new EnterClicks(button));
}

bool IsEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace platform
