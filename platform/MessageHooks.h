// Connects the store's two hooks to Qt for as long as the object lives:
// messages go to the boxes' ShowMessage, the pump runs pending events
// without user input.
#pragma once

#include "platform/Messages.h"

namespace platform {

class Boxes;

class MessageHooks {
public:
    explicit MessageHooks(Boxes& boxes);
    ~MessageHooks();
    MessageHooks(const MessageHooks&) = delete;
    MessageHooks& operator=(const MessageHooks&) = delete;

private:
    MessageHook previousMessage_;
    PumpHook previousPump_;
};

}  // namespace platform
