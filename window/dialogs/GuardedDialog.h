// What the program's dialogs share: every handler that Qt calls runs inside
// the handler guard, so an exception is shown in the error box and never
// reaches the event loop; and Enter and Escape go where the dialog says,
// not to QDialog, which would click a default button or close the dialog.
#pragma once

#include <functional>
#include <utility>

#include <QDialog>

#include "platform/HandlerGuard.h"
#include "store/Db_funcs.h"

class QEvent;
class QPushButton;

namespace platform {
class Boxes;
}

class GuardedDialog : public QDialog {
public:
    Q_DISABLE_COPY_MOVE(GuardedDialog)

protected:
    // boxes: where the guard shows an exception. owner may be null: the
    // dialog then belongs to the application.
    GuardedDialog(QWidget* owner, platform::Boxes& boxes, Qt::WindowFlags flags = {});

    // Runs a handler inside the guard, as one command of the user for the
    // store (DbCommand), also inside the modal loop of the window's command.
    template <class Handler>
    void Guarded(Handler&& handler)
    {
        const DbCommand command;
        platform::BusyGuard busy(handling_);
        platform::RunGuarded(boxes_, std::forward<Handler>(handler));
    }

    // For an answer that comes later: busy while one of the dialog's
    // handlers runs, and once the dialog is gone, as ownerBusy says.
    std::function<bool()> BusyOr(std::function<bool()> ownerBusy);

    // Each click of button runs the dialog's member handler, guarded.
    template <class Dialog>
    void ConnectClick(QPushButton* button, void (Dialog::*handler)())
    {
        auto* dialog = static_cast<Dialog*>(this);
        ConnectClick(button, [dialog, handler] { (dialog->*handler)(); });
    }
    void ConnectClick(QPushButton* button, std::function<void()> handler);

    // The keys a dialog takes from QDialog.
    enum class Keys { Enter, EnterEscape };
    // When event is a key press of one of keys: runs onKey(key) guarded (a
    // null onKey runs nothing), accepts the event and gives true. Any other
    // event gives false and is left alone.
    bool TakeKey(QEvent* event, Keys keys, const std::function<void(int)>& onKey);

    platform::Boxes& boxes_;

private:
    bool handling_ = false;
};
