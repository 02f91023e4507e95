#include "MessageHooks.h"

#include <QCoreApplication>
#include <QEventLoop>

#include "Boxes.h"
#include "Cp1250.h"

namespace platform {

MessageHooks::MessageHooks(Boxes& boxes)
{
    previousMessage_ = SetMessageHook([&boxes](const std::string& textCp1250) {
        boxes.ShowMessage(QString::fromStdString(Cp1250ToUtf8(textCp1250)));
    });
    previousPump_ = SetPumpHook([] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
}

MessageHooks::~MessageHooks()
{
    SetMessageHook(std::move(previousMessage_));
    SetPumpHook(std::move(previousPump_));
}

}  // namespace platform
