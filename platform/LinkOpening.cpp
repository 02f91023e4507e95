#include "platform/LinkOpening.h"

#include <memory>

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "platform/Boxes.h"
#include "platform/HandlerGuard.h"
#include "platform/Opener.h"
#include "platform/QtText.h"

namespace {

// One command, shared with the answers of its openers that come later.
struct Command {
    platform::Boxes& boxes;
    QPointer<QWidget> owner;
    QPointer<QWidget> ownerParent;
    std::function<bool()> busy;
    bool said = false;
    bool pending = false;  // a later failure waits to be said
};

void Say(Command& command, const std::string& link)
{
    command.said = true;  // before the box: its loop may deliver another answer
    QWidget* owner = command.owner ? command.owner.data() : command.ownerParent.data();
    command.boxes.MessageBox(owner, QStringLiteral("Nie można otworzyć linku :\n") + platform::ToQString(link),
                             QStringLiteral("Ostrzeżenie"), platform::MbOk | platform::MbIconExclamation);
}

// Says link from the event loop after delay, once busy() is false; the
// command's windows gone, nothing is said.
void SayWhenFree(const std::shared_ptr<Command>& command, const std::string& link, std::chrono::milliseconds delay)
{
    QObject* context = command->ownerParent ? command->ownerParent.data() : command->owner.data();
    if (!context)
        return;
    QTimer::singleShot(delay, context, [command, link] {
        if (command->said)
            return;
        if (command->busy && command->busy()) {
            SayWhenFree(command, link, platform::kHeldFailureRetry);
            return;
        }
        platform::RunGuarded(command->boxes, [&] { Say(*command, link); });
    });
}

}  // namespace

void OpenLinksOrSay(platform::Opener& opener, platform::Boxes& boxes, QWidget* owner,
                    const std::vector<std::string>& links, std::function<bool()> busy)
{
    const auto command =
        std::make_shared<Command>(Command{boxes, owner, owner ? owner->parentWidget() : nullptr, std::move(busy)});
    const std::string* unopened = nullptr;
    {
        // The command ends, and hands on what its opener holds, before
        // anything is said.
        const platform::OpenerCommand opening(opener);
        for (const std::string& link : links) {
            const platform::OpenResult result = opener.OpenLink(link, [command, link] {
                if (command->said || command->pending)
                    return;
                command->pending = true;
                SayWhenFree(command, link, std::chrono::milliseconds(0));
            });
            const bool failed = result == platform::OpenResult::Refused || result == platform::OpenResult::NotStarted;
            if (failed && !unopened)
                unopened = &link;
            if (result == platform::OpenResult::NotStarted)
                break;
        }
    }
    if (unopened)
        Say(*command, *unopened);
}
