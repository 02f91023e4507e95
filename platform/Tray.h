// The desktop's tray (its notification area) and the window operations that
// hiding to it and showing from it need.
//
// Whether the desktop has a tray is a service of its own, so that tests can
// say "there is one" or "there is none"; the offscreen platform has none. A
// window hides itself to the tray only while there is one: a hidden window
// without a tray icon could never be brought back.
#pragma once

#include <functional>

class QObject;
class QSystemTrayIcon;
class QWidget;

namespace platform {

class TrayHost {
public:
    virtual ~TrayHost() = default;
    // Whether the desktop shows tray icons now.
    virtual bool Available() const = 0;
};

// The real desktop: asks Qt whether a tray (a notification area) runs.
class DesktopTrayHost final : public TrayHost {
public:
    bool Available() const override;
};

// Runs onClick each time the icon is clicked with the left button (Qt's
// Trigger, or DoubleClick for the second of two quick clicks); the context
// menu and a middle click run nothing here.
void OnTrayClick(QSystemTrayIcon& icon, QObject& context, std::function<void()> onClick);

// Minimises a top-level window; a hidden one stays hidden, minimised.
void MinimizeWindow(QWidget& window);

// Brings a hidden or minimised window back: the minimised state cleared,
// shown, raised and activated. A shown window is only raised and activated.
void RestoreWindow(QWidget& window);

}  // namespace platform
