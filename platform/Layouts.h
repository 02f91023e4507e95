// Qt applies layouts to a hidden window only when it is shown. The window's
// start-up needs the real sizes of its controls before that (the column
// header's width), so it applies the layouts itself.
#pragma once

class QWidget;

namespace platform {

// Applies the layouts of widget and of every child widget, top down.
void ApplyLayouts(QWidget* widget);

}  // namespace platform
