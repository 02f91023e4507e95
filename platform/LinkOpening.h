// Opening the links of one command, wherever the program opens them (the
// link list, the catalogue search, the about box), and saying when one
// cannot be opened.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace platform {
class Boxes;
class Opener;
}  // namespace platform

// Opens links (Windows-1250 texts) in order with opener. One command says
// at most one link, the first that cannot be opened, with "Nie można
// otworzyć linku :\n" + the link, "Ostrzeżenie", 0x30 on owner:
// - a link the program never hands to the desktop (an executable file, a
//   text that the desktop's opener would read as an option), said once the
//   other links have been handed on;
// - the first link when the desktop's opener cannot be started; the links
//   after it are not tried, as they would fail alike;
// - when the command itself said nothing, the first link whose opener ends
//   with a failure later (the opener watches the first few links of a
//   command only), said after that answer comes, from the event loop
//   and never while busy() is true (a store call may be running the loop):
//   it waits until busy() is false; on owner while it is open, else on its
//   parent (the main window). busy() is asked only while owner or its
//   parent is there.
// An empty link is nothing to open and is not said.
void OpenLinksOrSay(platform::Opener& opener, platform::Boxes& boxes, QWidget* owner,
                    const std::vector<std::string>& links, std::function<bool()> busy);

namespace platform {
// How often a later failure held while busy asks again.
inline constexpr std::chrono::milliseconds kHeldFailureRetry{50};
}  // namespace platform
