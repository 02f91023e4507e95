// The two services that the store needs of the window without depending on it:
// showing a message to the user, and letting pending window events run.
#pragma once

#include <functional>
#include <string>

namespace platform {

using MessageHook = std::function<void(const std::string& textCp1250)>;
using PumpHook = std::function<void()>;

// Shows text (Windows-1250) to the user and waits until it is acknowledged.
// Without a hook the text goes to standard error as UTF-8.
void ShowMessage(const std::string& textCp1250);

// Dispatches pending window events (user input excluded). Without a hook it
// does nothing.
void ProcessMessages();

// Installs a hook and returns the one it replaces; an empty function removes it.
MessageHook SetMessageHook(MessageHook hook);
PumpHook SetPumpHook(PumpHook hook);

}  // namespace platform
