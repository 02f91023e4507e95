// Keys on a focused push button as the class library's buttons take them:
// Enter (Return or the keypad's Enter) clicks the button that has the focus,
// whatever the dialog does with Enter elsewhere. Qt's buttons leave Enter to
// the dialog unless they are default buttons, which would turn Enter on a
// focused "Anuluj" into the dialog's confirming key.
#pragma once

class QPushButton;

namespace platform {

// Whether key is Enter: Return or the keypad's Enter.
bool IsEnter(int key);

// The button is never the dialog's default, so Enter elsewhere in the
// dialog never clicks it.
void NeverDefault(QPushButton* button);

// The button is never the default, and from now on Enter on it, while it has
// the focus, clicks it.
void EnterClicksWhenFocused(QPushButton* button);

}  // namespace platform
