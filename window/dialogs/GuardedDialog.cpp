#include "window/dialogs/GuardedDialog.h"

#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>

#include "platform/ButtonKeys.h"

GuardedDialog::GuardedDialog(QWidget* owner, platform::Boxes& boxes, Qt::WindowFlags flags)
    : QDialog(owner, flags), boxes_(boxes)
{}

std::function<bool()> GuardedDialog::BusyOr(std::function<bool()> ownerBusy)
{
    return [dialog = QPointer<GuardedDialog>(this), ownerBusy = std::move(ownerBusy)] {
        return dialog ? dialog->handling_ : ownerBusy();
    };
}

void GuardedDialog::ConnectClick(QPushButton* button, std::function<void()> handler)
{
    connect(button, &QPushButton::clicked, this, [this, handler = std::move(handler)] { Guarded(handler); });
}

bool GuardedDialog::TakeKey(QEvent* event, Keys keys, const std::function<void(int)>& onKey)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool taken = platform::IsEnter(key) || (keys == Keys::EnterEscape && key == Qt::Key_Escape);
    if (!taken)
        return false;
    if (onKey)
        Guarded([&onKey, key] { onKey(key); });
    event->accept();
    return true;
}
