// The tray: the tray icon and its menu, hiding the main window to the tray
// and bringing it back, and the commands that close the main window.
//
// The main window is either shown or hidden. "Ukryj" and a minimise of the
// main window hide it (no window, no taskbar entry; only the tray icon),
// "Pokaż" and a left click on the tray icon bring it back in front with the
// link list focused. It hides only while the desktop has a tray to bring it
// back from; without one a minimise leaves it minimised. Closing the main
// window, by "Zamknij" or its close box, ends the program. A tray that goes
// away while the window is hidden (the panel ends or restarts) brings the
// window back; Qt puts the icon into a tray that starts again.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindowStateChangeEvent>

#include "window/mainwindow/dovra_.h"
#include "window/widgets/LineListBox.h"

void TForm1::ConnectTray()
{
    platform::OnTrayClick(*TrayIcon1, *this, Guarded([this] { TrayIcon1Click(); }));
    connect(PopupMenu2, &QMenu::aboutToShow, this, Guarded([this] { PopupMenu2Popup(); }));
    OnTrayAddCommand(Dodajnowylink2, &TForm1::Dodajnowylink1Click);
    OnTrayAddCommand(Dodajlinkizeschowka1, &TForm1::Dodajlinkzeschowka1Click);
    OnTrayAddCommand(Dodajlinkizpliku2, &TForm1::Dodajlinkizpliku1Click);
    OnTriggered(Poka1, &TForm1::Poka1Click);
    OnTriggered(Ukryj1, &TForm1::Ukryj1Click);
    for (QAction* item : {Zamknij2, Zamknij1, ToolButton16})
        OnTriggered(item, &TForm1::Zamknij1Click);
    connect(TrayCheck, &QTimer::timeout, this, Guarded([this] { TrayCheckTimer(); }));
}

// The tray host may show the menu without letting the program prepare it,
// so the rule of PopupMenu2Popup holds again when the item is chosen.
// Otherwise a command run during another command's dialog would lower the
// one busy flag under that command.
void TForm1::OnTrayAddCommand(QAction* item, void (TForm1::*handler)())
{
    connect(item, &QAction::triggered, this, Guarded([this, handler] {
                if (!Busy)
                    (this->*handler)();
            }));
}

void TForm1::SetTrayHost(std::unique_ptr<platform::TrayHost> host)
{
    trayHost_ = std::move(host);
}

bool TForm1::InTray() const
{
    return TrayIcon1->isVisible() && trayHost_->Available();
}

void TForm1::HideToTray()
{
    hide();
    TrayCheck->start();
}

void TForm1::TrayCheckTimer()
{
    if (isVisible() || closed_) {
        TrayCheck->stop();
        return;
    }
    if (trayHost_->Available())
        return;
    TrayCheck->stop();
    Poka1Click();
}

void TForm1::TrayIcon1Click()
{
    Poka1->trigger();
}

void TForm1::PopupMenu2Popup()
{
    Monitorowanieschowka1->setChecked(Timer1->Enabled());
    for (QAction* item : {Dodajnowylink2, Dodajlinkizeschowka1, Dodajlinkizpliku2})
        item->setEnabled(!Busy);
}

void TForm1::Poka1Click()
{
    platform::RestoreWindow(*this);
    // A modal window of the program stays above the main window and keeps
    // the focus: the link list cannot take it while that window runs.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        platform::RestoreWindow(*modal);
        return;
    }
    ListBox1->setFocus();
}

void TForm1::Ukryj1Click()
{
    platform::MinimizeWindow(*this);
    if (InTray())
        HideToTray();
}

void TForm1::Zamknij1Click()
{
    close();
}

void TForm1::FormShow()
{}

void TForm1::FormHide()
{}

void TForm1::Dispatch(QEvent& message)
{
    switch (message.type()) {
    case QEvent::WindowStateChange:
        if (isMinimized() && !(static_cast<QWindowStateChangeEvent&>(message).oldState() & Qt::WindowMinimized))
            WMSysCommand();
        break;
    case QEvent::Show:
        TrayCheck->stop();
        FormShow();
        break;
    case QEvent::Hide:
        FormHide();
        break;
    default:
        break;
    }
}

// The window manager is still finishing the minimise while the state change
// is delivered; the window leaves the screen on the next turn of the loop.
void TForm1::WMSysCommand()
{
    if (!InTray())
        return;
    QTimer::singleShot(0, this, [this] {
        if (isMinimized() && InTray())
            HideToTray();
    });
}

// Runs after the close handler has written the monitor's state: no tick may
// offer links while the program ends, and a modal window of the program
// (the tray menu works while one runs) ends as cancelled.
void TForm1::EndForClose()
{
    Timer1->SetEnabled(false);
    TrayCheck->stop();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window == this || !window->isVisible() || !window->isModal())
            continue;
        // Not reject(): a box without an Escape answer ignores that.
        if (auto* dialog = qobject_cast<QDialog*>(window))
            dialog->done(QDialog::Rejected);
        else
            window->close();
    }
}
