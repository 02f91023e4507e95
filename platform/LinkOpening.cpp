#include "platform/LinkOpening.h"

#include <memory>

#include <QPointer>
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
    bool said = false;
};

void Say(Command& command, const std::string& link)
{
    command.said = true;  // before the box: its loop may deliver another answer
    QWidget* owner = command.owner ? command.owner.data() : command.ownerParent.data();
    command.boxes.MessageBox(owner, QStringLiteral("Nie można otworzyć linku :\n") + platform::ToQString(link),
                             QStringLiteral("Ostrzeżenie"), platform::MbOk | platform::MbIconExclamation);
}

}  // namespace

void OpenLinksOrSay(platform::Opener& opener, platform::Boxes& boxes, QWidget* owner,
                    const std::vector<std::string>& links)
{
    const auto command =
        std::make_shared<Command>(Command{boxes, owner, owner ? owner->parentWidget() : nullptr});
    const std::string* unopened = nullptr;
    for (const std::string& link : links) {
        const platform::OpenResult result = opener.OpenLink(link, [command, link] {
            if (!command->said)
                platform::RunGuarded(command->boxes, [&] { Say(*command, link); });
        });
        const bool failed = result == platform::OpenResult::Refused || result == platform::OpenResult::NotStarted;
        if (failed && !unopened)
            unopened = &link;
        if (result == platform::OpenResult::NotStarted)
            break;
    }
    if (unopened)
        Say(*command, *unopened);
}
