#include "platform/Tray.h"

#include <QSystemTrayIcon>
#include <QWidget>

namespace platform {

bool DesktopTrayHost::Available() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void OnTrayClick(QSystemTrayIcon& icon, QObject& context, std::function<void()> onClick)
{
    QObject::connect(&icon, &QSystemTrayIcon::activated, &context,
                     [onClick = std::move(onClick)](QSystemTrayIcon::ActivationReason reason) {
                         // Qt reports the second of two quick left clicks as
                         // a double click instead of a click: it is a click too.
                         if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                             onClick();
                     });
}

void MinimizeWindow(QWidget& window)
{
    window.setWindowState(window.windowState() | Qt::WindowMinimized);
}

void RestoreWindow(QWidget& window)
{
    // A widget shown while its state says minimised comes back minimised.
    if (window.windowState() & Qt::WindowMinimized)
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}

}  // namespace platform
