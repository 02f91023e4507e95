#include "platform/Messages.h"

#include <cstdio>

#include "platform/Cp1250.h"

namespace platform {
namespace {

// The hooks the window installs at start-up; the store reaches the user only
// through them.
MessageHook& CurrentMessageHook()
{
    static MessageHook hook;
    return hook;
}

PumpHook& CurrentPumpHook()
{
    static PumpHook hook;
    return hook;
}

}  // namespace

void ShowMessage(const std::string& textCp1250)
{
    if (const auto& hook = CurrentMessageHook()) {
        hook(textCp1250);
        return;
    }
    std::fprintf(stderr, "%s\n", Cp1250ToUtf8(textCp1250).c_str());
}

void ProcessMessages()
{
    if (const auto& hook = CurrentPumpHook())
        hook();
}

MessageHook SetMessageHook(MessageHook hook)
{
    std::swap(CurrentMessageHook(), hook);
    return hook;
}

PumpHook SetPumpHook(PumpHook hook)
{
    std::swap(CurrentPumpHook(), hook);
    return hook;
}

}  // namespace platform
