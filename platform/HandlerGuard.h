// Every event handler of the program runs inside RunGuarded: an exception
// that leaves the handler ends it and is shown in the application's error
// box (stop icon, the application title, the exception's text); it never
// reaches Qt's event loop. BusyGuard raises a flag for a handler's duration
// and gives it back its earlier value on every way out, so a handler run
// from inside another leaves the flag raised for the outer one.
#pragma once

#include <exception>
#include <string>
#include <utility>

#include "platform/Boxes.h"

namespace platform {

// Shows an exception's text (Windows-1250 bytes) in the error box. Never throws.
void ShowExceptionText(Boxes& boxes, const std::string& textCp1250) noexcept;

template <class Handler>
void RunGuarded(Boxes& boxes, Handler&& handler) noexcept
{
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
        ShowExceptionText(boxes, error.what());
    } catch (...) {
        ShowExceptionText(boxes, std::string());
    }
}

class BusyGuard {
public:
    explicit BusyGuard(bool& flag) : flag_(&flag), before_(flag) { *flag_ = true; }
    ~BusyGuard()
    {
        if (flag_)
            *flag_ = before_;
    }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

    // Leaves the flag raised after the guard ends (the program is ending).
    void KeepRaised() { flag_ = nullptr; }

private:
    bool* flag_;
    bool before_;
};

}  // namespace platform
