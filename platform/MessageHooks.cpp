#include "platform/MessageHooks.h"

#include <QCoreApplication>
#include <QEventLoop>

#include "platform/Boxes.h"
#include "platform/QtText.h"

namespace platform {

MessageHooks::MessageHooks(Boxes& boxes)
{
    previousMessage_ =
        SetMessageHook([&boxes](const std::string& textCp1250) { boxes.ShowMessage(ToQString(textCp1250)); });
    previousPump_ = SetPumpHook([] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
}

MessageHooks::~MessageHooks()
{
    SetMessageHook(std::move(previousMessage_));
    SetPumpHook(std::move(previousPump_));
}

}  // namespace platform
