// For tests: a desktop with or without a tray, as set; the tray may go
// away and come back.
#pragma once

#include "platform/Tray.h"

namespace platform {

class FixedTrayHost final : public TrayHost {
public:
    explicit FixedTrayHost(bool available) : available_(available) {}
    bool Available() const override { return available_; }
    void SetAvailable(bool available) { available_ = available; }

private:
    bool available_;
};

}  // namespace platform
