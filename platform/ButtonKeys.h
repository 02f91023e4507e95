// Keys on a focused push button as the class library's buttons take them:
// Enter (Return or the keypad's Enter) clicks the button that has the focus,
// whatever the dialog does with Enter elsewhere. Qt's buttons leave Enter to
// the dialog unless they are default buttons, which would turn Enter on a
// focused "Anuluj" into the dialog's confirming key.
#pragma once

class QPushButton;

namespace platform {

// From now on Enter on button, while it has the focus, clicks it.
void EnterClicksWhenFocused(QPushButton* button);

}  // namespace platform
